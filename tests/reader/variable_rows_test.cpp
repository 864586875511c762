// Variable name row, secondary variable row and location row: variables, columns and zones.
#include "reader/variable_rows.h"

#include <gtest/gtest.h>

#include "reader/comment_lines.h"
#include "tests/support/header_reading.h"

namespace {

cvltest::HeaderReading readRows(const cvltest::TempDir& dir, const char* fileName,
                                const std::string& rows) {
  return cvltest::readHeaderText(
      dir, fileName, "# CONVERGE\n# column 1\n" + rows, [](auto& file, auto& info) {
        return cvl::readBannerLine(file, info) && cvl::readColumnRow(file, info) &&
               cvl::readVariableRows(file, info);
      });
}

struct Naming {
  const char* rows;  // lines 3 to 5
  std::vector<std::string> varNames;
  std::vector<QvDataType> varDataTypes;
  std::vector<QvDataType> columnDataTypes;
  std::vector<int32_t> columnVariable;
};

const Naming kNamings[] = {
    {"# Time Pressure Steps Ratio\n# (s) (Pa) (number) (dimensionless)\n#\n",
     {"Time (s)", "Pressure (Pa)", "Steps", "Ratio"},
     {2, 2, 3, 2},
     {2, 2, 3, 2},
     {0, 1, 2, 3}},
    {"# a b c d e f\n# (NUMBER) number (numbers) (DIMENSIONLESS) (None) [m/s] extra\n#\n",
     {"a", "b number", "c (numbers)", "d", "e", "f [m/s]"},
     {3, 2, 2, 2, 2, 2},
     {3, 2, 2, 2, 2, 2},
     {0, 1, 2, 3, 4, 5}},
    // The first column that bears a full name gives its type; names and units are case-sensitive.
    {"# n n P p q q\n# (dimensionless) (number) (Pa) (Pa) (x) (X)\n# L L L L L L\n",
     {"n", "P (Pa)", "p (Pa)", "q (x)", "q (X)"},
     {2, 2, 2, 2, 2},
     {2, 3, 2, 2, 2, 2},
     {0, 0, 1, 2, 3, 4}},
    {"#\n# (s)\n#\n", {}, {}, {}, {}},
};

TEST(VariableRows, NamesAndTypes) {
  cvltest::TempDir dir;
  for (const Naming& c : kNamings) {
    SCOPED_TRACE(c.rows);
    const auto r = readRows(dir, "case.out", c.rows);
    ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.messages);
    EXPECT_EQ(r.info.varNames, c.varNames);
    EXPECT_EQ(r.info.numVariables, static_cast<int32_t>(c.varNames.size()));
    EXPECT_EQ(r.info.varDataTypes, c.varDataTypes);
    EXPECT_EQ(r.info.columnDataTypes, c.columnDataTypes);
    EXPECT_EQ(r.info.columnVariable, c.columnVariable);
    ASSERT_EQ(r.info.columnNames.size(), c.columnVariable.size());
    for (size_t i = 0; i < c.columnVariable.size(); ++i) {
      EXPECT_EQ(r.info.columnNames[i], c.varNames[static_cast<size_t>(c.columnVariable[i])]);
    }
  }
}

struct Zoning {
  const char* fileName;
  const char* locations;  // line 5, for five columns named Time Mass Temp Mass Temp
  std::vector<std::string> zoneNames;
  std::vector<int32_t> columnZone;
  std::vector<bool> columnShared;
};

constexpr bool T = true;
constexpr bool F = false;

const Zoning kZonings[] = {
    {"case.out", "#", {"case"}, {0, 0, 0, 0, 0}, {F, F, F, F, F}},
    {"case.out",
     "# (none) Region0 Region0 Region1 Region1",
     {"case Region0", "case Region1"},
     {0, 0, 0, 1, 1},
     {T, F, F, F, F}},
    {"case.out",
     "# A B A A C extra",
     {"case A", "case B", "case A", "case C"},
     {0, 1, 2, 2, 3},
     {F, F, F, F, F}},
    {"case.out", "# (NONE) A (none) A B", {"case A", "case B"}, {0, 0, 0, 0, 1}, {T, F, T, F, F}},
    {"case.out",
     "# (none) (NONE) (none) (None) (none)",
     {"case"},
     {0, 0, 0, 0, 0},
     {T, T, T, T, T}},
    {"case.out",
     "# (none)x a A a a",
     {"case (none)x", "case a", "case A", "case a"},
     {0, 1, 2, 3, 3},
     {F, F, F, F, F}},
    {"run.1.out", "#", {"run.1"}, {0, 0, 0, 0, 0}, {F, F, F, F, F}},
    {"run.1.out", "# A A A A A", {"run.1 A"}, {0, 0, 0, 0, 0}, {F, F, F, F, F}},
};

TEST(VariableRows, Zones) {
  cvltest::TempDir dir;
  for (const Zoning& c : kZonings) {
    SCOPED_TRACE(std::string(c.fileName) + ": " + c.locations);
    const auto r = readRows(
        dir, c.fileName,
        std::string("# Time Mass Temp Mass Temp\n# (s) (kg) (K) (kg) (K)\n") + c.locations + "\n");
    ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.messages);
    EXPECT_EQ(r.info.zoneNames, c.zoneNames);
    EXPECT_EQ(r.info.numZones, static_cast<int32_t>(c.zoneNames.size()));
    EXPECT_EQ(r.info.columnZone, c.columnZone);
    EXPECT_EQ(r.info.columnShared, c.columnShared);
    const std::vector<std::string> names{"Time (s)", "Mass (kg)", "Temp (K)"};
    EXPECT_EQ(r.info.varNames, names);
    EXPECT_EQ(r.info.columnVariable, (std::vector<int32_t>{0, 1, 2, 1, 2}));
  }
}

struct Refusal {
  const char* rows;  // lines 3 to 5, or fewer
  cvltest::ExpectedMessage message;
};

const Refusal kRefusals[] = {
    {"# t u v\n# (s) (s) (s)\n# A B\n", {5, "Location row is missing an entry"}},
    {"# t u\n# (s)\n# A\n", {5, "Location row is missing an entry"}},
    {"# t u\n# (s)\n#\n", {5, "Secondary Variable row in header is missing an entry"}},
    {"# t u\n# (s)\n# A A\n", {5, "Secondary Variable row in header is missing an entry"}},
    {"# t\n", {3, "Unexpected end-of-file when processing comment line"}},
    {"# t\n(s)\n#\n", {4, "Invalid comment line"}},
    {"# t\n# (s)\n#A\n", {5, "Invalid comment line"}},
};

TEST(VariableRows, Refusals) {
  cvltest::TempDir dir;
  for (const Refusal& c : kRefusals) {
    SCOPED_TRACE(c.rows);
    const auto r = readRows(dir, "case.out", c.rows);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, cvltest::dialogTexts(r.path, {c.message}));
  }
}

}  // namespace
