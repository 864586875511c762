// First data row and the fit of the variables to it, for one zone and for several.
#include "reader/first_data_row.h"

#include <gtest/gtest.h>

#include "reader/comment_lines.h"
#include "reader/variable_rows.h"
#include "tests/support/header_reading.h"

namespace {

using cvltest::ExpectedMessage;

// lines: the column row, the three variable rows and what follows them.
cvltest::HeaderReading readFirstRow(const cvltest::TempDir& dir, const std::string& lines) {
  const std::string text = std::string("# CONVERGE\n") + lines;
  return cvltest::readHeaderText(dir, "case.out", text, [](auto& file, auto& info) {
    return cvl::readBannerLine(file, info) && cvl::readColumnRow(file, info) &&
           cvl::readVariableRows(file, info) && cvl::readFirstDataRow(file, info) &&
           cvl::fitVariablesToFirstRow(file, info);
  });
}

struct Case {
  const char* lines;
  int32_t numValues;
  std::vector<std::string> varNames;
  std::vector<QvDataType> varDataTypes;
  std::vector<int32_t> columnVariable;
};

const Case kCases[] = {
    // One zone: the variables are the columns that the first row fills, types of all columns.
    {"# column 1 2 3 4 5\n# a b c d e\n# (s) (number) (s) (s) (number)\n#\n1 -2.5e+3 +7\n",
     3,
     {"a (s)", "b", "c (s)"},
     {2, 3, 2, 2, 3},
     {0, 1, 2, 3, 4}},
    {"# column 1 2 3 4\n# a b c d\n# (s) (s) (s) (s)\n#\n1 2 x 3\n",
     2,
     {"a (s)", "b (s)"},
     {2, 2, 2, 2},
     {0, 1, 2, 3}},
    {"# column 1 2\n# a a\n# (s) (number)\n#\n1 2\n", 2, {"a (s)", "a"}, {2, 3}, {0, 1}},
    {"# column 1 2\n# a a\n# (s) (s)\n#\n1 2\n", 2, {"a (s)", "a (s)"}, {2, 2}, {0, 1}},
    // Only columns within the column row's count are renumbered.
    {"# column 1 2\n# a b a\n# (s) (s) (s)\n#\n1 2 3\n",
     3,
     {"a (s)", "b (s)", "a (s)"},
     {2, 2, 2},
     {0, 1, 0}},
    {"# column 1 2 3\n# t t u\n# (s) (s) (m)\n# (none) (none) (NONE)\n1 2\n",
     2,
     {"t (s)", "t (s)"},
     {2, 2, 2},
     {0, 1, 2}},
    // Several zones keep the variables of the variable rows.
    {"# column 1 2 3 4 5\n# Time Mass Temp Mass Temp\n# (s) (kg) (K) (kg) (K)\n"
     "# (none) Region0 Region0 Region1 Region1\n1 2 3 4 5\n",
     5,
     {"Time (s)", "Mass (kg)", "Temp (K)"},
     {2, 2, 2},
     {0, 1, 2, 1, 2}},
};

TEST(FirstDataRow, FitsTheVariables) {
  cvltest::TempDir dir;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.lines);
    const auto r = readFirstRow(dir, c.lines);
    ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.messages);
    EXPECT_EQ(r.info.numValues, c.numValues);
    EXPECT_EQ(r.info.varNames, c.varNames);
    EXPECT_EQ(r.info.numVariables, static_cast<int32_t>(c.varNames.size()));
    EXPECT_EQ(r.info.varDataTypes, c.varDataTypes);
    EXPECT_EQ(r.info.columnVariable, c.columnVariable);
    EXPECT_EQ(r.lineNumber, 5u);
  }
}

struct Refusal {
  std::string lines;
  ExpectedMessage message;
};

TEST(FirstDataRow, Refusals) {
  const std::string twoZones =
      "# column 1 2 3 4 5 6\n# a b c d e f\n# (s) (s) (s) (s) (s) (s)\n# A A A B B B\n";
  const char* const kNotAllowed = "Not allowed to have missing data when the number of zones > 1";
  const Refusal refusals[] = {
      {"# column 1 2 3\n# a b c\n# (s) (s) (s)\n#\n1 2 3 4\n",
       {6, "Too many values on the first data row"}},
      {"# column 1\n#\n#\n#\n1\n", {6, "Too many values on the first data row"}},
      {"# column 1\n# a\n# (s)\n#\nx 1 2\n", {6, "Invalid first line of data"}},
      {"# column 1\n# a\n# (s)\n#\n\n", {6, "Invalid first line of data"}},
      {"# column 1\n# a\n# (s)\n#\n", {6, "Invalid first line of data"}},
      {twoZones + "1 2 3 4 5\n", {5, kNotAllowed}},
      {twoZones + "1 2 3 4 5 6 7\n", {5, kNotAllowed}},
      {"# column 1 2 3\n# a b\n# (s) (s)\n# A B\n1 2 3\n",
       {3, "Variable name row is missing an entry"}},
  };
  cvltest::TempDir dir;
  for (const Refusal& c : refusals) {
    SCOPED_TRACE(c.lines);
    const auto r = readFirstRow(dir, c.lines);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, cvltest::dialogTexts(r.path, {c.message}));
  }
}

}  // namespace
