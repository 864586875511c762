// The data row reader, through loads into the stand-in host: values, types, zones, row faults.
#include "reader/data_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "assembly/load_sequence.h"
#include "assembly/zones.h"
#include "minihost/host_control.h"
#include "reader/out_file_header.h"
#include "tests/support/temp_dir.h"

namespace {

std::string lineMessage(const std::string& path, uint64_t line, std::string_view message) {
  return "File \"" + path + "\", line " + std::to_string(line) + ": " + std::string(message);
}

// Every value of variable var in zone, as doubles.
std::vector<double> values(size_t zone, size_t var) {
  const minihost::ValueArray& array = *minihost::dataSet()->zones.at(zone - 1).values.at(var - 1);
  std::vector<double> result;
  for (int64_t i = 0; i < array.size; ++i) result.push_back(array.asDouble(i));
  return result;
}

// Time (double), Step (integer), Ratio (double); one zone.
constexpr std::string_view kOneZone =
    "# CONVERGE\n# column 1 2 3\n# Time Step Ratio\n# (s) (number) (dimensionless)\n#\n";
// Four names; rows are read for as many values as the first row holds.
constexpr std::string_view kFourNames =
    "# CONVERGE\n# column 1 2 3 4\n# Time Step Ratio Extra\n# (s) (number) (none) (m)\n#\n";

class DataRowsTest : public testing::Test {
 protected:
  void SetUp() override {
    minihost::reset();
    QorUtilLockOn();
  }
  void TearDown() override { QorUtilLockOff(); }
  cvltest::TempDir dir_;
};

TEST_F(DataRowsTest, RowsOfOneZone) {
  struct Case {
    std::string_view header;
    const char* rows;
    std::vector<std::vector<double>> values;  // per variable, every point
    uint64_t faultLine;                       // 0: the rows load
    std::string_view fault;
  };
  constexpr std::string_view kDouble = "Invalid or missing double precision value";
  constexpr std::string_view kInteger = "Invalid or missing integer value";
  const Case cases[] = {
      {kOneZone, "1.5 2 0.25\n-2e3 -7 1\n", {{1.5, -2000}, {2, -7}, {0.25, 1}}, 0, ""},
      {kOneZone, "7 2 3 end\n", {{7}, {2}, {3}}, 0, ""},
      {kOneZone, "1 4294967297 3\n1 -2147483649 3\n", {{1, 1}, {1, 2147483647}, {3, 3}}, 0, ""},
      {kOneZone,
       "1 2 3\n4 5 6 7\n8 9 1\n",
       {{1, 4, 0}, {2, 5, 0}, {3, 6, 0}},
       7,
       "Too many values"},
      {kOneZone, "1 2 3\n4 5\n", {{1, 4}, {2, 5}, {3, 0}}, 7, kDouble},
      {kOneZone, "1 2 3\n4\n", {{1, 4}, {2, 0}, {3, 0}}, 7, kInteger},
      {kOneZone, "1 2.5 3\n", {{1}, {0}, {0}}, 6, kInteger},
      {kOneZone, "1 2 3\n\n4 5 6\n", {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, 7, kDouble},
      {kOneZone, "1 2 3\n\n", {{1, 0}, {2, 0}, {3, 0}}, 7, kDouble},
      {kFourNames, "1 2 3\n4 5 6\n", {{1, 4}, {2, 5}, {3, 6}}, 0, ""},
      {kFourNames, "1 2 3\n4 5 6 7\n", {{1, 4}, {2, 5}, {3, 6}}, 7, "Too many values"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows);
    SetUp();
    const std::string path = dir_.write("f.out", std::string(c.header) + c.rows);
    EXPECT_EQ(cvl::loadFileList({path}), c.faultLine == 0);
    EXPECT_EQ(minihost::messages(),
              c.faultLine == 0 ? std::vector<std::string>{}
                               : std::vector<std::string>{lineMessage(path, c.faultLine, c.fault)});
    for (size_t var = 1; var <= 3; ++var) EXPECT_EQ(values(1, var), c.values[var - 1]) << var;
    EXPECT_EQ(minihost::dataSet()->zones[0].values[1]->type, cvl::kTypeInt32);
  }
}

TEST_F(DataRowsTest, ColumnsGoToTheirZoneFromFirstZone) {
  // Zones A, B, C; Crank and Step are shared, Step after zone B began; zone C has no Temp. The
  // second copy of the file gets zones 4 to 6.
  const std::string path =
      dir_.write("f.out",
                 "# CONVERGE\n# column 1 2 3 4 5 6 7\n# Crank Mass Temp Mass Step Temp Mass\n"
                 "# (DEG) (kg) (K) (kg) (number) (K) (kg)\n# (none) A A B (none) B C\n"
                 "1 10 100 20 5 200 30\n2 11 101 21 6 201 31\n");
  ASSERT_TRUE(cvl::loadFileList({path, path}));
  // One lookup per column, a shared column's in the file's first zone.
  std::vector<std::string> lookups;
  for (const minihost::Call& call : minihost::calls()) {
    if (call.function == "QorUtilDataValueGetWritableRawPtr") lookups.push_back(call.detail);
  }
  ASSERT_EQ(lookups.size(), 14u);
  EXPECT_EQ(std::vector<std::string>(lookups.begin() + 7, lookups.end()),
            (std::vector<std::string>{"zone 4 variable 1", "zone 4 variable 2", "zone 4 variable 3",
                                      "zone 5 variable 2", "zone 4 variable 4", "zone 5 variable 3",
                                      "zone 6 variable 2"}));
  const std::vector<std::vector<double>> expected[] = {{{1, 2}, {10, 11}, {100, 101}, {5, 6}},
                                                       {{1, 2}, {20, 21}, {200, 201}, {5, 6}},
                                                       {{1, 2}, {30, 31}, {0, 0}, {5, 6}}};
  for (size_t zone = 1; zone <= 6; ++zone) {
    for (size_t var = 1; var <= 4; ++var) {
      EXPECT_EQ(values(zone, var), expected[(zone - 1) % 3][var - 1]) << zone << " " << var;
    }
  }
}

TEST_F(DataRowsTest, TypeComesFromTheVariableNotTheColumn) {
  // "Count" is a double variable (first column); the second column says "(number)".
  ASSERT_TRUE(cvl::loadFileList({dir_.write(
      "f.out", "# CONVERGE\n# column 1 2\n# Count Count\n# (none) (number)\n# A B\n2.5 3.5\n")}));
  EXPECT_EQ(values(2, 1), std::vector<double>{3.5});
}

TEST_F(DataRowsTest, NoValueArrayStopsBeforeTheFirstRow) {
  minihost::injectFault("QorUtilDataValueGetWritableRawPtr", 2, minihost::FaultKind::Fail);
  EXPECT_FALSE(cvl::loadFileList({dir_.write("f.out", std::string(kOneZone) + "1 2 3\n")}));
  EXPECT_EQ(minihost::messages(),
            std::vector<std::string>{"Unable to access the values of the dataset"});
  EXPECT_EQ(values(1, 1), std::vector<double>{0});
}

TEST_F(DataRowsTest, FileShorterThanCountedIsReportedAsChanged) {
  const std::string path = dir_.write("f.out", std::string(kOneZone) + "1 2 3\n4 5 6\n");
  ASSERT_TRUE(cvl::loadFileList({path}));
  qorvian::qorutilutil::AsciiFile file;
  cvl::OutFileInfo info;
  ASSERT_TRUE(file.open(path) && cvl::readOutFileHeader(file, info));
  ++info.numPoints;  // as if the file had lost its last line after being counted
  ASSERT_TRUE(cvl::addZones(info, 2));
  EXPECT_FALSE(cvl::readDataRows(file, info, 2));
  EXPECT_EQ(minihost::messages(), std::vector<std::string>{lineMessage(
                                      path, 7, "File changed or could not be read while loading")});
  EXPECT_EQ(values(2, 1), (std::vector<double>{1, 4, 0}));
}

}  // namespace
