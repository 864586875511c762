// Steps of the load called directly: with what the load sequence never hands them (records that
// the header reader would not make, a file shorter than the header reader lets through), and with
// a file that another program truncates or appends to between its line count and its rows. Each
// step refuses with its own message, or leaves out what it cannot place, instead of reading or
// writing out of bounds, and keeps what it stored.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "addon/assembly/zones.h"
#include "addon/header/first_data_row.h"
#include "addon/header/out_file_header.h"
#include "addon/rows/data_rows.h"
#include "standins/qorutilutil_utils/ascii_file.h"
#include "standins/qvsdkbase/host_control.h"
#include "standins/qvtoolbox/arg_list.h"
#include "standins/qvtoolbox/string_list.h"
#include "tests/support/header_reading.h"
#include "tests/support/temp_dir.h"
#include "tools/fuzz/selection_load.h"

namespace {

constexpr QvDataType D = QV_DATATYPE_DOUBLE;

// A fresh host, locked as during a load, with a dataset of the variables varNames; false when
// the host refused it.
bool startDataSet(const std::vector<std::string>& varNames = {"a", "b"}) {
  qvsdkbase::reset();
  QorUtilLockOn();
  qorvian::StringList names;
  for (const std::string& name : varNames) names.append(name);
  qorvian::ArgList args;
  return args.appendString("DataSetTitle", "T") && args.appendString("LoaderName", "L") &&
         args.appendStringList("VarNames", names) && QorUtilDataSetCreateX(args.getRef()) != 0;
}

// Two zones of two points, both variables double, two columns each, nothing shared.
cvl::OutFileInfo twoZones() {
  cvl::OutFileInfo info;
  info.numPoints = 2;
  info.numValues = 4;
  info.numVariables = 2;
  info.varDataTypes = {D, D};
  info.zoneNames = {"z A", "z B"};
  info.columns = {
      {"a", D, 0, 0, false}, {"b", D, 1, 0, false}, {"a", D, 0, 1, false}, {"b", D, 1, 1, false}};
  return info;
}

// The zones the host holds, each as "<name> <share list, or - when none was given>|".
std::string zonesMade() {
  std::string seen;
  for (const qvsdkbase::Zone& zone : qvsdkbase::dataSet()->zones)
    seen +=
        zone.name + " " + (zone.shareListGiven ? cvl::test::joined(zone.shareZones) : "-") + "|";
  return seen;
}

TEST(DirectCalls, ZoneCreationRefusesWhatItCannotDescribeAndSharesOnlyKnownVariables) {
  using I = cvl::OutFileInfo&;
  const struct {
    const char* name;
    void (*change)(cvl::OutFileInfo&);
    const char* zones;  // as zonesMade gives them; none when refused
  } cases[] = {
      {"as made", [](I) {}, "z A -|z B 0,0|"},
      {"no zone name", [](I i) { i.zoneNames.clear(); }, ""},
      {"no variable", [](I i) { i.numVariables = 0; }, ""},
      {"a type missing", [](I i) { i.varDataTypes.pop_back(); }, ""},
      {"shared column", [](I i) { i.columns[1].shared = true; }, "z A -|z B 0,1|"},
      {"columns short", [](I i) { i.columns.resize(2), i.columns[1].shared = true; },
       "z A -|z B 0,1|"},
      {"columns short, shared",
       [](I i) { i.columns.resize(1), i.columns[0].shared = true, i.columns[0].variable = 1; },
       "z A -|z B 0,1|"},
      {"variable out of range",
       [](I i) {
         i.columns.resize(2), i.columns[0] = {"a", D, -1, 0, true},
                              i.columns[1] = {"b", D, 2, 0, true};
       },
       "z A -|z B 0,0|"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(startDataSet());
    cvl::OutFileInfo info = twoZones();
    c.change(info);
    const bool refused = std::string(c.zones).empty();
    EXPECT_EQ(cvl::addZones(info, 1), !refused) << c.name;
    EXPECT_EQ(zonesMade(), c.zones) << c.name;
    EXPECT_EQ(qvsdkbase::messages(),
              refused ? std::vector<std::string>{cvl::kAddZonesFailed} : std::vector<std::string>{})
        << c.name;
    QorUtilLockOff();
  }
}

TEST(DirectCalls, DataRowsRefuseARecordThatDoesNotPlaceEveryColumn) {
  using I = cvl::OutFileInfo&;
  const struct {
    const char* name;
    void (*change)(cvl::OutFileInfo&);
  } cases[] = {
      {"columns short", [](I i) { i.columns.pop_back(); }},
      {"variable below 0", [](I i) { i.columns[3].variable = -1; }},
      {"variable without a type", [](I i) { i.columns[3].variable = 2; }},
  };
  const cvl::test::TempDir dir;
  const std::string path = dir.write("z.out", "1 2 3 4\n5 6 7 8\n");
  for (const auto& c : cases) {
    ASSERT_TRUE(startDataSet());
    cvl::OutFileInfo info = twoZones();
    ASSERT_TRUE(cvl::addZones(info, 1));
    c.change(info);
    qorvian::qorutilutil::AsciiFile file;
    ASSERT_TRUE(file.open(path));
    EXPECT_FALSE(cvl::readDataRows(file, info, 1)) << c.name;
    EXPECT_EQ(qvsdkbase::messages(),
              std::vector<std::string>{"Unable to access the values of the dataset"})
        << c.name;
    EXPECT_EQ(qvsdkbase::dataSet()->zones[0].values[0]->asDouble(0), 0) << c.name;
    QorUtilLockOff();
  }
}

TEST(DirectCalls, FirstDataRowOfAFileOfFiveLinesIsRefused) {
  const cvl::test::TempDir dir;
  const std::string path = dir.write("five.out", "# CONVERGE\n# column 1\n# t\n# (s)\n#\n");
  ASSERT_TRUE(startDataSet());
  qorvian::qorutilutil::AsciiFile file;
  cvl::OutFileInfo info;
  EXPECT_TRUE(file.open(path) && !cvl::readFirstDataRow(file, info));
  EXPECT_EQ(qvsdkbase::messages(),
            std::vector<std::string>{"File \"" + path + "\", line 6: Invalid first line of data"});
  QorUtilLockOff();
}

// A file of rows larger than the line file's read window, so that a change is seen by the reads
// that follow.
constexpr const char* kHeader = "# CONVERGE\n# column 1 2\n# Time Steps\n# (s) (number)\n#\n";
constexpr int64_t kRows = 200'000;  // about 3 MB of rows, three times the read window

TEST(ChangingFile, RowsReadAreKeptAndMissingRowsFailTheLoadOnce) {
  const int64_t rowSize = 16;
  const struct {
    int64_t newSize;      // bytes of rows the file holds after the change
    int64_t keptRows;     // rows left whole by the change
    const char* message;  // the one message, on the file's last line, or none
  } cases[] = {
      {150'000 * rowSize, 150'000, "File changed or could not be read while loading"},
      {150'000 * rowSize + 8, 150'000, "Invalid or missing integer value"},  // time, some blanks
      {(kRows + 1000) * rowSize, kRows, nullptr},
  };
  std::string original = kHeader;
  for (int64_t r = 0; r < kRows + 1000; ++r) {
    std::string row = std::to_string(r) + ".5 " + std::to_string(r);  // time r + 0.5, step r
    row.resize(rowSize - 1, ' ');  // a fixed width, so that a row's offset is known
    original += row + '\n';
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.newSize);
    const cvl::test::TempDir dir;
    const auto rows = [&](int64_t bytes) {
      return std::string_view(original).substr(
          0, std::string_view(kHeader).size() + static_cast<size_t>(bytes));
    };
    const std::string path = dir.write("f.out", rows(kRows * rowSize));
    // The line count, the header and the zone, as the load sequence makes them before the rows.
    qorvian::qorutilutil::AsciiFile file;
    cvl::OutFileInfo info;
    ASSERT_TRUE(file.open(path) && cvl::readOutFileHeader(file, info) &&
                startDataSet(info.varNames) && cvl::addZones(info, 1));
    ASSERT_EQ(info.numPoints, kRows);

    dir.write("f.out", rows(c.newSize));
    EXPECT_EQ(cvl::readDataRows(file, info, 1), c.message == nullptr);
    QorUtilLockOff();

    const auto lastLine = static_cast<uint64_t>(5 + (c.newSize + rowSize - 1) / rowSize);
    const std::string at = "File \"" + path + "\", line " + std::to_string(lastLine) + ": ";
    EXPECT_EQ(qvsdkbase::messages(),
              c.message == nullptr ? std::vector<std::string>{} : std::vector{at + c.message});
    // The load rules hold once the file is back to what was counted; a read that succeeded hands
    // nothing back by itself, so its lack of a message is no fault here.
    dir.write("f.out", rows(kRows * rowSize));
    cvl::test::SelectionLoad read;
    read.messages = qvsdkbase::messages();
    std::vector<std::string> violations = cvl::test::checkLoad({path}, read);
    if (c.message == nullptr) std::erase(violations, "the load failed without a message");
    EXPECT_TRUE(violations.empty()) << testing::PrintToString(violations);
    // Every row that was read is stored, also those from before the change that are still in the
    // read window, and nothing is read past the rows counted.
    const qvsdkbase::Zone& zone = qvsdkbase::dataSet()->zones.at(0);
    ASSERT_EQ(zone.points, kRows);
    EXPECT_EQ(zone.values[0]->asDouble(c.keptRows - 1), static_cast<double>(c.keptRows) - 0.5);
    EXPECT_EQ(zone.values[1]->asDouble(c.keptRows - 1), static_cast<double>(c.keptRows - 1));
  }
}

}  // namespace
