// The whole header: the order of its steps, the point count, and the real sample files.
#include "reader/out_file_header.h"

#include <gtest/gtest.h>

#include "tests/support/header_reading.h"

namespace {

using cvltest::ExpectedMessage;

bool readHeader(qorvian::qorutilutil::AsciiFile& file, cvl::OutFileInfo& info) {
  return cvl::readOutFileHeader(file, info);
}

struct Case {
  std::string text;
  int64_t numPoints;  // when accepted
  std::vector<ExpectedMessage> messages;
};

TEST(OutFileHeader, StepsAndPointCount) {
  const std::string rows = "# CONVERGE\n# column 1 2\n# t m\n# (s) (kg)\n";
  const std::string header = rows + "#\n";
  const Case cases[] = {
      {header + "1 2\n3 4\n", 2, {}},
      {header + "1 2\n3 4", 2, {}},
      {header + "1 2\n3 4\n\n", 3, {}},
      {header + "1 2\nnot a row\n", 2, {}},
      {header, 0, {{5, "File does not contain any data points"}}},
      {header + "x\n", 0, {{6, "Invalid first line of data"}}},
      {rows, 0, {{4, "Unexpected end-of-file when processing comment line"}}},
      // A header fault comes before the point count and the first data row.
      {rows + "#A\n", 0, {{5, "Invalid comment line"}}},
      {rows + "# A\nx\n", 0, {{5, "Location row is missing an entry"}}},
      {rows + "# A B\n1 2 3\n",
       0,
       {{5, "Not allowed to have missing data when the number of zones > 1"}}},
  };
  cvltest::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto r = cvltest::readHeaderText(dir, "case.out", c.text, readHeader);
    EXPECT_EQ(r.messages, cvltest::dialogTexts(r.path, c.messages));
    EXPECT_EQ(r.ok, c.messages.empty());
    if (r.ok) {
      EXPECT_EQ(r.info.numPoints, c.numPoints);
      EXPECT_EQ(r.lineNumber, 5u);  // the data rows are left to the data row reader
    }
  }
}

struct RealFile {
  const char* name;
  std::vector<std::string> varNames;
  std::vector<QvDataType> varDataTypes;
  std::vector<std::string> zoneNames;
  int64_t numPoints;
};

TEST(OutFileHeader, RealFiles) {
  const RealFile files[] = {
      {"amr.out",
       {"Crank (DEG)", "subgrid_scale VELOCITY", "subgrid_scale TEMPERATURE"},
       {2, 2, 2},
       {"amr Region_0", "amr Region_1"},
       25583},
      {"cell_count_regions.out",
       {"Crank (DEG)", "Total_Cells", "Region1", "Region0", "Region2"},
       {2, 2, 2, 2, 2},
       {"cell_count_regions"},
       14492},
      {"mass_balance.out",
       {"Crank (DEG)", "Cycle_Number", "Net_Mass_Flow_Rate (kg/s)", "Net_Mass_Flow_Rate_In (kg/s)",
        "Net_Mass_Flow_Rate_Out (kg/s)", "Mass_Flow_Rate (kg/s)", "Parcel_Mass_flow_Rate (kg/s)"},
       {2, 3, 2, 2, 2, 2, 2},
       {"mass_balance bound_id_6", "mass_balance bound_id_7"},
       14492},
      {"source_energy.out",
       {"Crank (DEG)", "Source_8_0 Integrated_HR", "Source_8_0 HR_Rate", "Source_9_1 Integrated_HR",
        "Source_9_1 HR_Rate"},
       {2, 2, 2, 2, 2},
       {"source_energy (J)", "source_energy (J/DEG)", "source_energy (J)", "source_energy (J/DEG)"},
       14492},
  };
  for (const RealFile& f : files) {
    SCOPED_TRACE(f.name);
    const auto path = (cvltest::testDataDir() / "realdata" / f.name).string();
    const auto r = cvltest::readHeaderFile(path, readHeader);
    ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.messages);
    EXPECT_EQ(r.info.varNames, f.varNames);
    EXPECT_EQ(r.info.varDataTypes, f.varDataTypes);
    EXPECT_EQ(r.info.zoneNames, f.zoneNames);
    EXPECT_EQ(r.info.numPoints, f.numPoints);
  }
}

TEST(OutFileHeader, RefusesARealFileThatIsNoTable) {
  const auto path = (cvltest::testDataDir() / "realdata" / "mech_check.out").string();
  const auto r = cvltest::readHeaderFile(path, readHeader);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages,
            cvltest::dialogTexts(path, {{2, "Invalid comment line"}, {2, "Invalid Column Row"}}));
}

}  // namespace
