// minihost end to end: the program run as a process on files in a temporary folder.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/temp_dir.h"

namespace {

using nlohmann::json;
using testing::HasSubstr;

// One zone: doubles that need all 17 digits, and 32-bit integers at both ends of their range.
constexpr const char* kSingle =
    "# CONVERGE test\n# column 1 2\n#  Crank  Count\n#  (DEG)  (number)\n#\n"
    "  -3.141592653589793238  7\n  0.1  -2147483648\n  1e300  2147483647\n";
// Two regions and a shared column.
constexpr const char* kRegions =
    "# CONVERGE test\n# column 1 2 3\n#  Crank  Mass  Mass\n#  (DEG)  (kg)  (kg)\n"
    "#  (none)  Left  Right\n  1.5  0.25  0.75\n  2.5  0.125  0.875\n";
constexpr const char* kBadBanner = "# SOMETHING else\n# column 1\n#  A\n#  (s)\n#\n  1\n";

struct ProcessResult {
  int status = -1;
  std::string out, err;
};

class MinihostProgram : public testing::Test {
 protected:
  // Runs minihost with args, in which each <name> stands for that file of the folder.
  ProcessResult run(const std::vector<std::string>& args) {
    std::string command = "'" CVL_MINIHOST "'";
    for (std::string arg : args) command += " '" + substitute(arg) + "'";
    command +=
        " >'" + (dir.path() / "out").string() + "' 2>'" + (dir.path() / "err").string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read("out"), read("err")};
  }
  std::string substitute(std::string text) const {
    for (size_t open = text.find('<'); open != std::string::npos; open = text.find('<')) {
      const size_t close = text.find('>', open);
      text.replace(open, close - open + 1,
                   (dir.path() / text.substr(open + 1, close - open - 1)).string());
    }
    return text;
  }
  std::string read(const char* name) const {
    std::ostringstream text;
    text << std::ifstream(dir.path() / name).rdbuf();
    return text.str();
  }

  cvltest::TempDir dir;
  const std::string single = dir.write("single.out", kSingle);
  const std::string regionsA = dir.write("a.out", kRegions);
  const std::string regionsB = dir.write("b.out", kRegions);
  const std::string bad = dir.write("bad.out", kBadBanner);
};

struct StatusCase {
  std::vector<std::string> args;
  int status;
  std::vector<std::string> errParts;  // empty: nothing on standard error
  std::vector<std::string> outParts;  // empty: nothing on standard output
};

TEST_F(MinihostProgram, ExitStatusAndOutput) {
  const StatusCase cases[] = {
      {{"<single.out>"},
       0,
       {},
       {"Dataset: CONVERGE Data", "Crank (DEG)", "int32", "-2147483648", "2147483647", "single",
        "FILELIST", "<single.out>"}},
      {{"--replay", "<a.out>", "<b.out>"},
       0,
       {},
       {"a Right", "from zone 3", "Replay: same dataset"}},
      {{"<gone.out>"},
       1,
       {"error: Unable to open datafile: <gone.out>\n", "minihost: the load failed\n"},
       {"Dataset: none", "Load instructions: none"}},
      {{"<bad.out>"},
       1,
       {"error: Only allowed to read in CONVERGE generated out files\n"},
       {"none"}},
      {{}, 2, {"minihost: FILE is required"}, {}},
      {{"--frobnicate", "<single.out>"}, 2, {"--frobnicate"}, {}},
      {{"--addon", "<gone.so>", "<single.out>"}, 2, {"minihost: cannot load add-on: "}, {}},
      {{"--addon", CVL_MINIHOST_DIR "/libqvsdkbase.so", "<single.out>"},
       2,
       {"has no entry point InitQorAddOn113"},
       {}},
      {{"--help"}, 0, {}, {"--addon LIB", "--json", "--replay", "FILE", "Exit status"}},
  };
  for (const StatusCase& c : cases) {
    std::string trace = "minihost";
    for (const std::string& arg : c.args) trace += " " + arg;
    SCOPED_TRACE(trace);
    const ProcessResult result = run(c.args);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_EQ(result.err.empty(), c.errParts.empty()) << result.err;
    for (const std::string& part : c.errParts) EXPECT_THAT(result.err, HasSubstr(substitute(part)));
    EXPECT_EQ(result.out.empty(), c.outParts.empty()) << result.out;
    for (const std::string& part : c.outParts) EXPECT_THAT(result.out, HasSubstr(substitute(part)));
    if (c.status == 2) {  // a usage error is one line
      EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
    }
  }
}

TEST_F(MinihostProgram, Json) {
  ProcessResult result = run({"--json", "<single.out>"});
  ASSERT_EQ(result.status, 0) << result.err;
  json report = json::parse(result.out);  // one object and nothing else
  EXPECT_EQ(report["messages"], json::array());
  EXPECT_EQ(report["instructions"], json({"STANDARDSYNTAX", "1.0", "FILELIST", "1", single}));
  EXPECT_EQ(report["dataset"]["title"], "CONVERGE Data");
  EXPECT_EQ(report["dataset"]["variables"], json({"Crank (DEG)", "Count"}));
  const json zone = report["dataset"]["zones"][0];
  EXPECT_EQ(zone["name"], "single");
  EXPECT_EQ(zone["points"], 3);
  EXPECT_EQ(zone["types"], json({2, 3}));
  EXPECT_EQ(zone["shareZones"], json({0, 0}));
  EXPECT_EQ(zone["values"][0], json({std::strtod("-3.141592653589793238", nullptr), 0.1, 1e300}));
  EXPECT_EQ(zone["values"][1], json({7, -2147483648LL, 2147483647}));
  EXPECT_TRUE(zone["values"][0][1].is_number_float() && zone["values"][1][0].is_number_integer());

  result = run({"--json", "--replay", "<a.out>", "<b.out>", "<gone.out>"});
  EXPECT_EQ(result.status, 1);
  report = json::parse(result.out);
  EXPECT_EQ(report["messages"], json({"Unable to open datafile: " + substitute("<gone.out>")}));
  EXPECT_TRUE(report["instructions"].is_null());
  const json& zones = report["dataset"]["zones"];
  ASSERT_EQ(zones.size(), 4u);  // what the first two files added stays
  const int shares[] = {0, 1, 0, 3};
  for (size_t z = 0; z < zones.size(); ++z) {
    SCOPED_TRACE(zones[z]["name"]);
    EXPECT_EQ(zones[z]["shareZones"], json({shares[z], 0}));
    EXPECT_EQ(zones[z]["values"][0],
              json({1.5, 2.5}));  // a shared variable shows the zone's values
  }
  EXPECT_EQ(zones[1]["values"][1], json({0.75, 0.875}));
}

}  // namespace
