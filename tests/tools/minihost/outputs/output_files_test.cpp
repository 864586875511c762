// --csv and --xlsx end to end: minihost run on the examples, the real files and files with
// awkward names and values; every CSV file and the workbook read back and compared, value by
// value, with the dataset that the same run reported with --json. Workbooks are read back by
// read_workbook.py where the build found a python3 with openpyxl; the Windows build's workbooks
// are compared with the Linux build's by builds_agree_test.sh instead.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <utility>

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include "standins/qvsdkbase/host_control.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/minihost/minihost_run.h"
#include "tools/minihost/outputs/csv_writer.h"
#include "tools/minihost/outputs/xlsx_writer.h"

extern "C" void InitQorAddOn113(void);

namespace {

using nlohmann::json;
using testing::HasSubstr;
namespace fs = std::filesystem;

const fs::path kData = cvl::test::kMinihostData;
const bool kWorkbooks = cvl::minihost::workbookUnavailableReason().empty();
const bool kReadWorkbooks = kWorkbooks && std::strlen(CVL_WORKBOOK_PYTHON) > 0;
constexpr const char* kNoReader = "workbooks not read back: no python3 with openpyxl here";

// The rows of a CSV text (RFC 4180 quoting, LF line ends) as arrays of strings.
json csvRows(const std::string& text) {
  json rows = json::array(), row = json::array();
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == '"')
        field += text[++i];
      else
        quoted = !quoted;
    } else if (!quoted && (text[i] == ',' || text[i] == '\n')) {
      row.push_back(std::exchange(field, {}));
      if (text[i] == '\n') rows.push_back(std::exchange(row, json::array()));
    } else {
      field += text[i];
    }
  }
  EXPECT_TRUE(field.empty() && row.empty()) << "the last row has no line end";
  return rows;
}

// Whether a CSV field (text) or a workbook cell (a number) holds the loaded value: the same
// double bit for bit, in a workbook to the 16 significant digits that libxlsxwriter writes; a
// value that is not a number (null in the JSON report) as the text nan, inf or -inf.
bool holds(const json& held, const json& loaded, bool workbook) {
  if (loaded.is_null()) return held == "nan" || held == "inf" || held == "-inf";
  const double expected = loaded.get<double>();
  double value = held.is_number() ? held.get<double>() : NAN;
  if (workbook) {
    char sixteen[32];
    std::snprintf(sixteen, sizeof sixteen, "%.16g", expected);
    return value == expected || value == std::strtod(sixteen, nullptr);
  }
  const std::string text = held.is_string() ? held.get<std::string>() : "";
  const char* end = std::from_chars(text.data(), text.data() + text.size(), value).ptr;
  return end == text.data() + text.size() &&
         std::bit_cast<uint64_t>(value) == std::bit_cast<uint64_t>(expected);
}

// rows, a CSV file's or a worksheet's, hold zone z of dataSet (as --json reports it): the
// variable names with their units, then every point.
void expectRowsHold(const json& rows, const json& dataSet, size_t z, bool workbook) {
  const json& zone = dataSet["zones"][z];
  ASSERT_EQ(rows.size(), zone["points"].get<size_t>() + 1);
  EXPECT_EQ(rows[0], dataSet["variables"]);
  for (size_t p = 1; p < rows.size(); ++p) {
    ASSERT_EQ(rows[p].size(), zone["values"].size()) << "row " << p;
    for (size_t v = 0; v < rows[p].size(); ++v) {
      EXPECT_TRUE(holds(rows[p][v], zone["values"][v][p - 1], workbook))
          << rows[p][v] << " for " << zone["values"][v][p - 1] << ", row " << p << ", column "
          << v + 1;
    }
  }
}

// The workbook at path as read_workbook.py prints it, each sheet with its layout; null after a
// test failure.
json readWorkbook(const fs::path& path) {
  const fs::path dump = path.string() + ".json", errors = path.string() + ".err";
  const int status =
      cvl::test::runProgram(CVL_WORKBOOK_PYTHON, {CVL_READ_WORKBOOK, "--layout", path.string()},
                            path.parent_path().string(), dump.string(), errors.string());
  EXPECT_EQ(status, 0) << cvl::test::readWholeFile(errors);
  return status == 0 ? json::parse(cvl::test::readWholeFile(dump)) : json();
}

TEST(MinihostOutputFiles, CsvAndWorkbookHoldTheLoadedValues) {
  const fs::path examples = fs::path(CVL_PROJECT_DIR) / "examples";
  const fs::path real = fs::path(CVL_TEST_DATA_DIR) / "realdata";
  // Workbooks of real files are read back for one of them: openpyxl takes seconds on each, and
  // every value has the same path to the sheet.
  const struct {
    std::vector<fs::path> files;
    bool readBack;
    std::vector<std::string> workbookReport = {};  // lines on standard error about the workbook
    const char* csvReport = "CSV: csv (";
  } cases[] = {
      {{examples / "engine_cycle.out"}, true},
      {{examples / "regions_cycle1.out", examples / "regions_cycle2.out"}, true},
      {{real / "amr.out"}, false},
      {{real / "cell_count_regions.out"}, true},
      {{real / "mass_balance.out"}, false},
      {{real / "source_energy.out"}, false},
      {{kData / "awkward.out"},
       true,
       {"  5 values need 17 significant digits", "  3 values that are not"}},
      {{kData / "eleven.out"},
       true,
       {},
       "CSV: csv (11 files: 01_eleven_r1.csv to 11_eleven_r11.csv)"},
  };
  cvl::test::TempDir dir;
  for (const auto& c : cases) {
    std::vector<std::string> args{"--json", "--csv", "csv"};
    if (kWorkbooks) args.insert(args.end(), {"--xlsx", "book.xlsx"});
    for (const fs::path& file : c.files) args.push_back(file.string());
    SCOPED_TRACE(testing::PrintToString(args));
    const cvl::test::MinihostRun run = cvl::test::runMinihost(dir.path(), args);
    ASSERT_EQ(run.status, 0) << run.err;
    const json dataSet = json::parse(run.out)["dataset"];
    const json& zones = dataSet["zones"];
    EXPECT_THAT(run.err, HasSubstr(c.csvReport));
    EXPECT_EQ(cvl::test::filesUnder(dir.path() / "csv").size(), zones.size());
    for (size_t z = 0; z < zones.size(); ++z) {
      const std::string name = cvl::minihost::csvFileName(
          z + 1, zones.size(), zones[z]["name"].get_ref<const std::string&>());
      SCOPED_TRACE(name);
      expectRowsHold(csvRows(cvl::test::readWholeFile(dir.path() / "csv" / name)), dataSet, z,
                     false);
    }
    fs::remove_all(dir.path() / "csv");
    if (!kWorkbooks) continue;
    EXPECT_THAT(run.err, HasSubstr("Workbook: book.xlsx ("));
    for (const std::string& line : c.workbookReport) EXPECT_THAT(run.err, HasSubstr(line));
    if (!kReadWorkbooks || !c.readBack) continue;
    const json sheets = readWorkbook(dir.path() / "book.xlsx")["sheets"];
    ASSERT_EQ(sheets.size(), zones.size());
    // (Sheet names are not checked here: libxlsxwriter refuses one that breaks Excel's rules.)
    for (size_t z = 0; z < zones.size(); ++z) {
      SCOPED_TRACE("sheet " + sheets[z]["name"].get<std::string>());
      EXPECT_EQ(sheets[z]["frozen"], "A2");
      EXPECT_EQ(sheets[z]["boldHeader"], true);
      expectRowsHold(sheets[z]["rows"], dataSet, z, true);
    }
  }
  if (kWorkbooks && !kReadWorkbooks) GTEST_SKIP() << kNoReader;
}

// A zone longer than a worksheet continues on further sheets, its points numbered on across
// them; written here in process with a sheet of three rows and a header.
TEST(MinihostOutputFiles, ALongZoneContinuesOnFurtherSheets) {
  if (!kReadWorkbooks) GTEST_SKIP() << kNoReader;
  qvsdkbase::reset();
  InitQorAddOn113();
  QvStringList picked = qvsdkbase::makeStringList({(kData / "zones.out").string()});
  qvsdkbase::loaders().front().selectedCallback(picked);
  qvsdkbase::freeStringList(picked);
  ASSERT_NE(qvsdkbase::dataSet(), nullptr);
  cvl::test::TempDir dir;
  cvl::minihost::WorkbookSummary summary;
  std::string error;
  ASSERT_TRUE(
      cvl::minihost::writeWorkbook(*qvsdkbase::dataSet(), dir.path() / "w.xlsx", summary, error, 4))
      << error;
  EXPECT_EQ(summary.sheets, 8u);
  EXPECT_THAT(summary.notes, testing::Contains("zone 2 \"zones long_zone\": 10 points, more than a "
                                               "sheet holds, on sheets \"zones long_zone\" to "
                                               "\"zones long_zone (4)\""));
  // Point i of zone 1 holds (i + 0.5, i), of zone 2 (i + 0.5, -i): three points to a sheet.
  EXPECT_EQ(readWorkbook(dir.path() / "w.xlsx")["sheets"], json::parse(R"j([
    {"name": "zones short", "frozen": "A2", "boldHeader": true,
     "rows": [["Crank (DEG)", "N"], [0.5, 0], [1.5, 1], [2.5, 2]]},
    {"name": "zones short (2)", "frozen": "A2", "boldHeader": true,
     "rows": [["Crank (DEG)", "N"], [3.5, 3], [4.5, 4], [5.5, 5]]},
    {"name": "zones short (3)", "frozen": "A2", "boldHeader": true,
     "rows": [["Crank (DEG)", "N"], [6.5, 6], [7.5, 7], [8.5, 8]]},
    {"name": "zones short (4)", "frozen": "A2", "boldHeader": true,
     "rows": [["Crank (DEG)", "N"], [9.5, 9]]},
    {"name": "zones long_zone", "frozen": "A2", "boldHeader": true,
     "rows": [["Crank (DEG)", "N"], [0.5, 0], [1.5, -1], [2.5, -2]]},
    {"name": "zones long_zone (2)", "frozen": "A2", "boldHeader": true,
     "rows": [["Crank (DEG)", "N"], [3.5, -3], [4.5, -4], [5.5, -5]]},
    {"name": "zones long_zone (3)", "frozen": "A2", "boldHeader": true,
     "rows": [["Crank (DEG)", "N"], [6.5, -6], [7.5, -7], [8.5, -8]]},
    {"name": "zones long_zone (4)", "frozen": "A2", "boldHeader": true,
     "rows": [["Crank (DEG)", "N"], [9.5, -9]]}])j"));
}

TEST(MinihostOutputFiles, CsvTextAndNames) {
  cvl::test::TempDir dir;
  // A file of an older run is replaced, and nothing else is left in the folder.
  fs::create_directory(dir.path() / "out");
  dir.write("out/2_awkward__q____.csv", "old,longer,than,the,new,file\n" + std::string(200, 'x'));
  const auto run =
      cvl::test::runMinihost(dir.path(), {"--csv", "out", (kData / "awkward.out").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(cvl::test::readWholeFile(dir.path() / "out/2_awkward__q____.csv"),
            "Crank (DEG),\"P,\"\"a\"\" (Pa)\",N\n-3.141592653589793,nan,7\n0.1,inf,0\n"
            "1e+300,-inf,-5\n1234567890123456.5,2.0000000000000004,8\n");
  EXPECT_EQ(cvl::test::filesUnder(dir.path() / "out"),
            (std::set<std::string>{"1_awkward_a_b_c.csv", "2_awkward__q____.csv"}));
}

// A path that cannot be written: exit status 2 and a message naming it, the load reported as
// usual, every other output still written, and no file left behind or changed.
TEST(MinihostOutputFiles, BadOutputPaths) {
  const std::string unwritable = CVL_UNWRITABLE_FOLDER;
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--csv", "afile"}, "minihost: cannot write afile: it is not a folder"},
      {{"--csv", "afile/sub"}, "minihost: cannot write afile/sub: "},
      {{"--csv", unwritable + "/csv"}, "minihost: cannot write " + unwritable + "/csv: "},
      {{"--xlsx", "nodir/b.xlsx"}, "minihost: cannot write nodir/b.xlsx: there is no folder nodir"},
      {{"--xlsx", "afile/b.xlsx"}, "minihost: cannot write afile/b.xlsx: afile is not a folder"},
      {{"--xlsx", "adir.xlsx"}, "minihost: cannot write adir.xlsx: it is a folder"},
      {{"--xlsx", unwritable + "/b.xlsx"}, "minihost: cannot write " + unwritable + "/b.xlsx: "},
      {{"--csv", "ok", "--xlsx", "nodir/b.xlsx"}, "there is no folder nodir"},
  };
  for (const auto& c : cases) {
    if (!kWorkbooks && std::ranges::count(c.args, "--xlsx") != 0) continue;
    SCOPED_TRACE(testing::PrintToString(c.args));
    cvl::test::TempDir dir;
    dir.write("afile", "old");
    fs::copy_file(fs::path(CVL_PROJECT_DIR) / "examples/engine_cycle.out", dir.path() / "one.out");
    fs::create_directory(dir.path() / "adir.xlsx");
    std::vector<std::string> args = c.args;
    args.push_back("one.out");
    const cvl::test::MinihostRun run = cvl::test::runMinihost(dir.path(), args);
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr(c.message));
    EXPECT_EQ(std::ranges::count(run.err, '\n'), 1) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Zones: 1"));
    std::set<std::string> expected{"afile", "one.out", "adir.xlsx"};
    if (c.args[1] == "ok") expected.insert({"ok", "ok/1_one.csv"});
    EXPECT_EQ(cvl::test::filesUnder(dir.path()), expected);
    EXPECT_EQ(cvl::test::readWholeFile(dir.path() / "afile"), "old");
  }
}

}  // namespace
