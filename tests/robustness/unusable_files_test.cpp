// Picked names that are no readable regular file: a folder, devices, a named pipe, a missing or
// dangling name, a file the user may not read. Each is refused with the open message, alone or
// after a good file, and nothing is read from it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "minihost/host_control.h"
#include "tests/fuzz/selection_load.h"
#include "tests/support/temp_dir.h"

namespace {

using cvltest::TempDir;

constexpr const char* kGoodFile =
    "# CONVERGE\n# column 1 2\n# Time Steps\n# (s) (number)\n#\n0.5 1\n1.5 2\n";

std::string openMessage(const std::string& path) {
  return "Unable to open datafile: " + path;
}

struct UnusableCase {
  const char* name;
  std::string (*make)(const TempDir& dir);  // returns the name to pick
};

const UnusableCase kCases[] = {
    {"folder named like a data file",
     [](const TempDir& dir) {
       std::filesystem::create_directory(dir.path() / "d.out");
       return (dir.path() / "d.out").string();
     }},
    {"endless character device", [](const TempDir&) { return std::string("/dev/zero"); }},
    {"empty character device", [](const TempDir&) { return std::string("/dev/null"); }},
    {"missing file", [](const TempDir& dir) { return (dir.path() / "missing.out").string(); }},
    {"dangling symbolic link",
     [](const TempDir& dir) {
       std::filesystem::create_symlink(dir.path() / "nowhere.out", dir.path() / "link.out");
       return (dir.path() / "link.out").string();
     }},
    {"empty name", [](const TempDir&) { return std::string(); }},
};

TEST(UnusableFiles, AreRefusedWithTheOpenMessageAloneAndAfterAGoodFile) {
  for (const UnusableCase& unusable : kCases) {
    SCOPED_TRACE(unusable.name);
    const TempDir dir;
    const std::string good = dir.write("good.out", kGoodFile);
    const std::string bad = unusable.make(dir);

    const cvltest::SelectionLoad alone = cvltest::loadSelection({bad});
    EXPECT_TRUE(alone.violations.empty()) << testing::PrintToString(alone.violations);
    EXPECT_FALSE(alone.handedBack);
    EXPECT_EQ(alone.messages, std::vector<std::string>{openMessage(bad)});
    EXPECT_EQ(minihost::dataSet(), nullptr);

    const cvltest::SelectionLoad after = cvltest::loadSelection({good, bad});
    EXPECT_TRUE(after.violations.empty()) << testing::PrintToString(after.violations);
    EXPECT_FALSE(after.handedBack);
    EXPECT_EQ(after.messages, std::vector<std::string>{openMessage(bad)});
    ASSERT_NE(minihost::dataSet(), nullptr);
    EXPECT_EQ(minihost::dataSet()->zones.size(), 1u);
  }
}

TEST(UnusableFiles, FileWithoutReadPermissionIsRefused) {
  const TempDir dir;
  const std::string path = dir.write("locked.out", kGoodFile);
  std::filesystem::permissions(path, std::filesystem::perms::none);
  if (::access(path.c_str(), R_OK) == 0) {
    GTEST_SKIP() << "this user reads files without read permission";
  }
  const cvltest::SelectionLoad load = cvltest::loadSelection({path});
  EXPECT_TRUE(load.violations.empty()) << testing::PrintToString(load.violations);
  EXPECT_EQ(load.messages, std::vector<std::string>{openMessage(path)});
}

// Opening a named pipe for reading waits until some program opens it for writing; a loader that
// waited there would hang the host for good. The load runs on its own thread so that a test of a
// loader that does wait can still end: after a generous grace time a writer is opened, which
// releases it, and the wait is reported.
TEST(UnusableFiles, NamedPipeIsRefusedWithoutWaitingForAWriter) {
  const TempDir dir;
  const std::string path = (dir.path() / "pipe.out").string();
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);

  std::future<cvltest::SelectionLoad> loading =
      std::async(std::launch::async, [&] { return cvltest::loadSelection({path}); });
  if (loading.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
    ADD_FAILURE() << "the load waited for a writer on the named pipe";
    int writer = -1;
    while (writer < 0 &&
           loading.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
      writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    }
    loading.wait();
    if (writer >= 0) ::close(writer);
  }
  const cvltest::SelectionLoad load = loading.get();
  EXPECT_TRUE(load.violations.empty()) << testing::PrintToString(load.violations);
  EXPECT_EQ(load.messages, std::vector<std::string>{openMessage(path)});
}

}  // namespace
