// The load bracket and the hand-back, whose order is the driver's contract with the host: the
// lock around the callback, the busy indication around the data load, the instructions handed
// back only after every file has loaded and before the load is finished, and nothing of it when
// the driver gets no arg list.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tests/support/temp_dir.h"

extern "C" void InitQorAddOn113(void);

namespace {

using Strings = std::vector<std::string>;

// The calls of the bracket and of the dataset, in the order the host saw them, from the
// callback's lock on (registration's calls come before it).
Strings bracketCalls() {
  const std::set<std::string> kept = {"QorUtilLockStart",
                                      "QorUtilLockFinish",
                                      "QorUtilDataLoadStart",
                                      "QorUtilDataLoadFinishX",
                                      "QorUtilImportSetLoaderInstr",
                                      "QorUtilDataSetCreateX",
                                      "QorUtilDataSetAddZoneX",
                                      "QorUtilPleaseWait"};
  Strings seen;
  for (const qvsdkbase::Call& call : qvsdkbase::calls()) {
    if (call.function == "QorUtilLockStart") seen.clear();
    if (kept.contains(call.function))
      seen.push_back(call.function + (call.function.ends_with("Wait") ? " " + call.detail : ""));
  }
  return seen;
}

TEST(LoadDriver, BracketsTheLoadAndHandsBackOnlyWhatLoadedWhole) {
  const cvl::test::TempDir dir;
  const std::string header = "# CONVERGE\n# column 1 2\n# t m\n# (s) (kg)\n#\n";
  const std::string good = dir.write("good.out", header + "1 2\n3 4\n");
  const std::string bad = dir.write("bad.out", header + "1 2\n3\n");
  const Strings start = {"QorUtilLockStart", "QorUtilPleaseWait on", "QorUtilDataLoadStart"};
  const Strings finish = {"QorUtilPleaseWait off", "QorUtilDataLoadFinishX", "QorUtilLockFinish"};
  const Strings twoFiles = {"QorUtilDataSetCreateX", "QorUtilDataSetAddZoneX",
                            "QorUtilDataSetAddZoneX"};
  const auto bracket = [&](const Strings& inside) {
    Strings all = start;
    all.insert(all.end(), inside.begin(), inside.end());
    all.insert(all.end(), finish.begin(), finish.end());
    return all;
  };
  Strings handedBack = twoFiles;
  handedBack.push_back("QorUtilImportSetLoaderInstr");
  const struct {
    const char* name;
    bool replay;              // through the loader callback, else the selection callback
    Strings entries;          // the picked names, or the replayed instruction list
    const char* refusedCall;  // the host refuses the first call of this; none when null
    Strings expectedCalls;
    bool expectedResult;  // the loader callback's result; a selection returns none
  } cases[] = {
      {"two files", false, {good, good}, nullptr, bracket(handedBack), true},
      {"the second file faulty", false, {good, bad}, nullptr, bracket(twoFiles), false},
      {"replayed",
       true,
       {"STANDARDSYNTAX", "1.0", "FILELIST", "2", good, good},
       nullptr,
       bracket(handedBack),
       true},
      {"no FILELIST", true, {"STANDARDSYNTAX", "1.0"}, nullptr, bracket({}), false},
      {"finish refused",
       true,
       {"STANDARDSYNTAX", "1.0", "FILELIST", "1", good},
       "QorUtilDataLoadFinishX",
       bracket({"QorUtilDataSetCreateX", "QorUtilDataSetAddZoneX", "QorUtilImportSetLoaderInstr"}),
       false},
      {"no arg list",
       true,
       {"STANDARDSYNTAX", "1.0", "FILELIST", "1", good},
       "QorUtilArgListAlloc",
       {"QorUtilLockStart", "QorUtilLockFinish"},
       false},
  };
  for (const auto& c : cases) {
    qvsdkbase::reset();
    InitQorAddOn113();
    const qvsdkbase::Loader& loader = qvsdkbase::loaders().at(0);
    if (c.refusedCall != nullptr)
      qvsdkbase::injectFault(c.refusedCall, 1, qvsdkbase::FaultKind::Fail);
    QvStringList list = qvsdkbase::makeStringList(c.entries);
    bool result = false;
    if (c.replay) {
      result = loader.callback(list) != 0;
    } else {
      loader.selectedCallback(list);
      result = loader.instructions.has_value();
    }
    qvsdkbase::freeStringList(list);
    EXPECT_EQ(bracketCalls(), c.expectedCalls) << c.name;
    EXPECT_EQ(result, c.expectedResult) << c.name;
    EXPECT_EQ(qvsdkbase::violations(), Strings{}) << c.name;
  }
}

}  // namespace
