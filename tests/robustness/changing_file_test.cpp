// A file that another program truncates, rewrites or appends to after the loader has counted its
// lines and made its zone, while the rows are read. The file is larger than the line file's read
// window, so that the change is seen by the reads that follow. The load must fail with one
// message when rows are missing, read no more rows than it counted, and keep what it stored.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "assembly/zones.h"
#include "host/arg_list.h"
#include "host/string_list.h"
#include "minihost/host_control.h"
#include "reader/ascii_file.h"
#include "reader/data_rows.h"
#include "reader/out_file_header.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr const char* kHeader = "# CONVERGE\n# column 1 2\n# Time Steps\n# (s) (number)\n#\n";
constexpr int64_t kRows = 200'000;  // about 3 MB of rows, three times the read window
constexpr const char* kFileChanged = "File changed or could not be read while loading";

// Row r (from 0) holds the time r + 0.5 and the step r, padded to a fixed width so that a row's
// offset is known.
std::string row(int64_t r) {
  std::string text = std::to_string(r) + ".5 " + std::to_string(r);
  text.resize(15, ' ');
  return text + '\n';
}

uint64_t headerSize() {
  return std::string(kHeader).size();
}

std::string fileOfRows(int64_t rows) {
  std::string text = kHeader;
  for (int64_t r = 0; r < rows; ++r) text += row(r);
  return text;
}

enum class Change { CutAtRow, CutInsideRow, Rewritten, Appended };

struct ChangeCase {
  const char* name;
  Change change;
  int64_t keptRows;  // rows left whole by the change
  bool loaded;
  const char* message;  // the one message, against line 5 + keptRows (+ 1 when cut inside a row)
};

const ChangeCase kCases[] = {
    {"truncated at a row end", Change::CutAtRow, 150'000, false, kFileChanged},
    {"truncated inside a row", Change::CutInsideRow, 150'000, false,
     "Invalid or missing integer value"},
    {"rewritten shorter in place", Change::Rewritten, 100'000, false, kFileChanged},
    {"appended to", Change::Appended, kRows, true, nullptr},
};

// A failing case is shown by its name.
void PrintTo(const ChangeCase& c, std::ostream* out) {
  *out << c.name;
}

class ChangingFileTest : public testing::TestWithParam<ChangeCase> {
 protected:
  void SetUp() override {
    minihost::reset();
    QorUtilLockOn();
  }
  void TearDown() override { QorUtilLockOff(); }

  // Opens path, reads its header and makes the dataset and the file's zone, as the load sequence
  // does before the rows.
  bool prepare(const std::string& path) {
    if (!file_.open(path) || !cvl::readOutFileHeader(file_, info_)) return false;
    qorvian::StringList names;
    for (const std::string& name : info_.varNames) names.append(name);
    qorvian::ArgList args;
    return args.appendString("DataSetTitle", info_.title) &&
           args.appendString("LoaderName", cvl::kLoaderName) &&
           args.appendStringList("VarNames", names) && QorUtilDataSetCreateX(args.getRef()) != 0 &&
           cvl::addZones(info_, 1);
  }

  qorvian::qorutilutil::AsciiFile file_;
  cvl::OutFileInfo info_;
};

void change(const std::string& path, const ChangeCase& c) {
  const uint64_t keptSize = headerSize() + static_cast<uint64_t>(c.keptRows) * row(0).size();
  switch (c.change) {
    case Change::CutAtRow:
      std::filesystem::resize_file(path, keptSize);
      break;
    case Change::CutInsideRow:
      std::filesystem::resize_file(path, keptSize + 8);  // the time and part of the blanks
      break;
    case Change::Rewritten: {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out << fileOfRows(c.keptRows);
      break;
    }
    case Change::Appended: {
      std::ofstream out(path, std::ios::binary | std::ios::app);
      for (int64_t r = kRows; r < kRows + 1000; ++r) out << row(r);
      break;
    }
  }
}

TEST_P(ChangingFileTest, RowsReadAreKeptAndMissingRowsFailTheLoadOnce) {
  const ChangeCase& c = GetParam();
  SCOPED_TRACE(c.name);
  const cvltest::TempDir dir;
  const std::string path = dir.write("f.out", fileOfRows(kRows));
  ASSERT_TRUE(prepare(path)) << testing::PrintToString(minihost::messages());
  ASSERT_EQ(info_.numPoints, kRows);

  change(path, c);
  EXPECT_EQ(cvl::readDataRows(file_, info_, 1), c.loaded);

  std::vector<std::string> expected;
  if (c.message != nullptr) {
    // A row cut inside is still read, as the last line of the file.
    const int64_t lastLine = 5 + c.keptRows + (c.change == Change::CutInsideRow ? 1 : 0);
    expected.push_back("File \"" + path + "\", line " + std::to_string(lastLine) + ": " +
                       c.message);
  }
  EXPECT_EQ(minihost::messages(), expected);

  // Every row that was read is stored, also those from before the change that are still in the
  // read window, and nothing is read past the rows counted.
  const minihost::Zone& zone = minihost::dataSet()->zones.at(0);
  ASSERT_EQ(zone.points, kRows);
  const int64_t lastKept = c.keptRows - 1;
  EXPECT_EQ(zone.values[0]->asDouble(lastKept), static_cast<double>(lastKept) + 0.5);
  EXPECT_EQ(zone.values[1]->asDouble(lastKept), static_cast<double>(lastKept));
}

std::string changeName(const testing::TestParamInfo<ChangeCase>& param) {
  switch (param.param.change) {
    case Change::CutAtRow:
      return "CutAtRow";
    case Change::CutInsideRow:
      return "CutInsideRow";
    case Change::Rewritten:
      return "Rewritten";
    case Change::Appended:
      return "Appended";
  }
  return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangingFileTest, testing::ValuesIn(kCases), changeName);

}  // namespace
