// minihost end to end: the program run as a process, in a temporary folder that holds its files.
#include <algorithm>
#include <sstream>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/temp_dir.h"
#include "tests/tools/minihost/minihost_run.h"

namespace {

using nlohmann::json;

// One zone: doubles that need all 17 digits, and 32-bit integers at both ends of their range.
constexpr const char* kSingle =
    "# CONVERGE test\n# column 1 2\n#  Crank  Count\n#  (DEG)  (number)\n#\n"
    "  -3.141592653589793238  7\n  0.1  -2147483648\n  1e300  2147483647\n";
// Two regions and a shared column.
constexpr const char* kRegions =
    "# CONVERGE test\n# column 1 2 3\n#  Crank  Mass  Mass\n#  (DEG)  (kg)  (kg)\n"
    "#  (none)  Left  Right\n  1.5  0.25  0.75\n  2.5  0.125  0.875\n";

class MinihostProgram : public testing::Test {
 protected:
  MinihostProgram() {
    dir.write("single.out", kSingle);
    dir.write("a.out", kRegions);
    dir.write("b.out", kRegions);
    dir.write("bad.out", "# SOMETHING else\n# column 1\n#  A\n#  (s)\n#\n  1\n");
  }
  cvl::test::MinihostRun run(const std::vector<std::string>& args) const {
    return cvl::test::runMinihost(dir.path(), args);
  }

  cvl::test::TempDir dir;
};

// Expects every '|'-separated part in text, and text empty exactly when parts is.
void expectParts(const std::string& text, const std::string& parts) {
  EXPECT_EQ(text.empty(), parts.empty()) << text;
  std::istringstream in(parts);
  for (std::string part; std::getline(in, part, '|');) EXPECT_THAT(text, testing::HasSubstr(part));
}

TEST_F(MinihostProgram, ExitStatusAndOutput) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* err;
    const char* out;
  } cases[] = {
      {{"single.out"},
       0,
       "",
       "Dataset: CONVERGE Data|Crank (DEG)|int32|-2147483648|2147483647|FILELIST|single.out"},
      {{"--replay", "a.out", "b.out"}, 0, "", "a Right|from zone 3|Replay: same dataset"},
      {{"gone.out"},
       1,
       "error: Unable to open datafile: gone.out\n|minihost: the load failed\n",
       "Dataset: none|Load instructions: none"},
      {{"bad.out"}, 1, "error: Only allowed to read in CONVERGE generated out files\n", "none"},
      {{}, 2, "minihost: FILE is required", ""},
      {{"--frobnicate", "single.out"}, 2, "--frobnicate", ""},
      {{"--addon", "gone.so", "single.out"}, 2, "minihost: cannot load add-on: ", ""},
      {{"--addon", CVL_QVSDKBASE, "single.out"}, 2, "has no entry point InitQorAddOn113", ""},
      {{"--help"}, 0, "", "--addon LIB|--json|--replay|FILE|Exit status"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("minihost " + testing::PrintToString(c.args));
    const cvl::test::MinihostRun r = run(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    expectParts(r.err, c.err);
    expectParts(r.out, c.out);
    EXPECT_TRUE(c.status != 2 || std::ranges::count(r.err, '\n') == 1) << r.err;  // usage: one line
  }
}

TEST_F(MinihostProgram, Json) {
  cvl::test::MinihostRun r = run({"--json", "single.out"});
  ASSERT_EQ(r.status, 0) << r.err;
  json report = json::parse(r.out);  // one object and nothing else
  EXPECT_EQ(report, json::parse(R"j({"messages": [],
      "instructions": ["STANDARDSYNTAX", "1.0", "FILELIST", "1", "single.out"],
      "dataset": {"title": "CONVERGE Data", "variables": ["Crank (DEG)", "Count"],
        "zones": [{"name": "single", "points": 3, "types": [2, 3], "shareZones": [0, 0],
          "values": [[-3.141592653589793238, 0.1, 1e300], [7, -2147483648, 2147483647]]}]}})j"));
  const json& zone = report["dataset"]["zones"][0];
  EXPECT_TRUE(zone["values"][0][1].is_number_float() && zone["values"][1][0].is_number_integer());

  r = run({"--json", "--replay", "a.out", "b.out", "gone.out"});
  EXPECT_EQ(r.status, 1);
  report = json::parse(r.out);
  EXPECT_EQ(report["messages"], json({"Unable to open datafile: gone.out"}));
  EXPECT_TRUE(report["instructions"].is_null());
  const json& zones = report["dataset"]["zones"];
  ASSERT_EQ(zones.size(), 4u);  // what the first two files added stays
  const int shares[] = {0, 1, 0, 3};
  for (size_t z = 0; z < zones.size(); ++z) {
    SCOPED_TRACE(zones[z]["name"]);
    EXPECT_EQ(zones[z]["shareZones"], json({shares[z], 0}));
    EXPECT_EQ(zones[z]["values"][0], json({1.5, 2.5}));  // a shared variable shows its zone's
  }
  EXPECT_EQ(zones[1]["values"][1], json({0.75, 0.875}));
}

}  // namespace
