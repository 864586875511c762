// Files at the edges of what a loader meets: very long lines, very wide headers, millions of
// blank lines, 8-bit text, NUL bytes, and the same file picked many times. Each is loaded through
// the selection callback; the load either succeeds or fails with its one message, and the host is
// left sound either way.
#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tests/support/temp_dir.h"
#include "tools/fuzz/selection_load.h"

namespace {

// A one-zone file of `columns` columns named v0, v1, ..., each in metres, with two rows.
std::string wideFile(int columns) {
  std::string text = "# CONVERGE\n# column", names = "\n#", units = "\n#", row;
  for (int c = 0; c < columns; ++c) {
    text += ' ' + std::to_string(c + 1);
    names += " v" + std::to_string(c);
    units += " (m)";
    row += std::to_string(c) + ' ';
  }
  return text + names + units + "\n#\n" + row + '\n' + row + '\n';
}

// What a load left: its messages, each about a line of f.out, and its zones with their points;
// when the load was handed back, the last time in every zone.
struct Outcome {
  std::vector<std::pair<int, std::string>> messages;
  size_t zones = 0;
  int64_t points = 0;
  std::optional<double> lastTime = std::nullopt;
};

TEST(ResourceEdges, LoadOrFailWithTheirMessageAndLeaveTheHostSound) {
  const std::string ten(size_t{10} << 20, '7'), nul(1, '\0');
  // Time (double), Steps (integer), Ratio (double), one zone.
  const std::string header =
      "# CONVERGE 4.0.3\n# column 1 2 3\n#  Time  Steps  Ratio\n#  (s)  (number)  (-)\n#\n";
  const std::string good = header + "0.5 1 0.25\n1.5 2 0.5\n2.5 3 0.75\n";
  const std::string afterBanner = good.substr(16);  // the file after "# CONVERGE 4.0.3"
  const char* const badDouble = "Invalid or missing double precision value";
  const char* const badInt = "Invalid or missing integer value";
  const struct {
    const char* name;
    std::string content;  // the bytes of the one file, f.out
    Outcome outcome;
    size_t timesPicked = 1;
    size_t variables = 3;
    std::string firstVariable = "Time (s)", lastVariable = "Ratio (-)";
  } cases[] = {
      {"10 MB after the banner keyword", "# CONVERGE " + ten + afterBanner, {{}, 1, 3, 2.5}},
      {"10 MB word after values", header + "0.5 1 0.25 x" + ten + "\n1.5 2 0.5\n", {{}, 1, 2, 1.5}},
      {"10 MB number", header + "0.5 1 0.25\n" + ten + '\n', {{{7, badDouble}}, 1, 2}},
      {"100,000 columns", wideFile(100'000), {{}, 1, 2, 0}, 1, 100'000, "v0 (m)", "v99999 (m)"},
      {"blank lines", header + std::string(1'000'000, '\n'), {{{6, "Invalid first line of data"}}}},
      {"UTF-8 and 8-bit names and units",
       "# CONVERGE\n# column 1 2\n# Temp\303\251rature Dr\374ck\n# (\302\260C) (bar\377)\n#\n1 2\n",
       {{}, 1, 1, 1},
       1,
       2,
       "Temp\303\251rature (\302\260C)",
       "Dr\374ck (bar\377)"},
      // A line's text ends at its first NUL byte.
      {"NUL inside a value", header + "0.5 1 0.25\n1.5" + nul + " 2 0.5\n", {{{7, badInt}}, 1, 2}},
      {"NUL after values", header + "0.5 1 0.25\n1.5 2 0.5" + nul + " 7\n", {{}, 1, 2, 1.5}},
      {"NUL after the banner keyword", "# CONVERGE" + nul + "x" + afterBanner, {{}, 1, 3, 2.5}},
      {"zero-filled tail", good + std::string(300, '\0'), {{{9, badDouble}}, 1, 4}},
      {"CR LF line ends", std::regex_replace(good, std::regex("\n"), "\r\n"), {{}, 1, 3, 2.5}},
      {"CR line ends",
       std::regex_replace(good, std::regex("\n"), "\r"),
       {{{1, "Unexpected end-of-file when processing comment line"}, {1, "Invalid Column Row"}}}},
      {"byte order mark", "\xef\xbb\xbf" + good, {{{1, "Invalid comment line"}}}},
      // Each copy fills its own zone: a later copy must not write over an earlier one.
      {"the same file picked 50 times", good, {{}, 50, 3, 2.5}, 50},
  };
  for (const auto& edge : cases) {
    SCOPED_TRACE(edge.name);
    const cvl::test::TempDir dir;
    const std::string path = dir.write("f.out", edge.content);
    const cvl::fuzz::SelectionLoad load =
        cvl::fuzz::loadSelection(std::vector<std::string>(edge.timesPicked, path));
    EXPECT_TRUE(load.violations.empty()) << testing::PrintToString(load.violations);
    const Outcome& expected = edge.outcome;
    std::vector<std::string> messages;
    for (const auto& [line, text] : expected.messages)
      messages.push_back("File \"" + path + "\", line " + std::to_string(line) + ": " + text);
    EXPECT_EQ(load.messages, messages);
    EXPECT_EQ(load.handedBack, expected.lastTime.has_value());
    const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
    ASSERT_EQ(dataSet == nullptr ? 0 : dataSet->zones.size(), expected.zones);
    if (expected.zones == 0) continue;
    EXPECT_EQ(dataSet->variables.size(), edge.variables);
    EXPECT_EQ(std::tie(dataSet->variables.front(), dataSet->variables.back()),
              std::tie(edge.firstVariable, edge.lastVariable));
    for (const qvsdkbase::Zone& zone : dataSet->zones) {
      ASSERT_EQ(zone.points, expected.points);
      if (expected.lastTime) {
        EXPECT_EQ(zone.values.at(0)->asDouble(zone.points - 1), *expected.lastTime);
      }
    }
  }
}

}  // namespace
