// Picked names that are no readable regular file: a folder, an endless device, a named pipe, a
// missing name, a file the user may not read. Each is refused with the open message, alone or
// after a good file, and nothing is read from it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "qvsdkbase/host_control.h"
#include "tests/fuzz/selection_load.h"
#include "tests/support/temp_dir.h"

namespace {

using cvltest::TempDir;

// Loads fileNames on a thread of its own, so that a loader that waits for a writer on a named
// pipe cannot hang the test: after a grace time a writer comes and goes, which releases it, and
// the wait is reported. A load that still does not end stops the test program.
cvltest::SelectionLoad loadWithoutWaiting(const std::vector<std::string>& fileNames) {
  auto loading = std::async(std::launch::async, [&] { return cvltest::loadSelection(fileNames); });
  if (loading.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
    ADD_FAILURE() << "the load did not end on " << fileNames.back();
    ::close(::open(fileNames.back().c_str(), O_RDWR | O_NONBLOCK));
    if (loading.wait_for(std::chrono::seconds(30)) != std::future_status::ready) std::abort();
  }
  return loading.get();
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
    {"missing file", [](const TempDir& dir) { return (dir.path() / "missing.out").string(); }},
    {"named pipe without a writer",
     [](const TempDir& dir) {
       const std::string path = (dir.path() / "p.out").string();
       EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
       return path;
     }},
    {"file without read permission",
     [](const TempDir& dir) {
       const std::string path = dir.write("locked.out", "# CONVERGE\n");
       std::filesystem::permissions(path, std::filesystem::perms::none);
       return path;
     }},
};

TEST(UnusableFiles, AreRefusedWithTheOpenMessageAloneAndAfterAGoodFile) {
  for (const UnusableCase& unusable : kCases) {
    SCOPED_TRACE(unusable.name);
    const TempDir dir;
    const auto good = dir.write("good.out", "# CONVERGE\n# column 1\n# Time\n# (s)\n#\n0.5\n");
    const std::string bad = unusable.make(dir);
    if (std::filesystem::is_regular_file(bad) && ::access(bad.c_str(), R_OK) == 0) {
      continue;  // this user reads files without read permission
    }
    for (const std::vector<std::string>& picked : {std::vector{bad}, std::vector{good, bad}}) {
      const cvltest::SelectionLoad load = loadWithoutWaiting(picked);
      EXPECT_TRUE(load.violations.empty()) << testing::PrintToString(load.violations);
      EXPECT_EQ(load.messages, std::vector{"Unable to open datafile: " + bad})
          << picked.size() << " picked";
      EXPECT_EQ(qvsdkbase::dataSet() == nullptr ? 0 : qvsdkbase::dataSet()->zones.size(),
                picked.size() - 1);
    }
  }
}

}  // namespace
