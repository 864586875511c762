// Files at the edges of what a loader meets: very long lines, very wide headers, millions of
// blank lines, 8-bit text, NUL bytes, line ends of other systems, and the same file picked many
// times. Each is loaded through the selection callback; the load either succeeds or fails with
// its one message, and the host is left sound either way.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "minihost/host_control.h"
#include "tests/fuzz/selection_load.h"
#include "tests/support/header_reading.h"
#include "tests/support/temp_dir.h"

namespace {

using cvltest::ExpectedMessage;
using cvltest::TempDir;

constexpr size_t kTenMegabytes = size_t{10} << 20;

// Time (double), Steps (integer), Ratio (double), one zone.
constexpr std::string_view kHeader =
    "# CONVERGE 4.0.3\n# column 1 2 3\n#  Time  Steps  Ratio\n"
    "#  (s)  (number)  (dimensionless)\n#\n";
constexpr std::string_view kRows = "0.5 1 0.25\n1.5 2 0.5\n2.5 3 0.75\n";

std::string goodFile() {
  return std::string(kHeader) + std::string(kRows);
}

// A one-zone file of `columns` columns named v0, v1, ..., each in metres, with `rows` rows.
// With two zones the first half of the columns is at location A and the second at B, both
// halves with the same names.
std::string wideFile(int columns, int rows, bool twoZones) {
  std::string columnRow = "# column";
  std::string names = "#";
  std::string units = "#";
  std::string locations = "#";
  std::string row;
  for (int c = 0; c < columns; ++c) {
    const int name = twoZones ? c % (columns / 2) : c;
    columnRow += ' ' + std::to_string(c + 1);
    names += " v" + std::to_string(name);
    units += " (m)";
    if (twoZones) locations += c < columns / 2 ? " A" : " B";
    row += std::to_string(c) + ' ';
  }
  std::string text =
      "# CONVERGE\n" + columnRow + '\n' + names + '\n' + units + '\n' + locations + '\n';
  for (int r = 0; r < rows; ++r) text += row + '\n';
  return text;
}

std::string withCrLf(std::string_view text) {
  std::string converted;
  for (const char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}

// What the dataset must look like after the load.
struct Shape {
  size_t variables;
  size_t zones;
  int64_t points;  // of every zone
};

struct EdgeCase {
  const char* name;
  std::string (*content)();  // the bytes of the one file, f.out
  size_t timesPicked;
  bool handedBack;
  std::vector<ExpectedMessage> messages;  // against f.out; line 0: the dialog text alone
  std::optional<Shape> dataSet;           // nothing: no dataset may exist
  std::vector<std::string> variables;     // when not empty, the variable names
};

const EdgeCase kCases[] = {
    {"10 MB of text after the banner keyword",
     [] { return "# CONVERGE " + std::string(kTenMegabytes, 'x') + '\n' + goodFile().substr(17); },
     1,
     true,
     {},
     Shape{3, 1, 3},
     {}},
    {"10 MB word after the values of a row",
     [] {
       return std::string(kHeader) + "0.5 1 0.25 " + std::string(kTenMegabytes, 'w') +
              "\n1.5 2 0.5\n";
     },
     1,
     true,
     {},
     Shape{3, 1, 2},
     {}},
    {"10 MB number on a data row",
     [] { return std::string(kHeader) + "0.5 1 0.25\n" + std::string(kTenMegabytes, '7') + '\n'; },
     1,
     false,
     {{7, "Invalid or missing double precision value"}},
     Shape{3, 1, 2},
     {}},
    {"10 MB of blanks before the first value",
     [] { return std::string(kHeader) + std::string(kTenMegabytes, ' ') + "0.5 1 0.25\n"; },
     1,
     true,
     {},
     Shape{3, 1, 1},
     {}},
    {"10 MB variable name",
     [] {
       return "# CONVERGE\n# column 1\n# " + std::string(kTenMegabytes, 'N') + "\n# (m)\n#\n1\n";
     },
     1,
     true,
     {},
     Shape{1, 1, 1},
     {std::string(kTenMegabytes, 'N') + " (m)"}},
    {"100,000 columns in one zone",
     [] { return wideFile(100'000, 2, false); },
     1,
     true,
     {},
     Shape{100'000, 1, 2},
     {}},
    {"100,000 columns in two zones of the same names",
     [] { return wideFile(100'000, 2, true); },
     1,
     true,
     {},
     Shape{50'000, 2, 2},
     {}},
    {"header followed by a million blank lines",
     [] { return std::string(kHeader) + std::string(1'000'000, '\n'); },
     1,
     false,
     {{6, "Invalid first line of data"}},
     std::nullopt,
     {}},
    {"one row followed by a million blank lines",
     [] { return std::string(kHeader) + "0.5 1 0.25\n" + std::string(1'000'000, '\n'); },
     1,
     false,
     {{7, "Invalid or missing double precision value"}},
     Shape{3, 1, 1'000'001},
     {}},
    {"UTF-8 and 8-bit names, units and locations",
     [] {
       return std::string(
           "# CONVERGE\n# column 1 2 3\n# Temp\xc3\xa9rature Dr\xfc"
           "ck Mass\xa0"
           "flow\n# (\xc2\xb0"
           "C) (bar\xff) (kg/s)\n# R\xc3\xa9gion R\xc3\xa9gion R\xc3\xa9gion\n1 2 3\n");
     },
     1,
     true,
     {},
     Shape{3, 1, 1},
     {"Temp\xc3\xa9rature (\xc2\xb0"
      "C)",
      "Dr\xfc"
      "ck (bar\xff)",
      "Mass\xa0"
      "flow (kg/s)"}},
    {"NUL byte inside a value",
     [] { return std::string(kHeader) + "0.5 1 0.25\n1.5" + std::string(1, '\0') + " 2 0.5\n"; },
     1,
     false,
     {{7, "Invalid or missing double precision value"}},
     Shape{3, 1, 2},
     {}},
    {"NUL byte right after the banner keyword",
     [] { return "# CONVERGE" + std::string(1, '\0') + "x" + goodFile().substr(10); },
     1,
     false,
     {{0, "Only allowed to read in CONVERGE generated out files"}},
     std::nullopt,
     {}},
    {"NUL byte as the whole first line",
     [] { return std::string(1, '\0') + '\n' + goodFile().substr(17); },
     1,
     false,
     {{1, "Invalid comment line"}},
     std::nullopt,
     {}},
    {"NUL byte inside a variable name: the host's text ends at it",
     [] {
       return "# CONVERGE\n# column 1\n# Pre" + std::string(1, '\0') + "ssure\n# (Pa)\n#\n1\n";
     },
     1,
     true,
     {},
     Shape{1, 1, 1},
     {"Pre"}},
    {"Windows line ends",
     [] { return withCrLf(goodFile()); },
     1,
     true,
     {},
     Shape{3, 1, 3},
     {"Time (s)", "Steps", "Ratio"}},
    {"old Mac line ends: one line only",
     [] {
       std::string text = goodFile();
       for (char& c : text) c = c == '\n' ? '\r' : c;
       return text;
     },
     1,
     false,
     {{1, "Unexpected end-of-file when processing comment line"}, {1, "Invalid Column Row"}},
     std::nullopt,
     {}},
    {"byte order mark before the banner",
     [] { return "\xef\xbb\xbf" + goodFile(); },
     1,
     false,
     {{1, "Invalid comment line"}},
     std::nullopt,
     {}},
    {"last row cut short by a crashed run",
     [] { return std::string(kHeader) + "0.5 1 0.25\n1.5 2"; },
     1,
     false,
     {{7, "Invalid or missing double precision value"}},
     Shape{3, 1, 2},
     {}},
    {"the same file picked 50 times", [] { return goodFile(); }, 50, true, {}, Shape{3, 50, 3}, {}},
};

// A failing case is shown by its name.
void PrintTo(const EdgeCase& edge, std::ostream* out) {
  *out << edge.name;
}

class ResourceEdgesTest : public testing::TestWithParam<EdgeCase> {};

TEST_P(ResourceEdgesTest, LoadsOrFailsWithItsMessageAndLeavesTheHostSound) {
  const EdgeCase& edge = GetParam();
  SCOPED_TRACE(edge.name);
  const TempDir dir;
  const std::string path = dir.write("f.out", edge.content());
  const std::vector<std::string> picked(edge.timesPicked, path);

  const cvltest::SelectionLoad load = cvltest::loadSelection(picked);

  EXPECT_TRUE(load.violations.empty()) << testing::PrintToString(load.violations);
  EXPECT_EQ(load.handedBack, edge.handedBack);
  EXPECT_EQ(load.messages, cvltest::dialogTexts(path, edge.messages));
  const minihost::DataSet* dataSet = minihost::dataSet();
  ASSERT_EQ(dataSet != nullptr, edge.dataSet.has_value());
  if (dataSet == nullptr) return;
  EXPECT_EQ(dataSet->variables.size(), edge.dataSet->variables);
  ASSERT_EQ(dataSet->zones.size(), edge.dataSet->zones);
  for (const minihost::Zone& zone : dataSet->zones) {
    EXPECT_EQ(zone.points, edge.dataSet->points) << "zone " << zone.name;
  }
  if (!edge.variables.empty()) {
    EXPECT_EQ(dataSet->variables, edge.variables);
  }
}

// The case's name without blanks and punctuation.
std::string edgeName(const testing::TestParamInfo<EdgeCase>& param) {
  std::string name;
  for (const char c : std::string_view(param.param.name)) {
    if (std::isalnum(static_cast<unsigned char>(c)) != 0) name += c;
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Edges, ResourceEdgesTest, testing::ValuesIn(kCases), edgeName);

// Each of the many copies of one file fills its own zone: a later copy must not write over an
// earlier copy's values nor leave its own zone empty.
TEST(SameFilePickedManyTimes, EveryZoneHoldsTheFilesValues) {
  const TempDir dir;
  const std::string path = dir.write("f.out", goodFile());
  const cvltest::SelectionLoad load = cvltest::loadSelection(std::vector<std::string>(50, path));
  ASSERT_TRUE(load.handedBack) << testing::PrintToString(load.messages);
  const minihost::DataSet* dataSet = minihost::dataSet();
  ASSERT_NE(dataSet, nullptr);
  for (size_t z = 0; z < dataSet->zones.size(); ++z) {
    const minihost::ValueArray& time = *dataSet->zones[z].values.at(0);
    const minihost::ValueArray& steps = *dataSet->zones[z].values.at(1);
    ASSERT_EQ(time.size, 3) << "zone " << z + 1;
    EXPECT_EQ(time.asDouble(2), 2.5) << "zone " << z + 1;
    EXPECT_EQ(steps.asDouble(2), 3) << "zone " << z + 1;
  }
}

}  // namespace
