// The data row reader, through loads into the stand-in host: values, types, zones, row faults.
#include "reader/data_rows.h"

#include <gtest/gtest.h>

#include "assembly/load_sequence.h"
#include "assembly/zones.h"
#include "tests/support/header_reading.h"

// Every value of zone: each variable's values joined, then joined by '|'.
static std::string zoneValues(size_t zone) {
  std::string all;
  for (const auto& array : qvsdkbase::dataSet()->zones.at(zone - 1).values) {
    std::vector<double> values;
    for (int64_t i = 0; i < array->size; ++i) values.push_back(array->asDouble(i));
    all += (all.empty() ? "" : "|") + cvltest::joined(values);
  }
  return all;
}

// Loads paths into a fresh stand-in host under its lock: "loaded" or "failed" with the messages
// as linedMessages gives them for the first path, then " => " and the values of zone 1.
static std::string load(const std::vector<std::string>& paths) {
  qvsdkbase::reset();
  QorUtilLockOn();
  const bool ok = cvl::loadFileList(paths);
  QorUtilLockOff();
  return (ok ? "loaded" : "failed ") +
         cvltest::linedMessages(paths.front(), qvsdkbase::messages()) + " => " + zoneValues(1);
}

// Each row gives as many values as the first row, each by its variable's type (Step is an
// integer; Count's type is its first column's); text after them is ignored. The first faulty row
// ends the load, keeping the rows before it and the values of the faulty row before its fault.
TEST(DataRows, RowsAndTheirFaults) {
  const std::string h =
      "# CONVERGE\n# column 1 2 3\n# Time Step Ratio\n# (s) (number) (dimensionless)\n#\n";
  const std::string noDouble = ": Invalid or missing double precision value => ";
  const std::string noInteger = ": Invalid or missing integer value => ";
  const std::pair<std::string, std::string> cases[] = {
      {h + "1.5 2 0.25\n-2e3 -7 1\n", "loaded => 1.5,-2000|2,-7|0.25,1"},
      {h + "1 4294967297 3\n1 -2147483649 3\n", "loaded => 1,1|1,2147483647|3,3"},
      {h + "1 2\n4 5 end\n", "loaded => 1,4|2,5"},
      {h + "1 2\n4 5 6\n", "failed 7: Too many values => 1,4|2,5"},
      {h + "1 2 3\n4 5 6 7\n8 9 1\n", "failed 7: Too many values => 1,4,0|2,5,0|3,6,0"},
      {h + "1 2 3\n4 5\n", "failed 7" + noDouble + "1,4|2,5|3,0"},
      {h + "1 2 3\n4\n", "failed 7" + noInteger + "1,4|2,0|3,0"},
      {h + "1 2.5 3\n", "failed 6" + noInteger + "1|0|0"},
      {h + "1 2 3\n\n4 5 6\n", "failed 7" + noDouble + "1,0,0|2,0,0|3,0,0"},
      {h + "1 2 3\n\n", "failed 7" + noDouble + "1,0|2,0|3,0"},
      {"# CONVERGE\n# column 1 2\n# Count Count\n# (none) (number)\n# A B\n2.5 3.5\n",
       "loaded => 2.5"},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(load({cvltest::TempDir().write("f.out", text)}), expected) << text;
}

// Zones A, B, C; c and s are shared, s after zone B began; zone C has no t. Each column's array
// is looked up once, a shared column's in the file's first zone: for the second copy of the
// file, zone 4.
TEST(DataRows, ColumnsGoToTheirZoneFromFirstZone) {
  const cvltest::TempDir dir;
  const std::string path = dir.write(
      "f.out",
      "# CONVERGE\n# column 1 2 3 4 5 6 7\n# c m t m s t m\n# (s) (kg) (K) (kg) (number) (K) "
      "(kg)\n# (none) A A B (none) B C\n1 10 100 20 5 200 30\n2 11 101 21 6 201 31\n");
  ASSERT_EQ(load({path, path}), "loaded => 1,2|10,11|100,101|5,6");
  std::string lookups;
  for (const qvsdkbase::Call& call : qvsdkbase::calls())
    if (call.function.ends_with("GetWritableRawPtr")) lookups += call.detail.substr(5) + ",";
  EXPECT_EQ(lookups.substr(lookups.size() / 2),
            "4 variable 1,4 variable 2,4 variable 3,5 variable 2,4 variable 4,5 variable 3,6 "
            "variable 2,");
  EXPECT_EQ(zoneValues(5) + " ; " + zoneValues(6), "1,2|20,21|200,201|5,6 ; 1,2|30,31|0,0|5,6");
}

// A file shorter than counted (as if it had lost its last line) is reported as changed, against
// the last line read; the rows read stay.
TEST(DataRows, FileChanged) {
  const cvltest::TempDir dir;
  const std::string path = dir.write("f.out", "# CONVERGE\n# column 1\n# t\n# (s)\n#\n1\n4\n");
  qorvian::qorutilutil::AsciiFile file;
  cvl::OutFileInfo info;
  ASSERT_TRUE(file.open(path) && cvl::readOutFileHeader(file, info) &&
              load({path}) == "loaded => 1,4");
  ++info.numPoints;
  QorUtilLockOn();
  EXPECT_FALSE(cvl::addZones(info, 2) && cvl::readDataRows(file, info, 2));
  QorUtilLockOff();
  EXPECT_EQ(cvltest::linedMessages(path, qvsdkbase::messages()) + " => " + zoneValues(2),
            "7: File changed or could not be read while loading => 1,4,0");
}

// Rows whose values and line ends fall at every place of the reader's 64-byte steps and of the
// line file's window (blanks and tabs of any width, CRLF, rows longer than a step), each value
// read once and stored at its row.
TEST(DataRows, RowsAcrossStepsAndWindows) {
  std::string text = "# CONVERGE\n# column 1 2\n# Time Step\n# (s) (number)\n#\n";
  std::vector<double> times;
  std::vector<double> steps;
  for (int r = 0; text.size() < (size_t{3} << 20); ++r) {
    const std::string gap(static_cast<size_t>(1 + r % 71), r % 3 == 0 ? '\t' : ' ');
    char time[32];
    std::snprintf(time, sizeof time, "%.*e", r % 11, r * 1.25e-3 - 7.0);
    text += (r % 2 == 0 ? gap : "") + time + gap + std::to_string(r - 5000) +
            (r % 5 == 0 ? gap : "") + (r % 4 == 0 ? "\r\n" : "\n");
    times.push_back(std::strtod(time, nullptr));
    steps.push_back(r - 5000);
  }
  const std::string loaded = load({cvltest::TempDir().write("f.out", text)});
  EXPECT_EQ(loaded, "loaded => " + cvltest::joined(times) + "|" + cvltest::joined(steps));
}
