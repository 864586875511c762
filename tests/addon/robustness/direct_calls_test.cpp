// Steps of the load called directly: with what the load sequence never hands them (records that
// the header reader would not make, a file shorter than the header reader lets through), and with
// a file that another program truncates or appends to between its line count and its rows. Each
// step refuses with its own message, or leaves out what it cannot place, instead of reading or
// writing out of bounds, and keeps what it stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "addon/assembly/zones.h"
#include "addon/header/first_data_row.h"
#include "addon/header/out_file_header.h"
#include "addon/rows/data_rows.h"
#include "standins/qorutilutil_utils/ascii_file.h"
#include "standins/qvsdkbase/host_control.h"
#include "standins/qvtoolbox/arg_list.h"
#include "standins/qvtoolbox/string_list.h"
#include "tests/support/temp_dir.h"
#include "tools/fuzz/selection_load.h"

namespace {

constexpr QvDataType D = QV_DATATYPE_DOUBLE;
using Strings = std::vector<std::string>;

// A fresh host, locked as during a load, with a dataset of the variables varNames; false when
// the host refused it.
bool startDataSet(const Strings& varNames = {"a", "b"}) {
  qvsdkbase::reset();
  QorUtilLockOn();
  qorvian::StringList names;
  for (const std::string& name : varNames) names.append(name);
  qorvian::ArgList args;
  return args.appendString("DataSetTitle", "T") && args.appendString("LoaderName", "L") &&
         args.appendStringList("VarNames", names) && QorUtilDataSetCreateX(args.getRef()) != 0;
}

// A column of a made-up record: the index of its variable, its zone, whether it is shared.
struct ColumnPlace {
  int variable;
  int32_t zone;
  bool shared;
};
const std::vector<ColumnPlace> kApart = {
    {0, 0, false}, {1, 0, false}, {0, 1, false}, {1, 1, false}};

// Zones "z A" and "z B" of two points: the given number of double variables, of which the
// dataset has the first numVariables, and the given columns.
cvl::OutFileInfo twoZones(const std::vector<ColumnPlace>& columns = kApart, int variables = 2,
                          int32_t numVariables = 2) {
  cvl::OutFileInfo info;
  info.numPoints = 2;
  info.numValues = 4;
  info.numVariables = numVariables;
  info.zoneNames = {"z A", "z B"};
  std::vector<cvl::VariableRef> refs;
  for (int v = 0; v < variables; ++v) refs.push_back(info.addVariable("v", D));
  for (const ColumnPlace& c : columns)
    info.addColumn({"v", D, refs[static_cast<size_t>(c.variable)], c.zone, c.shared});
  return info;
}

TEST(DirectCalls, ZoneCreationRefusesWhatItCannotDescribeAndSharesOnlyKnownVariables) {
  // Each zone made, by its name and the zone that each of its variables is shared with (0: none).
  using Zones = std::vector<std::pair<std::string, std::vector<QvZoneNum>>>;
  const Zones apart = {{"z A", {0, 0}}, {"z B", {0, 0}}};
  const Zones shared = {{"z A", {0, 0}}, {"z B", {0, 1}}};
  const auto noZoneName = [] {
    cvl::OutFileInfo info = twoZones();
    info.zoneNames.clear();
    return info;
  };
  const struct {
    const char* name;
    cvl::OutFileInfo info;
    Zones zones;  // none when refused
  } cases[] = {
      {"as made", twoZones(), apart},
      {"no zone name", noZoneName(), {}},
      {"no variable", twoZones(kApart, 2, 0), {}},
      {"more variables than described", twoZones(kApart, 2, 3), {}},
      {"shared column", twoZones({{0, 0, false}, {1, 0, true}, {0, 1, false}, {1, 1, false}}),
       shared},
      {"columns short", twoZones({{0, 0, false}, {1, 0, true}}), shared},
      {"columns short, shared", twoZones({{1, 0, true}}), shared},
      {"shared variable the dataset lacks", twoZones({{2, 0, true}, {0, 0, false}}, 3), apart},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(startDataSet());
    EXPECT_EQ(cvl::addZones(c.info, 1), !c.zones.empty()) << c.name;
    Zones made;
    for (const qvsdkbase::Zone& zone : qvsdkbase::dataSet()->zones)
      made.emplace_back(zone.name, zone.shareZones);
    EXPECT_EQ(made, c.zones) << c.name;
    EXPECT_EQ(qvsdkbase::messages(), c.zones.empty() ? Strings{cvl::kAddZonesFailed} : Strings{})
        << c.name;
    QorUtilLockOff();
  }
}

TEST(DirectCalls, DataRowsRefuseARecordThatDoesNotPlaceEveryColumn) {
  const struct {
    const char* name;
    cvl::OutFileInfo info;
  } cases[] = {
      {"columns short", twoZones({kApart.begin(), kApart.end() - 1})},
      {"a variable the dataset lacks",
       twoZones({{0, 0, false}, {1, 0, false}, {0, 1, false}, {2, 1, false}}, 3)},
  };
  const cvl::test::TempDir dir;
  const std::string path = dir.write("z.out", "1 2 3 4\n5 6 7 8\n");
  for (const auto& c : cases) {
    ASSERT_TRUE(startDataSet());
    qorvian::qorutilutil::AsciiFile file;
    ASSERT_TRUE(cvl::addZones(twoZones(), 1) && file.open(path));
    EXPECT_FALSE(cvl::readDataRows(file, c.info, 1)) << c.name;
    EXPECT_EQ(qvsdkbase::messages(), Strings{"Unable to access the values of the dataset"})
        << c.name;
    EXPECT_EQ(qvsdkbase::dataSet()->zones[0].values[0]->asDouble(0), 0) << c.name;
    QorUtilLockOff();
  }
}

TEST(DirectCalls, FirstDataRowOfAFileOfFiveLinesIsRefused) {
  const cvl::test::TempDir dir;
  const std::string path = dir.write("five.out", "# CONVERGE\n# column 1\n# t\n# (s)\n#\n");
  qorvian::qorutilutil::AsciiFile file;
  cvl::OutFileInfo info;
  ASSERT_TRUE(startDataSet() && file.open(path));
  EXPECT_FALSE(cvl::readFirstDataRow(file, info));
  EXPECT_EQ(qvsdkbase::messages(),
            Strings{"File \"" + path + "\", line 6: Invalid first line of data"});
  QorUtilLockOff();
}

// A file of rows larger than the line file's read window, read through the window (as a file too
// large to be read whole is), so that a change is seen by the reads that follow: rows of 16
// bytes, the time r + 0.5 and the step r of row r. A read that failed before the rows (a line
// asked for past the end) also fails the load, once the rows are read. A file read whole is the
// snapshot its count read: a change after it is not seen.
TEST(ChangingFile, RowsReadAreKeptAndMissingRowsFailTheLoadOnce) {
  const std::string header = "# CONVERGE\n# column 1 2\n# Time Steps\n# (s) (number)\n#\n";
  const int64_t counted = 200'000;  // about 3 MB of rows, three times the read window
  const struct {
    int64_t rows;               // whole rows the file holds after the change
    size_t bytes;               // and bytes of the next one
    Strings messages;           // about f.out
    bool failedBefore = false;  // a read of the line file failed before the rows
    bool whole = false;         // the file is read whole
  } cases[] = {
      {150'000, 0, {"line 150005: File changed or could not be read while loading"}},
      {150'000, 8, {"line 150006: Invalid or missing integer value"}},  // a time, then blanks
      {counted + 1000, 0, {}},
      {counted, 0, {"line 200005: File changed or could not be read while loading"}, true},
      {150'000, 0, {}, false, true},
  };
  std::string original = header;
  for (int64_t r = 0; r < counted + 1000; ++r)
    original +=
        (std::to_string(r) + ".5 " + std::to_string(r) + std::string(15, ' ')).substr(0, 15) + '\n';
  const auto rows = [&](int64_t whole, size_t bytes = 0) {
    return std::string_view(original).substr(
        0, header.size() + 16 * static_cast<size_t>(whole) + bytes);
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rows << " rows and " << c.bytes << " bytes"
                                    << (c.whole ? ", read whole" : ""));
    const cvl::test::TempDir dir;
    const std::string path = dir.write("f.out", rows(counted));
    // The line count, the header and the zone, as the load sequence makes them before the rows.
    qorvian::qorutilutil::AsciiFile file;
    cvl::OutFileInfo info;
    ASSERT_TRUE(
        file.open(path, c.whole ? qorvian::qorutilutil::AsciiFile::kWholeFileLimit : 0) &&
        cvl::readOutFileHeader(file, info) &&
        startDataSet({info.dataSetVariableNames().begin(), info.dataSetVariableNames().end()}) &&
        cvl::addZones(info, 1));
    ASSERT_EQ(info.numPoints, counted);
    dir.write("f.out", rows(c.rows, c.bytes));
    if (c.failedBefore) file.readLineAtOffset(uint64_t{1} << 40);  // no such line
    EXPECT_EQ(cvl::readDataRows(file, info, 1), c.messages.empty());
    QorUtilLockOff();
    Strings messages;
    for (const std::string& text : c.messages) messages.push_back("File \"" + path + "\", " + text);
    EXPECT_EQ(qvsdkbase::messages(), messages);
    // The load rules hold once the file is back to what was counted; a read that succeeded hands
    // nothing back by itself, so its lack of a message is no fault here.
    dir.write("f.out", rows(counted));
    cvl::fuzz::SelectionLoad read;
    read.messages = qvsdkbase::messages();
    Strings violations = cvl::fuzz::checkLoad({path}, read);
    std::erase(violations, "the load failed without a message");
    EXPECT_TRUE(violations.empty()) << testing::PrintToString(violations);
    // Every row that was read is stored, also those from before the change that are still in the
    // read window, and nothing is read past the rows counted.
    const qvsdkbase::Zone& zone = qvsdkbase::dataSet()->zones.at(0);
    const int64_t last = (c.whole ? counted : std::min(c.rows, counted)) - 1;
    ASSERT_EQ(zone.points, counted);
    EXPECT_EQ(std::tuple(zone.values[0]->asDouble(last), zone.values[1]->asDouble(last)),
              std::tuple(static_cast<double>(last) + 0.5, static_cast<double>(last)));
  }
}

}  // namespace
