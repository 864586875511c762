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
// process that has given up root for the user "nobody" (65534); gtest shows the child's failures
// as they happen, and its exit status tells whether there were any. The test is skipped when no
// child can become nobody. Windows' unreadable file is among its unusable names.
TEST(UnusableFiles, FileWithoutReadPermissionIsRefusedWithTheOpenMessage) {
  using std::filesystem::perms;
  const cvl::test::TempDir dir;
  const std::string good = dir.write("good.out", cvl::test::kGoodFile);
  const std::string bad = dir.write("locked.out", cvl::test::kGoodFile);
  std::filesystem::permissions(dir.path(), perms::owner_all | perms::others_exec);
  std::filesystem::permissions(good, perms::owner_read | perms::others_read);
  std::filesystem::permissions(bad, perms::none);
  if (::geteuid() != 0) return cvl::test::expectRefusedAloneAndAfterGood(good, bad);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0 ||
        ::access(good.c_str(), R_OK) != 0)
      ::_exit(2);
    cvl::test::expectRefusedAloneAndAfterGood(good, bad);
    std::fflush(stdout);
    ::_exit(testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "as root, no child could become nobody";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the loads as nobody failed as shown above";
}

}  // namespace
