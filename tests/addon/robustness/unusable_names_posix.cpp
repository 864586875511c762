// Unusable names on POSIX systems: /dev/zero, a FIFO, a regular file whose reads fail; and a file
// without read permission, which root reads anyway (the test below).
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/addon/robustness/unusable_names.h"

namespace cvl::test {

std::vector<UnusableName> unusableNames() {
  return {
      {"endless character device", [](const TempDir&) { return std::string("/dev/zero"); }},
      {"named pipe without a writer",
       [](const TempDir& dir) {
         const std::string path = (dir.path() / "p.out").string();
         EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
         return path;
       }},
      {"regular file whose reads fail",
       [](const TempDir&) { return std::string("/proc/self/mem"); }},
  };
}

void releaseWaitingOpen(const std::string& name) {
  ::close(::open(name.c_str(), O_RDWR | O_NONBLOCK));
}

}  // namespace cvl::test

namespace {

// A file that the user may not read is refused with the open message, alone and after a good
// file. Root reads every file whatever its permissions, so as root the loads run in a child
// process that has given up root for the user "nobody" (65534), and the test is skipped when it
// cannot. Windows' unreadable file is among its unusable names.
TEST(UnusableFiles, FileWithoutReadPermissionIsRefusedWithTheOpenMessage) {
  using std::filesystem::perms;
  const cvl::test::TempDir dir;
  const std::string text = "# CONVERGE\n# column 1\n# Time\n# (s)\n#\n0.5\n";
  const std::string good = dir.write("good.out", text), bad = dir.write("locked.out", text);
  std::filesystem::permissions(dir.path(), perms::owner_all | perms::others_exec);
  std::filesystem::permissions(good, perms::owner_read | perms::others_read);
  std::filesystem::permissions(bad, perms::none);
  const std::string refused = "Unable to open datafile: " + bad + "; ";
  const std::string expected = refused + "0 zones\n" + refused + "1 zones\n";
  if (::geteuid() != 0) {
    EXPECT_EQ(cvl::test::loadsOf(good, bad), expected);
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
    const std::string seen = cvl::test::loadsOf(good, bad);
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
