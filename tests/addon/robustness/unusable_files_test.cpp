// Picked names that are no readable regular file: a folder, an endless device, a named pipe, a
// missing name, a file that cannot be read. Each is refused with the open message, alone or
// after a good file, and nothing is read from it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tests/addon/robustness/unusable_names.h"
#include "tests/support/temp_dir.h"
#include "tools/fuzz/selection_load.h"

namespace {

using cvl::test::TempDir;

// Loads fileNames on a thread of its own, so that a loader that waits for a writer on a named
// pipe cannot hang the test: after a grace time a writer comes and goes, which releases it, and
// the wait is reported. A load that still does not end stops the test program.
cvl::fuzz::SelectionLoad loadWithoutWaiting(const std::vector<std::string>& fileNames) {
  auto loading =
      std::async(std::launch::async, [&] { return cvl::fuzz::loadSelection(fileNames); });
  if (loading.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
    ADD_FAILURE() << "the load did not end on " << fileNames.back();
    cvl::test::releaseWaitingOpen(fileNames.back());
    if (loading.wait_for(std::chrono::seconds(30)) != std::future_status::ready) std::abort();
  }
  return loading.get();
}

}  // namespace

void cvl::test::expectRefusedAloneAndAfterGood(const std::string& good, const std::string& bad) {
  for (const std::vector<std::string>& picked : {std::vector{bad}, std::vector{good, bad}}) {
    SCOPED_TRACE(testing::PrintToString(picked));
    const cvl::fuzz::SelectionLoad load = loadWithoutWaiting(picked);
    EXPECT_EQ(load.messages, std::vector{"Unable to open datafile: " + bad});
    const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
    EXPECT_EQ(dataSet == nullptr ? 0 : dataSet->zones.size(), picked.size() - 1);
    EXPECT_EQ(load.violations, std::vector<std::string>{});
  }
}

namespace {

TEST(UnusableFiles, AreRefusedWithTheOpenMessageAloneAndAfterAGoodFile) {
  std::vector<cvl::test::UnusableName> names = cvl::test::unusableNames();
  names.push_back({"folder named like a data file", [](const TempDir& dir) {
                     std::filesystem::create_directory(dir.path() / "d.out");
                     return (dir.path() / "d.out").string();
                   }});
  names.push_back(
      {"missing file", [](const TempDir& dir) { return (dir.path() / "missing.out").string(); }});
  for (const cvl::test::UnusableName& unusable : names) {
    SCOPED_TRACE(unusable.what);
    const TempDir dir;
    const std::string good = dir.write("good.out", cvl::test::kGoodFile);
    cvl::test::expectRefusedAloneAndAfterGood(good, unusable.make(dir));
  }
}

}  // namespace
