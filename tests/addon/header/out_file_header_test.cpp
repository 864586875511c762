// The header reader, line by line: the forms each line accepts and what it makes of them, the
// exact messages and lines of what it refuses, the point count, and the real sample files. Each
// outcome is written as cvl::test::readHeader gives it.
#include "addon/header/out_file_header.h"

#include <gtest/gtest.h>

#include "tests/support/header_reading.h"

// Line 1 names CONVERGE and line 2 numbers the columns, keywords in any case. On line 4, marker
// words in any case add no unit; other entries, extra ones ignored, are appended as units. A
// variable is a full name (case-sensitive); its first column gives its type. With one zone the
// variables are the columns that the first data row fills, repeated names included, with the
// types of all columns. Several zones keep the variables of the variable rows. Every line after
// the fifth is a point. Lines 3 to 5 are kept while the file reads on, also past its window.
TEST(OutFileHeader, Accepted) {
  const std::string c = "# CONVERGE\n", t = "# t\n# (s)\n#\n1\n",
                    tOut = " 1 1 | 1 t (s) : 2 / 0 0 0 / 1 case";
  const std::string tm = c + "# column 1 2\n# t m\n# (s) (kg)\n#\n",
                    tmOut = " | 2 t (s),m (kg) : 2,2 / 0,1 0,0 0,0 / 1 case";
  const std::pair<std::string, std::string> cases[] = {
      {"# converge 4.0.3/ Run Date\n# Column 1 2 3\n" + t, "3" + tOut},
      {"   #\tCONVERGE\n  #   COLUMN 1\t2 \n" + t, "2" + tOut},
      {c + "# column\n" + t, "0" + tOut},
      {c + "# column 1\n# t\n# (s)" + std::string(1 << 20, ' ') + "\n#\n1\n", "1" + tOut},
      {c + "# column 1 2 3 4 5 6 7\n# a b c d e f g\n"
           "# (NUMBER) number (numbers) (DIMENSIONLESS) (None) [m/s] (number) x\n"
           "#\n1 2 3 4 5 6 7\n",
       "7 7 1 | 7 a,b number,c (numbers),d,e,f [m/s],g : 3,2,2,2,2,2,3 / 0,1,2,3,4,5,6 "
       "0,0,0,0,0,0,0 0,0,0,0,0,0,0 / 1 case"},
      {c + "# column 1 2 3 4 5 6\n# n n P p q q\n# (dimensionless) (number) (Pa) (Pa) (x) (X)\n"
           "# L L L L M M\n1 2 3 4 5 6\n",
       "6 6 1 | 5 n,P (Pa),p (Pa),q (x),q (X) : 2,2,2,2,2 / 0,0,1,2,3,4 0,0,0,0,1,1 0,0,0,0,0,0 / "
       "2 case L,case M"},
      {c + "# column 1 2 3 4 5\n# a b c d e\n# (s) (number) (s) (s) (number)\n#\n1 -2.5e+3 +7\n",
       "5 3 1 | 3 a (s),b,c (s) : 2,3,2,2,3 / 0,1,2,3,4 0,0,0,0,0 0,0,0,0,0 / 1 case"},
      {c + "# column 1 2 3\n# a b c\n# (s) (s) (s)\n#\n1 2 x 3\n",
       "3 2 1 | 2 a (s),b (s) : 2,2,2 / 0,1,2 0,0,0 0,0,0 / 1 case"},
      {tm + "1 2\n3 4", "2 2 2" + tmOut},
      {tm + "1 2\nnot a row\n", "2 2 2" + tmOut},
      {tm + "1 2\n3 4\n\n", "2 2 3" + tmOut},
  };
  cvl::test::expectHeaders(cases);
}

// Each run of columns with one location is a zone, named after the file's stem and the location,
// also where a location comes back; "(none)" in any case marks a shared column, which does not
// end a run; locations are case-sensitive. A file without locations, or with "(none)" only, is
// one zone named after the stem.
TEST(OutFileHeader, Zones) {
  const auto file = [](const char* locations) {
    return "# CONVERGE\n# column 1 2 3 4 5\n# t m T m T\n# (s) (kg) (K) (kg) (K)\n# " +
           std::string(locations) + "\n1 2 3 4 5\n";
  };
  const std::string zoned = "5 5 1 | 3 t (s),m (kg),T (K) : 2,2,2 / 0,1,2,1,2 ";
  const std::string oneZone =
      "5 5 1 | 5 t (s),m (kg),T (K),m (kg),T (K) : 2,2,2,2,2 / 0,1,2,3,4 0,0,0,0,0 ";
  const std::pair<std::string, std::string> cases[] = {
      {file(""), oneZone + "0,0,0,0,0 / 1 run.1"},
      {file("(none) (NONE) (none) (None) (none)"), oneZone + "1,1,1,1,1 / 1 run.1"},
      {file("(none) R0 R0 R1 R1"), zoned + "0,0,0,1,1 1,0,0,0,0 / 2 run.1 R0,run.1 R1"},
      {file("A B A A C extra"), zoned + "0,1,2,2,3 0,0,0,0,0 / 4 run.1 A,run.1 B,run.1 A,run.1 C"},
      {file("(NONE) A (none) A B"), zoned + "0,0,0,0,1 1,0,1,0,0 / 2 run.1 A,run.1 B"},
      {file("(none)x a A a a"),
       zoned + "0,1,2,3,3 0,0,0,0,0 / 4 run.1 (none)x,run.1 a,run.1 A,run.1 a"},
  };
  cvl::test::expectHeaders(cases, "run.1.out");
}

// Each line's step reports its own fault, naming its line, and the steps after it do not run: a
// fault of lines 1 to 5 comes before the point count and the first data row.
TEST(OutFileHeader, Refused) {
  const std::string c = "# CONVERGE\n", c1 = c + "# column 1\n", columns = "2: Invalid Column Row";
  const std::string eof = ": Unexpected end-of-file when processing comment line";
  const std::string six = c + "# column 1 2 3 4 5 6\n# a b c d e f\n# s s s s s s\n# A A A B B B\n";
  const std::string zones = "5: Not allowed to have missing data when the number of zones > 1";
  const std::pair<std::string, std::string> cases[] = {
      {"#CONVERGE\n# column 1\n", "1: Invalid comment line"},
      {"# CONVERGEX\n# column 1\n", "Only allowed to read in CONVERGE generated out files"},
      {c, "1" + eof + "\n1: Invalid Column Row"},
      {c + "\n", "2: Invalid comment line\n2: Invalid Column Row"},
      {c + "# columns 1\n", columns},
      {c + "#\n", columns},
      {c + "# column 1 3\n", columns},
      {c + "# column 1 2 2.5\n", columns},
      {c1 + "# t\n", "3" + eof},
      {c1 + "# t\n(s)\n#\n", "4: Invalid comment line"},
      {c1 + "# t\n# (s)\n#A\n", "5: Invalid comment line"},
      {c1 + "# t u v\n# (s) (s) (s)\n# A B\n", "5: Location row is missing an entry"},
      {c1 + "# t u\n# (s)\n# A\n", "5: Location row is missing an entry"},
      {c1 + "# t u\n# (s)\n#\n", "5: Secondary Variable row in header is missing an entry"},
      {c1 + "# t u\n# (s)\n# A A\n", "5: Secondary Variable row in header is missing an entry"},
      {c1 + "# t\n# (s)\n#\n", "5: File does not contain any data points"},
      {c1 + "# t\n# (s)\n#\nx 1 2\n", "6: Invalid first line of data"},
      {c1 + "# t\n# (s)\n#\n\n1\n", "6: Invalid first line of data"},
      {c1 + "# t\n# (s)\n#\n1 2\n", "6: Too many values on the first data row"},
      {c1 + "#\n#\n# A\n1\n", "6: Too many values on the first data row"},
      {six + "1 2 3 4 5\n", zones},
      {six + "1 2 3 4 5 6 7\n", zones},
      {c + "# column 1 2 3\n# a b\n# s s\n# A B\n1 2 3\n",
       "3: Variable name row is missing an entry"},
  };
  cvl::test::expectHeaders(cases);
}

TEST(OutFileHeader, RealFiles) {
  const std::pair<const char*, std::string> files[] = {
      {"amr.out",
       "4 4 25583 | 3 Crank (DEG),subgrid_scale VELOCITY,subgrid_scale TEMPERATURE : 2,2,2 / "
       "0,1,2,1 0,0,0,1 1,0,0,0 / 2 amr Region_0,amr Region_1"},
      {"cell_count_regions.out",
       "5 5 14492 | 5 Crank (DEG),Total_Cells,Region1,Region0,Region2 : 2,2,2,2,2 / 0,1,2,3,4 "
       "0,0,0,0,0 0,0,0,0,0 / 1 cell_count_regions"},
      {"mass_balance.out",
       "9 9 14492 | 7 Crank (DEG),Cycle_Number,Net_Mass_Flow_Rate (kg/s),"
       "Net_Mass_Flow_Rate_In (kg/s),Net_Mass_Flow_Rate_Out (kg/s),Mass_Flow_Rate (kg/s),"
       "Parcel_Mass_flow_Rate (kg/s) : 2,3,2,2,2,2,2 / 0,1,2,3,4,5,6,5,6 0,0,0,0,0,0,0,1,1 "
       "1,1,1,1,1,0,0,0,0 / 2 mass_balance bound_id_6,mass_balance bound_id_7"},
      {"source_energy.out",
       "5 5 14492 | 5 Crank (DEG),Source_8_0 Integrated_HR,Source_8_0 HR_Rate,"
       "Source_9_1 Integrated_HR,Source_9_1 HR_Rate : 2,2,2,2,2 / 0,1,2,3,4 0,0,1,2,3 1,0,0,0,0 "
       "/ 4 source_energy (J),source_energy (J/DEG),source_energy (J),source_energy (J/DEG)"},
      {"mech_check.out", "2: Invalid comment line\n2: Invalid Column Row"},
  };
  for (const auto& [name, expected] : files)
    EXPECT_EQ(cvl::test::readHeader((cvl::test::testDataDir() / "realdata" / name).string()),
              expected)
        << name;
}
