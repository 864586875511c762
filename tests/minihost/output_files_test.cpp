// --csv and --xlsx end to end: minihost run on the examples, the real files and files with
// awkward names and values; every CSV file and the workbook read back and compared, value by
// value, with the dataset that the same run reported with --json.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>

#include <gmock/gmock.h>

#include "minihost/csv_writer.h"
#include "minihost/xlsx_writer.h"
#include "tests/minihost/output_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

// Two zones named with characters that file and sheet names may not hold, a variable name that
// CSV must quote, values at the edges of both types, values that are not numbers, and doubles
// that need all 17 digits.
constexpr const char* kAwkward =
    "# CONVERGE test\n# column 1 2 3 4 5\n#  Crank  P,\"a\"  N  P,\"a\"  N\n"
    "#  (DEG)  (Pa)  (number)  (Pa)  (number)\n#  (none)  a/b:c  a/b:c  [q]*?'  [q]*?'\n"
    "  -3.141592653589793238  0.30000000000000004  -2147483648  nan  7\n"
    "  0.1  4.9e-324  2147483647  inf  0\n"
    "  1e300  0.12345678901234568  5  -inf  -5\n"
    "  2.5  -0  6  2.0000000000000004  8\n";

// Eleven zones of one column each and a shared one: file numbers padded to two digits.
std::string elevenZones() {
  std::string columns = "# column 1", names = "#  Crank", units = "#  (DEG)", places = "#  (none)";
  for (int z = 1; z <= 11; ++z) {
    columns += " " + std::to_string(z + 1);
    names += "  T";
    units += "  (K)";
    places += "  r" + std::to_string(z);
  }
  std::string row = "  1";
  for (int z = 1; z <= 11; ++z) row += "  " + std::to_string(300 + z);
  return "# CONVERGE test\n" + columns + "\n" + names + "\n" + units + "\n" + places + "\n" + row +
         "\n";
}

// The double that the text of a CSV field or the JSON value holds.
double parsedDouble(std::string_view text) {
  double value = 0;
  const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(failed == std::errc() && end == text.data() + text.size()) << text;
  return value;
}

bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The fields of one CSV line (RFC 4180 quoting).
std::vector<std::string> csvFields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// A CSV field holds the loaded value: integers as integers, doubles read back bit for bit,
// values that are not numbers (null in the JSON report) as nan, inf or -inf.
void expectCsvValue(const std::string& text, const json& loaded, int type) {
  if (loaded.is_null()) {
    EXPECT_THAT(text, testing::AnyOf("nan", "inf", "-inf"));
  } else if (type == QV_DATATYPE_INT32) {
    EXPECT_EQ(text, std::to_string(loaded.get<int64_t>()));
  } else {
    EXPECT_TRUE(sameBits(parsedDouble(text), loaded.get<double>()))
        << text << " read back is not " << loaded.dump();
  }
}

// A workbook cell holds the loaded value: the same number, or for a double that needs 17
// significant digits the same number to 16; text for values that are not numbers.
void expectCellValue(const json& cell, const json& loaded) {
  if (loaded.is_null()) {
    EXPECT_THAT(cell.is_string() ? cell.get<std::string>() : "",
                testing::AnyOf("nan", "inf", "-inf"));
    return;
  }
  ASSERT_TRUE(cell.is_number()) << cell.dump();
  const double expected = loaded.get<double>();
  char sixteen[40];
  std::snprintf(sixteen, sizeof sixteen, "%.16g", expected);
  EXPECT_TRUE(cell.get<double>() == expected || cell.get<double>() == parsedDouble(sixteen))
      << cell.dump() << " for " << loaded.dump();
}

void expectCsvFilesHold(const fs::path& folder, const json& dataSet) {
  const json& zones = dataSet["zones"];
  EXPECT_EQ(static_cast<size_t>(std::distance(fs::directory_iterator(folder), {})), zones.size());
  for (size_t z = 0; z < zones.size(); ++z) {
    const std::string name =
        minihost::csvFileName(z + 1, zones.size(), zones[z]["name"].get<std::string>());
    SCOPED_TRACE(name);
    const std::string text = cvltest::readWholeFile(folder / name);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(json(csvFields(line)), dataSet["variables"]);
    const json& values = zones[z]["values"];
    for (size_t point = 0; point < zones[z]["points"].get<size_t>(); ++point) {
      ASSERT_TRUE(std::getline(lines, line)) << "point " << point + 1 << " missing";
      const std::vector<std::string> fields = csvFields(line);
      ASSERT_EQ(fields.size(), values.size()) << line;
      for (size_t v = 0; v < fields.size(); ++v) {
        SCOPED_TRACE("point " + std::to_string(point + 1) + ", variable " + std::to_string(v + 1));
        expectCsvValue(fields[v], values[v][point], zones[z]["types"][v]);
      }
    }
    EXPECT_FALSE(std::getline(lines, line)) << "more rows than points";
  }
}

void expectWorkbookHolds(const json& workbook, const json& dataSet, bool layout) {
  const json& zones = dataSet["zones"];
  ASSERT_EQ(workbook["sheets"].size(), zones.size());
  std::set<std::string> names;
  for (size_t z = 0; z < zones.size(); ++z) {
    const json& sheet = workbook["sheets"][z];
    const std::string name = sheet["name"];
    SCOPED_TRACE("sheet " + name);
    EXPECT_LE(name.size(), 31u);
    EXPECT_EQ(name.find_first_of("[]:*?/\\"), std::string::npos);
    EXPECT_TRUE(names.insert(name).second) << "not unique";
    EXPECT_TRUE(!layout || (sheet["frozen"] == "A2" && sheet["boldHeader"] == true))
        << "frozen " << sheet["frozen"] << ", bold header " << sheet["boldHeader"];
    const json& rows = sheet["rows"];
    ASSERT_EQ(rows.size(), zones[z]["points"].get<size_t>() + 1);
    EXPECT_EQ(rows[0], dataSet["variables"]);
    const json& values = zones[z]["values"];
    for (size_t point = 0; point + 1 < rows.size(); ++point) {
      for (size_t v = 0; v < values.size(); ++v) {
        SCOPED_TRACE("point " + std::to_string(point + 1) + ", variable " + std::to_string(v + 1));
        expectCellValue(rows[point + 1][v], values[v][point]);
      }
    }
  }
}

TEST(MinihostOutputFiles, CsvAndWorkbookHoldTheLoadedValues) {
  const fs::path examples = fs::path(CVL_PROJECT_DIR) / "examples";
  const fs::path real = cvltest::testDataDir() / "realdata";
  cvltest::TempDir dir;
  dir.write("awkward.out", kAwkward);
  dir.write("eleven.out", elevenZones());
  const struct {
    std::vector<fs::path> files;
    const char* report;  // lines expected on standard error besides where the outputs went
    bool layout;         // check the sheets' frozen, bold header (slower to read)
  } cases[] = {
      {{examples / "engine_cycle.out"}, "", true},
      {{examples / "regions_cycle1.out", examples / "regions_cycle2.out"}, "", true},
      {{real / "amr.out"}, "", false},
      {{real / "cell_count_regions.out"}, "", false},
      {{real / "mass_balance.out"}, "", false},
      {{real / "source_energy.out"}, "", false},
      {{dir.path() / "awkward.out"},
       "  3 values need 17 significant digits|  3 values that are not numbers",
       true},
      {{dir.path() / "eleven.out"},
       "CSV: csv (11 files: 01_eleven_r1.csv to 11_eleven_r11.csv)",
       true},
  };
  // A build without workbooks (a Windows build may leave them out) checks the CSV files alone.
  const bool workbooks = minihost::workbookUnavailableReason().empty();
  for (const auto& c : cases) {
    std::string args = workbooks ? "--json --csv csv --xlsx book.xlsx" : "--json --csv csv";
    for (const fs::path& file : c.files) args += " '" + file.string() + "'";
    SCOPED_TRACE(args);
    const cvltest::MinihostRun run = cvltest::runMinihost(dir.path(), args);
    ASSERT_EQ(run.status, 0) << run.err;
    const json dataSet = json::parse(run.out)["dataset"];
    expectCsvFilesHold(dir.path() / "csv", dataSet);
    fs::remove_all(dir.path() / "csv");
    if (!workbooks) continue;
    EXPECT_THAT(run.err, testing::HasSubstr("Workbook: book.xlsx ("));
    std::istringstream expected(c.report);
    for (std::string line; std::getline(expected, line, '|');) {
      EXPECT_THAT(run.err, testing::HasSubstr(line));
    }
    expectWorkbookHolds(cvltest::readWorkbook(dir.path() / "book.xlsx", c.layout), dataSet,
                        c.layout);
  }
}

TEST(MinihostOutputFiles, CsvNamesAndQuoting) {
  cvltest::TempDir dir;
  dir.write("awkward.out", kAwkward);
  ASSERT_EQ(cvltest::runMinihost(dir.path(), "--csv out awkward.out").status, 0);
  const std::string text = cvltest::readWholeFile(dir.path() / "out/2_awkward__q____.csv");
  EXPECT_EQ(text,
            "Crank (DEG),\"P,\"\"a\"\" (Pa)\",N\n"
            "-3.141592653589793,nan,7\n0.1,inf,0\n1e+300,-inf,-5\n2.5,2.0000000000000004,8\n");
  EXPECT_TRUE(fs::exists(dir.path() / "out/1_awkward_a_b_c.csv"));
}

// A path that cannot be written: exit status 2 and a message naming it, the load reported as
// usual, every other output still written, and no file left behind or changed.
TEST(MinihostOutputFiles, BadOutputPaths) {
  const struct {
    std::string args;
    const char* message;
  } cases[] = {
      {"--csv afile", "minihost: cannot write afile: it is not a folder"},
      {"--csv afile/sub", "minihost: cannot write afile/sub: "},
      {"--xlsx nodir/book.xlsx",
       "minihost: cannot write nodir/book.xlsx: there is no folder nodir"},
      {"--xlsx afile/book.xlsx", "minihost: cannot write afile/book.xlsx: afile is not a folder"},
      {"--xlsx adir.xlsx", "minihost: cannot write adir.xlsx: it is a folder"},
      {"--xlsx /proc/book.xlsx", "minihost: cannot write /proc/book.xlsx: "},
      {"--csv ok --xlsx nodir/book.xlsx", "there is no folder nodir"},
  };
  const bool workbooks = minihost::workbookUnavailableReason().empty();
  for (const auto& c : cases) {
    if (!workbooks && c.args.find("--xlsx") != std::string::npos) continue;
    SCOPED_TRACE(c.args);
    cvltest::TempDir dir;
    dir.write("afile", "old");
    dir.write("one.out",
              cvltest::readWholeFile(fs::path(CVL_PROJECT_DIR) / "examples/engine_cycle.out"));
    fs::create_directory(dir.path() / "adir.xlsx");
    const cvltest::MinihostRun run = cvltest::runMinihost(dir.path(), c.args + " one.out");
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, testing::HasSubstr(c.message));
    EXPECT_EQ(std::ranges::count(run.err, '\n'), 1) << run.err;
    EXPECT_THAT(run.out, testing::HasSubstr("Zones: 1"));
    std::set<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      left.insert(fs::relative(entry.path(), dir.path()).string());
    }
    std::set<std::string> expected{"afile", "one.out", "adir.xlsx"};
    if (c.args.starts_with("--csv ok")) expected.insert({"ok", "ok/1_one.csv"});
    EXPECT_EQ(left, expected);
    EXPECT_EQ(cvltest::readWholeFile(dir.path() / "afile"), "old");
  }
}

}  // namespace
