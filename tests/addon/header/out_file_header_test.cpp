// The header reader, line by line: the forms each line accepts and the record it makes of them,
// the exact messages and lines of what it refuses, the point count, and the real sample files.
#include "addon/header/out_file_header.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/support/header_reading.h"
#include "tests/support/temp_dir.h"

namespace {

using Strings = std::vector<std::string>;
constexpr QvDataType D = cvl::kTypeDouble, I = cvl::kTypeInt32;

// A column as the tables write it: name, type, the index of its variable, zone, shared.
using ColumnRecord = std::tuple<std::string, QvDataType, int32_t, int32_t, bool>;
// An accepted header's record: numColumns, numValues, numPoints, the dataset's variable names,
// every variable's type, the columns and zoneNames (numVariables and numZones are the lengths of
// the name lists).
using Record = std::tuple<int32_t, int32_t, int64_t, Strings, std::vector<QvDataType>,
                          std::vector<ColumnRecord>, Strings>;
// The record of column name, of type type, feeding variable in zone; shared when asked.
ColumnRecord col(const std::string& name, QvDataType type, int32_t variable, int32_t zone = 0,
                 bool shared = false) {
  return {name, type, variable, zone, shared};
}

// Expects the header of path accepted without a message, with record r; input names the case.
void expectRecord(const std::string& path, const Record& r, const std::string& input) {
  const cvl::test::HeaderReading read = cvl::test::readHeader(path);
  const cvl::OutFileInfo& i = read.info;
  EXPECT_TRUE(read.accepted && read.messages.empty())
      << input << testing::PrintToString(read.messages);
  std::vector<ColumnRecord> columns;
  for (const cvl::Column& c : i.columns())
    columns.emplace_back(c.name, c.dataType, c.variable.index(), c.zone, c.shared);
  const auto names = i.dataSetVariableNames();
  EXPECT_EQ(Record(i.numColumns, i.numValues, i.numPoints, Strings(names.begin(), names.end()),
                   i.variableTypes(), columns, i.zoneNames),
            r)
      << input;
}

const std::string kBanner = "# CONVERGE\n";

// Line 1 names CONVERGE and line 2 numbers the columns, keywords in any case, also after blanks
// and with tabs; the rest of line 1 is not read. The column row may count no column, or more or
// fewer than are named. Lines 3 to 5 are kept while the file reads on, also past its window.
// Every line after the fifth is a point, whatever it holds; a last line without terminator
// counts, a terminator at the very end opens no further line.
TEST(OutFileHeader, BannerColumnRowAndPoints) {
  const std::string t = "# t\n# (s)\n#\n1\n", tm = kBanner + "# column 1 2\n# t m\n# (s) (kg)\n#\n";
  const auto t1 = [](int32_t numColumns) {
    return Record(numColumns, 1, 1, {"t (s)"}, {D}, {col("t (s)", D, 0)}, {"case"});
  };
  const auto tm2 = [](int64_t numPoints) {
    return Record(2, 2, numPoints, {"t (s)", "m (kg)"}, {D, D},
                  {col("t (s)", D, 0), col("m (kg)", D, 1)}, {"case"});
  };
  const std::pair<std::string, Record> cases[] = {
      {"# converge 4.0.3/ Run Date\n# Column 1 2 3\n" + t, t1(3)},
      {"   #\tCONVERGE\n  #   COLUMN 1\t2 \n" + t, t1(2)},
      {kBanner + "# column\n" + t, t1(0)},
      {kBanner + "# column 1\n# t\n# (s)" + std::string(1 << 20, ' ') + "\n#\n1\n", t1(1)},
      {tm + "1 2\n3 4", tm2(2)},
      {tm + "1 2\nnot a row\n", tm2(2)},
      {tm + "1 2\n3 4\n\n", tm2(3)},
  };
  const cvl::test::TempDir dir;
  for (const auto& [text, r] : cases) expectRecord(dir.write("case.out", text), r, text);
}

// On line 4 marker words in any case add no unit, "(number)" makes an integer column; other
// entries are appended as units; entries past the last name are ignored. A variable is a full
// name, case-sensitive. With several zones the variables are the distinct full names, typed by
// their first column. With one zone every column is a variable of its own, repeated names
// included; the count of leading numbers on the first data row cuts the variables, but every
// column keeps its type; a column past the column row's count goes to the variable at the index
// of its full name among the distinct names. Each run of columns with one location is a zone,
// named after the file's stem (its name without the last extension) and the location, also where
// a location comes back; "(none)" in any case marks a shared column, which does not end a run;
// locations are case-sensitive. A file without locations, or with "(none)" only, is one zone
// named after the stem.
TEST(OutFileHeader, VariablesColumnsAndZones) {
  // Five columns a b a b a, no unit, at the given locations.
  const auto abab = [](const char* locations) {
    return kBanner + "# column 1 2 3 4 5\n# a b a b a\n# (none) (none) (none) (none) (none)\n# " +
           locations + "\n1 2 3 4 5\n";
  };
  const std::pair<std::string, Record> cases[] = {
      {kBanner + "# column 1 2 3 4 5 6 7\n# a b c d e f g\n"
                 "# (NUMBER) number (numbers) (DIMENSIONLESS) (None) [m/s] (number) x\n#\n"
                 "1 -2.5e+3 +7 4 5 x 6\n",
       Record(7, 5, 1, {"a", "b number", "c (numbers)", "d", "e"}, {I, D, D, D, D, D, I},
              {col("a", I, 0), col("b number", D, 1), col("c (numbers)", D, 2), col("d", D, 3),
               col("e", D, 4), col("f [m/s]", D, 5), col("g", I, 6)},
              {"run.1"})},
      {kBanner +
           "# column 1 2 3 4 5\n# n n p P p\n# (none) (number) u u U\n# L L L M M\n1 2 3 4 5\n",
       Record(5, 5, 1, {"n", "p u", "P u", "p U"}, {D, D, D, D},
              {col("n", D, 0), col("n", I, 0), col("p u", D, 1), col("P u", D, 2, 1),
               col("p U", D, 3, 1)},
              {"run.1 L", "run.1 M"})},
      {kBanner + "# column 1\n# a a b\n# (none) (number) (s)\n#\n1 2 3\n",
       Record(1, 3, 1, {"a", "a", "b (s)"}, {D, I, D},
              {col("a", D, 0), col("a", I, 0), col("b (s)", D, 1)}, {"run.1"})},
      {abab("(none) (NONE) (none) (None) (none)"),
       Record(5, 5, 1, {"a", "b", "a", "b", "a"}, {D, D, D, D, D},
              {col("a", D, 0, 0, true), col("b", D, 1, 0, true), col("a", D, 2, 0, true),
               col("b", D, 3, 0, true), col("a", D, 4, 0, true)},
              {"run.1"})},
      {abab("a A a (none)x (none)x extra"),
       Record(5, 5, 1, {"a", "b"}, {D, D},
              {col("a", D, 0), col("b", D, 1, 1), col("a", D, 0, 2), col("b", D, 1, 3),
               col("a", D, 0, 3)},
              {"run.1 a", "run.1 A", "run.1 a", "run.1 (none)x"})},
      {abab("(NONE) A (none) A B"),
       Record(5, 5, 1, {"a", "b"}, {D, D},
              {col("a", D, 0, 0, true), col("b", D, 1), col("a", D, 0, 0, true), col("b", D, 1),
               col("a", D, 0, 1)},
              {"run.1 A", "run.1 B"})},
  };
  const cvl::test::TempDir dir;
  for (const auto& [text, r] : cases) expectRecord(dir.write("run.1.out", text), r, text);
}

// Each line's step reports its own fault, naming its line, and the steps after it do not run: a
// fault of lines 1 to 5 comes before the point count and the first data row. Of lines 4 and 5,
// the first column that lacks an entry is reported, the location before the qualifier.
TEST(OutFileHeader, Refused) {
  const cvl::test::TempDir dir;
  const std::string path = (dir.path() / "case.out").string();
  const auto at = [&path](uint64_t line, const std::string& message) {
    return cvl::test::lined(path, line, message);
  };
  const std::string c1 = kBanner + "# column 1\n", column = "Invalid Column Row";
  const std::string comment = "Invalid comment line", noData = "Invalid first line of data";
  const std::string eof = "Unexpected end-of-file when processing comment line";
  const std::string six =
      kBanner + "# column 1 2 3 4 5 6\n# a b c d e f\n# s s s s s s\n# A A A B B B\n";
  const std::string zones = "Not allowed to have missing data when the number of zones > 1";
  const std::string location = "Location row is missing an entry";
  const std::string qualifier = "Secondary Variable row in header is missing an entry";
  const std::string tooMany = "Too many values on the first data row";
  const std::pair<std::string, Strings> cases[] = {
      {"#CONVERGE\n# column 1\n", {at(1, comment)}},
      {"# CONVERGEX\n# column 1\n", {"Only allowed to read in CONVERGE generated out files"}},
      {kBanner, {at(1, eof), at(1, column)}},
      {kBanner + "\n", {at(2, comment), at(2, column)}},
      {kBanner + "# columns 1\n", {at(2, column)}},
      {kBanner + "#\n", {at(2, column)}},
      {kBanner + "# column 1 3\n", {at(2, column)}},
      {kBanner + "# column 1 2 2.5\n", {at(2, column)}},
      {c1 + "# t\n", {at(3, eof)}},
      {c1 + "# t\n(s)\n#\n", {at(4, comment)}},
      {c1 + "# t\n# (s)\n#A\n", {at(5, comment)}},
      {c1 + "# t u v\n# (s) (s) (s)\n# A B\n", {at(5, location)}},
      {c1 + "# t u\n# (s)\n# A\n", {at(5, location)}},
      {c1 + "# t u\n# (s)\n#\n", {at(5, qualifier)}},
      {c1 + "# t u\n# (s)\n# A A\n", {at(5, qualifier)}},
      {c1 + "# t\n# (s)\n#\n", {at(5, "File does not contain any data points")}},
      {c1 + "# t\n# (s)\n#\nx 1 2\n", {at(6, noData)}},
      {c1 + "# t\n# (s)\n#\n\n1\n", {at(6, noData)}},
      {c1 + "# t\n# (s)\n#\n1 2\n", {at(6, tooMany)}},
      {c1 + "#\n#\n# A\n1\n", {at(6, tooMany)}},
      {six + "1 2 3 4 5\n", {at(5, zones)}},
      {six + "1 2 3 4 5 6 7\n", {at(5, zones)}},
      {kBanner + "# column 1 2 3\n# a b\n# s s\n# A B\n1 2 3\n",
       {at(3, "Variable name row is missing an entry")}},
  };
  for (const auto& [text, messages] : cases) {
    dir.write("case.out", text);
    const cvl::test::HeaderReading read = cvl::test::readHeader(path);
    EXPECT_FALSE(read.accepted) << text;
    EXPECT_EQ(read.messages, messages) << text;
  }
}

TEST(OutFileHeader, RealFiles) {
  const auto real = [](const char* name) {
    return (cvl::test::testDataDir() / "realdata" / name).string();
  };
  const std::string crank = "Crank (DEG)", velocity = "subgrid_scale VELOCITY";
  const std::string temperature = "subgrid_scale TEMPERATURE", net = "Net_Mass_Flow_Rate";
  const std::string flow = "Mass_Flow_Rate (kg/s)", parcel = "Parcel_Mass_flow_Rate (kg/s)";
  const std::string i8 = "Source_8_0 Integrated_HR", r8 = "Source_8_0 HR_Rate";
  const std::string i9 = "Source_9_1 Integrated_HR", r9 = "Source_9_1 HR_Rate";
  const std::pair<std::string, Record> files[] = {
      {"amr.out", Record(4, 4, 25583, {crank, velocity, temperature}, {D, D, D},
                         {col(crank, D, 0, 0, true), col(velocity, D, 1), col(temperature, D, 2),
                          col(velocity, D, 1, 1)},
                         {"amr Region_0", "amr Region_1"})},
      {"cell_count_regions.out",
       Record(5, 5, 14492, {crank, "Total_Cells", "Region1", "Region0", "Region2"}, {D, D, D, D, D},
              {col(crank, D, 0), col("Total_Cells", D, 1), col("Region1", D, 2),
               col("Region0", D, 3), col("Region2", D, 4)},
              {"cell_count_regions"})},
      {"mass_balance.out",
       Record(9, 9, 14492,
              {crank, "Cycle_Number", net + " (kg/s)", net + "_In (kg/s)", net + "_Out (kg/s)",
               flow, parcel},
              {D, I, D, D, D, D, D},
              {col(crank, D, 0, 0, true), col("Cycle_Number", I, 1, 0, true),
               col(net + " (kg/s)", D, 2, 0, true), col(net + "_In (kg/s)", D, 3, 0, true),
               col(net + "_Out (kg/s)", D, 4, 0, true), col(flow, D, 5), col(parcel, D, 6),
               col(flow, D, 5, 1), col(parcel, D, 6, 1)},
              {"mass_balance bound_id_6", "mass_balance bound_id_7"})},
      {"source_energy.out", Record(5, 5, 14492, {crank, i8, r8, i9, r9}, {D, D, D, D, D},
                                   {col(crank, D, 0, 0, true), col(i8, D, 1), col(r8, D, 2, 1),
                                    col(i9, D, 3, 2), col(r9, D, 4, 3)},
                                   {"source_energy (J)", "source_energy (J/DEG)",
                                    "source_energy (J)", "source_energy (J/DEG)"})},
  };
  for (const auto& [name, record] : files) expectRecord(real(name.c_str()), record, name);
  // Not an output file: its line 2 is blank.
  const std::string mech = real("mech_check.out");
  EXPECT_EQ(cvl::test::readHeader(mech).messages,
            (Strings{cvl::test::lined(mech, 2, "Invalid comment line"),
                     cvl::test::lined(mech, 2, "Invalid Column Row")}));
}

}  // namespace
