// A file that another program truncates or appends to after the loader has counted its lines and
// made its zone, while the rows are read. The file is larger than the line file's read window, so
// that the change is seen by the reads that follow. The load must fail with one message when rows
// are missing, read no more rows than it counted, and keep what it stored.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "assembly/zones.h"
#include "host/arg_list.h"
#include "host/string_list.h"
#include "qvsdkbase/host_control.h"
#include "reader/ascii_file.h"
#include "reader/data_rows.h"
#include "reader/out_file_header.h"
#include "tests/fuzz/selection_load.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr const char* kHeader = "# CONVERGE\n# column 1 2\n# Time Steps\n# (s) (number)\n#\n";
constexpr int64_t kRows = 200'000;  // about 3 MB of rows, three times the read window

// Row r (from 0) holds the time r + 0.5 and the step r, padded to a fixed width so that a row's
// offset is known.
std::string row(int64_t r) {
  std::string text = std::to_string(r) + ".5 " + std::to_string(r);
  text.resize(15, ' ');
  return text + '\n';
}

// Opens path, reads its header and makes the dataset and the file's zone, as the load sequence
// does before the rows.
bool prepare(const std::string& path, qorvian::qorutilutil::AsciiFile& file,
             cvl::OutFileInfo& info) {
  if (!file.open(path) || !cvl::readOutFileHeader(file, info)) return false;
  qorvian::StringList names;
  for (const std::string& name : info.varNames) names.append(name);
  qorvian::ArgList args;
  return args.appendString("DataSetTitle", info.title) &&
         args.appendString("LoaderName", cvl::kLoaderName) &&
         args.appendStringList("VarNames", names) && QorUtilDataSetCreateX(args.getRef()) != 0 &&
         cvl::addZones(info, 1);
}

struct ChangeCase {
  int64_t newSize;      // bytes of rows the file holds after the change
  int64_t keptRows;     // rows left whole by the change
  const char* message;  // the one message, on the file's last line, or none
};

TEST(ChangingFile, RowsReadAreKeptAndMissingRowsFailTheLoadOnce) {
  const int64_t rowSize = 16;
  const ChangeCase cases[] = {
      {150'000 * rowSize, 150'000, "File changed or could not be read while loading"},
      {150'000 * rowSize + 8, 150'000, "Invalid or missing integer value"},  // time, some blanks
      {(kRows + 1000) * rowSize, kRows, nullptr},
  };
  std::string original = kHeader;
  for (int64_t r = 0; r < kRows + 1000; ++r) original += row(r);
  for (const ChangeCase& c : cases) {
    SCOPED_TRACE(c.newSize);
    const cvltest::TempDir dir;
    const auto rows = [&](int64_t bytes) {
      return std::string_view(original).substr(
          0, std::string_view(kHeader).size() + static_cast<size_t>(bytes));
    };
    const std::string path = dir.write("f.out", rows(kRows * rowSize));
    qvsdkbase::reset();
    QorUtilLockOn();
    qorvian::qorutilutil::AsciiFile file;
    cvl::OutFileInfo info;
    ASSERT_TRUE(prepare(path, file, info)) << testing::PrintToString(qvsdkbase::messages());
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
    cvltest::SelectionLoad read;
    read.messages = qvsdkbase::messages();
    std::vector<std::string> violations = cvltest::checkLoad({path}, read);
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
