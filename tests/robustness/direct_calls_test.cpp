// Steps of the load called directly with what the load sequence never hands them: records that
// the header reader would not make, and a file shorter than the header reader lets through. Each
// step refuses with its own message, or leaves out what it cannot place, instead of reading or
// writing out of bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assembly/zones.h"
#include "host/arg_list.h"
#include "host/string_list.h"
#include "qvsdkbase/host_control.h"
#include "reader/ascii_file.h"
#include "reader/data_rows.h"
#include "reader/first_data_row.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr QvDataType D = QV_DATATYPE_DOUBLE;

// A fresh host, locked as during a load, with a dataset of the variables a and b.
void startDataSet() {
  qvsdkbase::reset();
  QorUtilLockOn();
  qorvian::StringList names;
  names.append("a");
  names.append("b");
  qorvian::ArgList args;
  ASSERT_TRUE(args.appendString("DataSetTitle", "T") && args.appendString("LoaderName", "L") &&
              args.appendStringList("VarNames", names) && QorUtilDataSetCreateX(args.getRef()));
}

// Two zones of two points, both variables double, two columns each, nothing shared.
cvl::OutFileInfo twoZones() {
  cvl::OutFileInfo info;
  info.numPoints = 2;
  info.numValues = 4;
  info.numVariables = 2;
  info.varDataTypes = {D, D};
  info.zoneNames = {"z A", "z B"};
  info.columnVariable = {0, 1, 0, 1};
  info.columnZone = {0, 0, 1, 1};
  info.columnShared = {false, false, false, false};
  return info;
}

// The zones the host holds, each as "<name> <share list or ->|".
std::string zonesMade() {
  std::string seen;
  for (const qvsdkbase::Zone& zone : qvsdkbase::dataSet()->zones) {
    std::string shares = zone.shareListGiven ? "" : "-";
    for (const QvZoneNum share : zone.shareZones)
      shares += zone.shareListGiven ? std::to_string(share) : "";
    seen += zone.name + " " + shares + "|";
  }
  return seen;
}

TEST(DirectCalls, ZoneCreationRefusesWhatItCannotDescribeAndSharesOnlyKnownVariables) {
  using I = cvl::OutFileInfo&;
  const struct {
    const char* name;
    void (*change)(cvl::OutFileInfo&);
    const char* zones;  // as zonesMade gives them; none when refused
  } cases[] = {
      {"as made", [](I) {}, "z A -|z B 00|"},
      {"no zone name", [](I i) { i.zoneNames.clear(); }, ""},
      {"no variable", [](I i) { i.numVariables = 0; }, ""},
      {"a type missing", [](I i) { i.varDataTypes.pop_back(); }, ""},
      {"shared column", [](I i) { i.columnShared[1] = true; }, "z A -|z B 01|"},
      {"sharing flags short", [](I i) { i.columnShared.resize(2), i.columnShared[1] = true; },
       "z A -|z B 01|"},
      {"variables short",
       [](I i) { i.columnShared.assign(2, true), i.columnVariable.assign(1, 1); }, "z A -|z B 01|"},
      {"variable out of range",
       [](I i) {
         i.columnShared.assign(2, true), i.columnVariable.assign(2, 2), i.columnVariable[0] = -1;
       },
       "z A -|z B 00|"},
  };
  for (const auto& c : cases) {
    startDataSet();
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
      {"variables short", [](I i) { i.columnVariable.pop_back(); }},
      {"zones short", [](I i) { i.columnZone.pop_back(); }},
      {"sharing flags short", [](I i) { i.columnShared.pop_back(); }},
      {"variable below 0", [](I i) { i.columnVariable[3] = -1; }},
      {"variable without a type", [](I i) { i.columnVariable[3] = 2; }},
  };
  const cvltest::TempDir dir;
  const std::string path = dir.write("z.out", "1 2 3 4\n5 6 7 8\n");
  for (const auto& c : cases) {
    startDataSet();
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
  const cvltest::TempDir dir;
  const std::string path = dir.write("five.out", "# CONVERGE\n# column 1\n# t\n# (s)\n#\n");
  qvsdkbase::reset();
  QorUtilLockOn();
  qorvian::qorutilutil::AsciiFile file;
  ASSERT_TRUE(file.open(path));
  cvl::OutFileInfo info;
  EXPECT_FALSE(cvl::readFirstDataRow(file, info));
  EXPECT_EQ(qvsdkbase::messages(),
            std::vector<std::string>{"File \"" + path + "\", line 6: Invalid first line of data"});
  QorUtilLockOff();
}

}  // namespace
