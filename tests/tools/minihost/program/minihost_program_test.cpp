// minihost end to end: the program run as a process, in a temporary folder that holds its files;
// its exit status and what it prints.
#include <algorithm>
#include <vector>

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include "tests/support/temp_dir.h"
#include "tests/tools/minihost/minihost_run.h"
#include "tools/minihost/outputs/plot/plot_writer.h"
#include "tools/minihost/outputs/xlsx_writer.h"

namespace {

// single.out: doubles of 17 digits and 32-bit integers at both ends of their range (the smallest
// first, the largest second, so that a range that passes over a value shows); a.out and
// b.out: two regions and a shared column each; bad.out: not a CONVERGE file.
void copyFiles(const cvl::test::TempDir& dir) {
  cvl::test::copyData(dir.path(), {{"single.out", "single.out"},
                                   {"a.out", "regions.out"},
                                   {"b.out", "regions.out"},
                                   {"bad.out", "foreign.out"}});
}

struct Case {
  std::vector<std::string> args;
  int status;
  std::vector<std::string> err;  // each on standard error, which is empty when none is given
  std::vector<std::string> out;  // each on standard output, likewise
};

TEST(MinihostProgram, ExitStatusAndOutput) {
  cvl::test::TempDir dir;
  copyFiles(dir);
  std::vector<Case> cases = {
      {{"single.out"},
       0,
       {},
       {"Dataset: CONVERGE Data", "Crank (DEG)", "int32", "-2147483648", "2147483647", "FILELIST",
        "single.out"}},
      {{"--replay", "a.out", "b.out"}, 0, {}, {"a Right", "from zone 3", "Replay: same dataset"}},
      {{"gone.out"},
       1,
       {"error: Unable to open datafile: gone.out\n", "minihost: the load failed\n"},
       {"Dataset: none", "Load instructions: none"}},
      {{"bad.out"}, 1, {"error: Only allowed to read in CONVERGE generated out files\n"}, {"none"}},
      {{}, 2, {"minihost: FILE is required"}, {}},
      {{"--frobnicate", "single.out"}, 2, {"--frobnicate"}, {}},
      {{"--addon", "gone.so", "single.out"}, 2, {"minihost: cannot load add-on: "}, {}},
      {{"--addon", CVL_QVSDKBASE, "single.out"}, 2, {"has no entry point InitQorAddOn113"}, {}},
      {{"--help"}, 0, {}, {"--addon LIB", "--json", "--replay", "FILE", "Exit status"}},
  };
  // An output that this build leaves out (plots on Windows) is listed in --help with the
  // reason, and asking for it is a usage error that says why, before anything is loaded.
  for (const auto& [option, reason] : {std::pair{"--plot", cvl::minihost::plotUnavailableReason()},
                                       {"--xlsx", cvl::minihost::workbookUnavailableReason()}}) {
    if (reason.empty()) continue;
    cases.push_back(
        {{"--help"}, 0, {}, {std::string("Not in this build: ") + option + ", " + reason + ".\n"}});
    cases.push_back({{option, "x", "single.out"}, 2, {reason}, {}});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE("minihost " + testing::PrintToString(c.args));
    const cvl::test::MinihostRun run = cvl::test::runMinihost(dir.path(), c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.err.empty(), c.err.empty()) << run.err;
    EXPECT_EQ(run.out.empty(), c.out.empty()) << run.out;
    for (const std::string& part : c.err) EXPECT_THAT(run.err, testing::HasSubstr(part));
    for (const std::string& part : c.out) EXPECT_THAT(run.out, testing::HasSubstr(part));
    EXPECT_TRUE(c.status != 2 || std::ranges::count(run.err, '\n') == 1)
        << run.err;  // usage: a line
  }
}

// The JSON report: one line of one object and nothing else, every key present, every value as
// loaded (doubles in their shortest exact form, integers as integers, a shared variable with the
// values of the zone it shares), and after a failed load what its first files added.
TEST(MinihostProgram, JsonReport) {
  cvl::test::TempDir dir;
  copyFiles(dir);
  const struct {
    std::vector<std::string> args;
    int status;
    const char* report;  // laid out for reading: printed as one line without blanks between items
  } cases[] = {
      {{"--json", "single.out"}, 0, R"j({"messages": [],
        "instructions": ["STANDARDSYNTAX", "1.0", "FILELIST", "1", "single.out"],
        "dataset": {"title": "CONVERGE Data", "variables": ["Crank (DEG)", "Count"],
          "zones": [{"name": "single", "points": 3, "types": [2, 3], "shareZones": [0, 0],
            "values": [[-3.141592653589793, 0.1, 1e+300], [-2147483648, 2147483647, 7]]}]}})j"},
      {{"--json", "--replay", "a.out", "b.out", "gone.out"}, 1, R"j({
        "messages": ["Unable to open datafile: gone.out"], "instructions": null,
        "dataset": {"title": "CONVERGE Data", "variables": ["Crank (DEG)", "Mass (kg)"], "zones": [
          {"name": "a Left", "points": 2, "types": [2, 2], "shareZones": [0, 0],
           "values": [[1.5, 2.5], [0.25, 0.125]]},
          {"name": "a Right", "points": 2, "types": [2, 2], "shareZones": [1, 0],
           "values": [[1.5, 2.5], [0.75, 0.875]]},
          {"name": "b Left", "points": 2, "types": [2, 2], "shareZones": [0, 0],
           "values": [[1.5, 2.5], [0.25, 0.125]]},
          {"name": "b Right", "points": 2, "types": [2, 2], "shareZones": [3, 0],
           "values": [[1.5, 2.5], [0.75, 0.875]]}]}})j"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("minihost " + testing::PrintToString(c.args));
    const cvl::test::MinihostRun run = cvl::test::runMinihost(dir.path(), c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, nlohmann::ordered_json::parse(c.report).dump() + "\n");
  }
}

}  // namespace
