// A file that the user may not read is refused with the open message, alone and after a good
// file. Root reads every file whatever its permissions, so as root the loads run in a child
// process that has given up root for the user "nobody" (65534), and the test is skipped when it
// cannot. POSIX only: Windows' unreadable file is in unusable_names.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "qvsdkbase/host_control.h"
#include "tests/fuzz/selection_load.h"
#include "tests/support/temp_dir.h"

namespace {

// Per load of bad alone and after good: its messages, the zones left and the rules broken.
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

TEST(UnusableFiles, FileWithoutReadPermissionIsRefusedWithTheOpenMessage) {
  using std::filesystem::perms;
  const cvltest::TempDir dir;
  const std::string text = "# CONVERGE\n# column 1\n# Time\n# (s)\n#\n0.5\n";
  const std::string good = dir.write("good.out", text), bad = dir.write("locked.out", text);
  std::filesystem::permissions(dir.path(), perms::owner_all | perms::others_exec);
  std::filesystem::permissions(good, perms::owner_read | perms::others_read);
  std::filesystem::permissions(bad, perms::none);
  const std::string refused = "Unable to open datafile: " + bad + "; ";
  const std::string expected = refused + "0 zones\n" + refused + "1 zones\n";
  if (::geteuid() != 0) {
    EXPECT_EQ(loadsOf(good, bad), expected);
    return;
  }
  // The child shows what it saw on its standard error when that is not what is expected.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0 ||
        ::access(good.c_str(), R_OK) != 0)
      ::_exit(2);
    const std::string seen = loadsOf(good, bad);
    if (seen != expected) std::fprintf(stderr, "the loads as nobody showed:\n%s", seen.c_str());
    ::_exit(seen == expected ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "as root, no child could become nobody";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "expected as nobody:\n" << expected;
}

}  // namespace
