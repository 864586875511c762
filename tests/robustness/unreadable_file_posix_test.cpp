// A file that the user may not read is refused with the open message, alone and after a good
// file. Root reads every file whatever its permissions, so as root the loads run in a child
// process that has given up root. POSIX only: Windows' unreadable file is in unusable_names.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "qvsdkbase/host_control.h"
#include "tests/fuzz/selection_load.h"
#include "tests/support/temp_dir.h"

namespace {

using cvltest::TempDir;

// What loading bad alone and after good shows: per load its messages, the zones left and the
// rules broken.
std::string loadsOf(const std::string& good, const std::string& bad) {
  std::string seen;
  for (const std::vector<std::string>& picked : {std::vector{bad}, std::vector{good, bad}}) {
    const cvltest::SelectionLoad load = cvltest::loadSelection(picked);
    for (const std::string& text : load.messages) seen += text + "; ";
    const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
    seen += std::to_string(dataSet == nullptr ? 0 : dataSet->zones.size()) + " zones";
    for (const std::string& violation : load.violations) seen += "; " + violation;
    seen += "\n";
  }
  return seen;
}

// Root reads every file, whatever its permissions; as root the loads run in a child process that
// has given up root for the user "nobody" (65534), and the test is skipped when it cannot.
TEST(UnusableFiles, FileWithoutReadPermissionIsRefusedWithTheOpenMessage) {
  const TempDir dir;
  using std::filesystem::perms;
  std::filesystem::permissions(dir.path(), perms::owner_all | perms::others_exec);
  const std::string good = dir.write("good.out", "# CONVERGE\n# column 1\n# Time\n# (s)\n#\n0.5\n");
  std::filesystem::permissions(good, perms::owner_read | perms::others_read);
  const std::string bad =
      dir.write("locked.out", "# CONVERGE\n# column 1\n# Time\n# (s)\n#\n0.5\n");
  std::filesystem::permissions(bad, perms::none);
  const std::string refused = "Unable to open datafile: " + bad + "; ";
  const std::string expected = refused + "0 zones\n" + refused + "1 zones\n";
  if (::geteuid() != 0) {
    EXPECT_EQ(loadsOf(good, bad), expected);
    return;
  }
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(channel[0]);
    constexpr uid_t kNobody = 65534;
    const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 &&
                         ::setuid(kNobody) == 0 && ::access(good.c_str(), R_OK) == 0;
    const std::string seen = dropped ? loadsOf(good, bad) : "";
    const ssize_t written = ::write(channel[1], seen.data(), seen.size());
    ::_exit(dropped && written == static_cast<ssize_t>(seen.size()) ? 0 : 2);
  }
  ::close(channel[1]);
  std::string seen;
  char buffer[4096];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
    seen.append(buffer, static_cast<size_t>(n));
  ::close(channel[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  if (WEXITSTATUS(status) == 2) {
    GTEST_SKIP() << "running as root, and the child could not become nobody and read " << good;
  }
  EXPECT_EQ(seen, expected);
}

}  // namespace
