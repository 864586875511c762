// The data row reader, through loads into the stand-in host, with every row kernel the processor
// supports: values, types, zones, row faults; and every kernel against the portable kernel's token
// walk: generated files of every row width, number form and fault must leave the same values and
// messages, a row with another number of tokens at each place of a group of rows the same fault,
// and every one-byte change of a token must read alike.
#include "addon/rows/data_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "addon/assembly/load_sequence.h"
#include "addon/rows/row_kernel.h"
#include "tests/support/header_reading.h"
#include "tests/support/kernel_reading.h"
#include "tests/support/temp_dir.h"

namespace {

using Strings = std::vector<std::string>;

// A stored value as tables write it; equal to another bit for bit, so that -0 differs from 0 and
// a NaN equals itself.
struct Value {
  Value(double v) : value(v) {}  // implicit: tables write plain numbers
  bool operator==(const Value& o) const {
    return std::bit_cast<int64_t>(value) == std::bit_cast<int64_t>(o.value);
  }
  friend void PrintTo(const Value& v, std::ostream* out) { *out << v.value; }
  double value;
};
using Values = std::vector<std::vector<std::vector<Value>>>;  // [zone][variable][row]

// What a load left in the host: whether it succeeded, the messages shown, and the values of every
// zone by variable (integers converted).
using Loaded = std::tuple<bool, Strings, Values>;

// Every value of every zone of the host's dataset.
Values zoneValues() {
  Values all;
  const qvsdkbase::DataSet* data = qvsdkbase::dataSet();
  for (size_t zone = 0; data != nullptr && zone < data->zones.size(); ++zone) {
    auto& z = all.emplace_back();
    for (const auto& array : data->zones[zone].values) {
      auto& v = z.emplace_back();
      for (int64_t i = 0; i < array->size; ++i) v.push_back(array->asDouble(i));
    }
  }
  return all;
}

using cvl::rows::RowKernel;

// Loads paths into a fresh stand-in host under its lock, its rows read by the named kernel.
Loaded load(const Strings& paths, const std::string& kernel = "portable") {
  const std::string before = cvl::rows::activeRowKernel().name;
  EXPECT_TRUE(cvl::rows::useRowKernel(kernel)) << kernel;
  qvsdkbase::reset();
  QorUtilLockOn();
  const bool ok = cvl::loadFileList(paths);
  QorUtilLockOff();
  cvl::rows::useRowKernel(before);
  return {ok, qvsdkbase::messages(), zoneValues()};
}

// Each row gives as many values as the first row, each by its variable's type (Step is an
// integer, of which the low 32 bits are kept; Count's type is its first column's); text after
// them is ignored. The first faulty row ends the load, keeping the rows before it and the values
// of the faulty row before its fault.
TEST(DataRows, RowsAndTheirFaults) {
  const cvl::test::TempDir dir;
  const std::string path = (dir.path() / "f.out").string();
  const auto at = [&path](uint64_t line, const char* message) {
    return Strings{cvl::test::lined(path, line, message)};
  };
  const std::string h =
      "# CONVERGE\n# column 1 2 3\n# Time Step Ratio\n# (s) (number) (dimensionless)\n#\n";
  const char* noDouble = "Invalid or missing double precision value";
  const char* noInteger = "Invalid or missing integer value";
  const std::pair<std::string, Loaded> cases[] = {
      {h + "1.5 2 0.25\n-2e3 -7 1\n", {true, {}, {{{1.5, -2000}, {2, -7}, {0.25, 1}}}}},
      {h + "1 4294967297 3\n1 -2147483649 3\n", {true, {}, {{{1, 1}, {1, 2147483647}, {3, 3}}}}},
      {h + "1 2\n4 5 end\n", {true, {}, {{{1, 4}, {2, 5}}}}},
      {h + "1 2\n4 5 6\n", {false, at(7, "Too many values"), {{{1, 4}, {2, 5}}}}},
      {h + "1 2 3\n4 5 6 7\n8 9 1\n",
       {false, at(7, "Too many values"), {{{1, 4, 0}, {2, 5, 0}, {3, 6, 0}}}}},
      {h + "1 2 3\n4 5\n", {false, at(7, noDouble), {{{1, 4}, {2, 5}, {3, 0}}}}},
      {h + "1 2 3\n4\n", {false, at(7, noInteger), {{{1, 4}, {2, 0}, {3, 0}}}}},
      {h + "1 2.5 3\n", {false, at(6, noInteger), {{{1}, {0}, {0}}}}},
      {h + "1 2 3\n\n4 5 6\n", {false, at(7, noDouble), {{{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}}}},
      {h + "1 2 3\n\n", {false, at(7, noDouble), {{{1, 0}, {2, 0}, {3, 0}}}}},
      {"# CONVERGE\n# column 1 2\n# Count Count\n# (none) (number)\n# A B\n2.5 3.5\n",
       {true, {}, {{{2.5}}, {{3.5}}}}},
  };
  for (const RowKernel* kernel : cvl::rows::supportedRowKernels()) {
    for (const auto& [text, expected] : cases)
      EXPECT_EQ(load({dir.write("f.out", text)}, kernel->name), expected)
          << kernel->name << ": " << text;
  }
}

// Zones A, B, C; c and s are shared, s after zone B began; zone C has no t. The file is loaded
// twice: the second copy's zones are 4 to 6. Each column's value array is asked of the host once,
// a shared column's in its file's first zone, which the dataset alone cannot show: zones that
// share a variable hold the same array.
TEST(DataRows, ColumnsGoToTheirZoneFromFirstZone) {
  const cvl::test::TempDir dir;
  const std::string path = dir.write(
      "f.out",
      "# CONVERGE\n# column 1 2 3 4 5 6 7\n# c m t m s t m\n# (s) (kg) (K) (kg) (number) (K) "
      "(kg)\n# (none) A A B (none) B C\n1 10 100 20 5 200 30\n2 11 101 21 6 201 31\n");
  const std::vector<std::vector<Value>> a = {{1, 2}, {10, 11}, {100, 101}, {5, 6}},
                                        b = {{1, 2}, {20, 21}, {200, 201}, {5, 6}},
                                        c = {{1, 2}, {30, 31}, {0, 0}, {5, 6}};
  for (const RowKernel* kernel : cvl::rows::supportedRowKernels())
    EXPECT_EQ(load({path, path}, kernel->name), Loaded(true, {}, {a, b, c, a, b, c}))
        << kernel->name;
  Strings asked;  // in any order
  for (const qvsdkbase::Call& call : qvsdkbase::calls())
    if (call.function == "QorUtilDataValueGetWritableRawPtr") asked.push_back(call.detail);
  std::ranges::sort(asked);
  EXPECT_EQ(asked, (Strings{"zone 1 variable 1", "zone 1 variable 2", "zone 1 variable 3",
                            "zone 1 variable 4", "zone 2 variable 2", "zone 2 variable 3",
                            "zone 3 variable 2", "zone 4 variable 1", "zone 4 variable 2",
                            "zone 4 variable 3", "zone 4 variable 4", "zone 5 variable 2",
                            "zone 5 variable 3", "zone 6 variable 2"}));
}

// Rows whose values and line ends fall at every place of the reader's 64-byte steps and of the
// line file's window (blanks and tabs of any width, CRLF, rows longer than a step), each value
// read once and stored at its row.
TEST(DataRows, RowsAcrossStepsAndWindows) {
  std::string text = "# CONVERGE\n# column 1 2\n# Time Step\n# (s) (number)\n#\n";
  std::vector<Value> times, steps;
  for (int r = 0; text.size() < (size_t{3} << 20); ++r) {
    const std::string gap(static_cast<size_t>(1 + r % 71), r % 3 == 0 ? '\t' : ' ');
    char time[32];
    std::snprintf(time, sizeof time, "%.*e", r % 11, r * 1.25e-3 - 7.0);
    text += (r % 2 == 0 ? gap : "") + time + gap + std::to_string(r - 5000) +
            (r % 5 == 0 ? gap : "") + (r % 4 == 0 ? "\r\n" : "\n");
    times.push_back(std::strtod(time, nullptr));
    steps.push_back(r - 5000);
  }
  const cvl::test::TempDir dir;
  const std::string path = dir.write("f.out", text);
  for (const RowKernel* kernel : cvl::rows::supportedRowKernels())
    EXPECT_EQ(load({path}, kernel->name), Loaded(true, {}, {{times, steps}})) << kernel->name;
}

// The shape of a generated file: its size, shares in percent of "(number)" columns, of tokens in
// forms other than the printf shape, of shaped tokens with an exponent beyond 10^+-22 and of rows
// with a fault or an oddity; harmless: only the oddities that are no fault (a word or a NUL after
// the values), so that the load reads on.
struct Layout {
  int columns, rows, integerPercent, otherPercent, farPercent, faultPercent;
  bool harmless = false;
};

// A file of that layout, deterministic in seed: a header naming the columns, then rows of
// values in the printf shape with any fraction length, sign and exponent, among the other forms
// and, in some rows, every kind of fault and oddity that a row can have.
std::string makeFile(const Layout& layout, uint32_t seed) {
  std::mt19937 random(seed);
  const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
  const auto pick = [&](const auto& list) { return list[random() % list.size()]; };
  const auto below = [&](int count) { return static_cast<int>(random() % unsigned(count)); };
  const Strings others = {"0",      "-0",       "1.5",
                          "-.25",   "+7",       "12345678901234567",
                          "1e5",    "inf",      "-nan",
                          "0.1e1",  "5.",       "1.25E+01",
                          "1.5e+0", "1.5e+123", "9.999999999999999999e-1"};
  const Strings otherIntegers = {"123456789",     "-2147483649", "9223372036854775807",
                                 "0000000000012", "+5",          "-0"};
  const Strings faults = {"x", "1.5e+400", "1.5e-400", "1.2.3", "--1", "+-1", "2.5"};
  std::vector<bool> integer;
  std::string numbers = "# column", names = "#", units = "#";
  for (int c = 0; c < layout.columns; ++c) {
    integer.push_back(c > 0 && chance(layout.integerPercent));
    numbers += " " + std::to_string(c + 1);
    names += " v" + std::to_string(c);
    units += integer.back() ? " (number)" : " (m)";
  }
  std::string text = "# CONVERGE generated\n" + numbers + "\n" + names + "\n" + units + "\n#\n";
  char token[64];
  for (int r = 0; r < layout.rows; ++r) {
    const bool odd = chance(layout.faultPercent);
    const int oddColumn = below(layout.columns);
    const int oddKind = layout.harmless ? 3 + 3 * below(2) : below(8);
    std::string row(chance(30) ? size_t(below(4)) : 0, ' ');
    for (int c = 0; c < layout.columns; ++c) {
      if (odd && c == oddColumn && oddKind < 2) {
        row += oddKind == 0 ? pick(faults) : "";  // a value that is no number, or none
      } else if (integer[size_t(c)]) {
        std::snprintf(token, sizeof token, chance(10) ? "%+d" : "%d", below(200001) - 100000);
        row += chance(layout.otherPercent) ? pick(otherIntegers) : token;
      } else if (chance(layout.otherPercent)) {
        row += pick(others);
      } else {
        const int exponent = chance(layout.farPercent) ? below(60) - 50 : below(45) - 22;
        const double mantissa = std::ldexp(static_cast<double>(random()), -32) * 9.0 + 1.0;
        std::snprintf(token, sizeof token, chance(5) ? "%+.*e" : "%.*e", 1 + below(10),
                      (chance(40) ? -mantissa : mantissa) * std::pow(10.0, exponent));
        row += token;
      }
      row += std::string(size_t(1 + (chance(10) ? below(40) : 0)), chance(5) ? '\t' : ' ');
    }
    if (odd && oddKind == 2) row += "7";    // a value too many
    if (odd && oddKind == 3) row += "end";  // a word after the values, ignored
    if (odd && oddKind == 4) row = "";      // a blank row
    if (odd && oddKind == 5) row.insert(row.size() / 2, 1, '\0');  // a NUL ends the text early
    if (odd && oddKind == 6 && !row.empty()) row.back() = '\0';    // or just after the values
    text += row + (chance(3) ? "\r\n" : "\n");
  }
  return text;
}

// The real files, and generated files of every width (from one column to rows that overflow an
// index), with and without faults, read by every kernel as by the portable one.
TEST(RowKernels, SameValuesAndMessagesAsTheWalk) {
  const Layout layouts[] = {
      {1, 5000, 0, 5, 5, 0},     {3, 3000, 30, 10, 10, 0},     {20, 3000, 5, 3, 4, 0},
      {20, 12000, 5, 0, 0, 0},   {300, 200, 1, 2, 4, 0},       {1000, 20, 5, 5, 5, 0},
      {2100, 9, 5, 5, 5, 0},     {4100, 5, 5, 5, 5, 0},        {7, 2000, 20, 20, 20, 2},
      {20, 3000, 5, 3, 4, 1},    {300, 100, 1, 2, 4, 2},       {2100, 9, 5, 5, 5, 20},
      {4100, 5, 5, 5, 5, 40},    {5, 30000, 20, 1, 1, 0},      {2, 60000, 50, 1, 1, 0},
      {1, 300000, 0, 100, 0, 0}, {20, 3000, 5, 3, 4, 5, true}, {300, 100, 1, 2, 4, 20, true}};
  const cvl::test::TempDir dir;
  Strings paths;
  for (const char* const name : {"amr.out", "cell_count_regions.out", "mass_balance.out",
                                 "mech_check.out", "source_energy.out"}) {
    paths.push_back((cvl::test::testDataDir() / "realdata" / name).string());
  }
  uint32_t seed = 20261206;
  for (const Layout& layout : layouts) {
    for (int copy = 0; copy < 4; ++copy, ++seed) {
      paths.push_back(dir.write(std::to_string(seed) + ".out", makeFile(layout, seed)));
    }
  }
  for (const std::string& path : paths) {
    const Loaded walked = load({path});
    for (const RowKernel* kernel : cvl::rows::supportedRowKernels()) {
      if (std::string(kernel->name) != "portable") {
        ASSERT_EQ(load({path}, kernel->name), walked) << kernel->name << ": " << path;
      }
    }
  }
}

using cvl::test::BlockRead;
using cvl::test::readBlock;

// The kernels are listed by name, the portable one last; loads use the best one this processor
// supports, and an unknown name is refused without changing that.
TEST(RowKernels, ANamedListWithThePortableOneLast) {
  EXPECT_EQ(std::string(cvl::rows::rowKernels().back()->name), "portable");
  const RowKernel* best = cvl::rows::supportedRowKernels().front();
  EXPECT_EQ(&cvl::rows::activeRowKernel(), best);
  EXPECT_TRUE(cvl::rows::findRowKernel("sse9") == nullptr && !cvl::rows::useRowKernel("sse9"));
  EXPECT_EQ(&cvl::rows::activeRowKernel(), best);
}

// A row with another number of tokens at each place of a group of rows (and in the second of two
// groups), as every kernel reads groups of rows at once: one value too many, one too few, a blank
// line, a NUL byte within the row, a word instead of a value. Every kernel stops at that row with
// the fault's message, having stored what the walk stores.
TEST(RowKernels, ARowOutOfStepAtEachPlaceOfAGroup) {
  using namespace std::string_literals;
  const std::string dd = "Invalid or missing double precision value";
  const std::string ii = "Invalid or missing integer value";
  const struct {
    std::vector<bool> integer;  // the columns
    std::string good;
    std::string faulty[5];  // one value too many, one too few, blank, NUL within, a word
    std::string message[5];
  } layouts[] = {
      {{false, false, true},
       "1.5e+00 2.5e+00 7",
       {"1.5e+00 2.5e+00 7 8", "1.5e+00 2.5e+00", "", "1.5e+00 2.5e+00\0 7"s, "1.5e+00 x 7"},
       {"Too many values", ii, dd, ii, dd}},
      {{false, false, false},
       "1.5e+00 2.5e+00 3.5e+00",
       {"1.5e+00 2.5e+00 3.5e+00 4.5e+00", "1.5e+00 2.5e+00", "", "1.5e+00\0 2.5e+00 3.5e+00"s,
        "1.5e+00 2.5e+00 word"},
       {"Too many values", dd, dd, dd, dd}},
  };
  const RowKernel& portable = *cvl::rows::findRowKernel("portable");
  for (const auto& layout : layouts) {
    for (int fault = 0; fault < 5; ++fault) {
      for (int place = 0; place < 8; ++place) {
        std::string rows;
        for (int r = 0; r < 8; ++r)
          rows += (r == place ? layout.faulty[fault] : layout.good) + "\n";
        const std::string what = testing::PrintToString(layout.faulty[fault]) + " in row " +
                                 std::to_string(place) + " of " + layout.good;
        const BlockRead walked = readBlock(rows, layout.integer, 8, portable);
        EXPECT_EQ(std::get<0>(walked), layout.message[fault]) << what;
        EXPECT_EQ(std::get<1>(walked), place + 1) << what;
        for (const RowKernel* kernel : cvl::rows::supportedRowKernels()) {
          EXPECT_EQ(readBlock(rows, layout.integer, 8, *kernel), walked)
              << kernel->name << ": " << what;
        }
      }
    }
  }
}

// Every change of one byte of printf-shaped tokens (each fraction length, sign and exponent), and
// integers of every length, in each row of a group of four, of which all or three are to be read:
// every kernel reads each as the walk does.
TEST(RowKernels, TokensReadAsByTheWalk) {
  const RowKernel& portable = *cvl::rows::findRowKernel("portable");
  std::vector<std::string> tokens[2];  // doubles, integers
  const std::string changes = "059.eE+-x/:\x01\x7f\xb0";
  const auto addChanged = [&changes](std::vector<std::string>& to, const std::string& token,
                                     bool alsoShort) {
    to.push_back(token);
    for (size_t at = 0; at < token.size(); ++at) {
      if (alsoShort) to.push_back(token.substr(0, at) + token.substr(at + 1));
      for (const char c : changes) {
        to.push_back(token.substr(0, at) + c + token.substr(at + 1));
        if (alsoShort) to.push_back(token.substr(0, at) + c + token.substr(at));
      }
    }
  };
  char token[64];
  for (int n = 1; n <= 10; ++n) {
    for (const char* const format : {"%.*e", "%+.*e", "%.*E"}) {
      for (const double value : {1.25, -7.0, 3.0e-25, -9.87654321e22, 6.02e-13, 0.0}) {
        std::snprintf(token, sizeof token, format, n, value);
        addChanged(tokens[0], token, true);
      }
    }
  }
  for (size_t digits = 1; digits <= 12; ++digits) {
    for (const char* const sign : {"", "-", "+", "+-", "--"}) {
      addChanged(tokens[1], sign + std::string("918273645546372").substr(0, digits), false);
    }
  }
  for (const bool integer : {false, true}) {
    for (const std::string& t : tokens[integer]) {
      for (int place = 0; place < 4; ++place) {
        std::string rows;
        for (int r = 0; r < 4; ++r) rows += (r == place ? t : integer ? "42" : "1.5e+00") + "\n";
        for (const int64_t rowLimit : {3, 4}) {
          const BlockRead walked = readBlock(rows, {integer}, rowLimit, portable);
          for (const RowKernel* kernel : cvl::rows::supportedRowKernels()) {
            if (kernel == &portable) continue;
            ASSERT_EQ(readBlock(rows, {integer}, rowLimit, *kernel), walked)
                << kernel->name << ": " << testing::PrintToString(rows) << " (" << rowLimit
                << " rows)";
          }
        }
      }
    }
  }
}

}  // namespace
