// The indexed row reader against the token walk: generated files of every row width, number form
// and fault, loaded into the stand-in host once each way, must leave the same values (bit for
// bit) and the same messages.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "assembly/load_sequence.h"
#include "reader/cpu_features.h"
#include "reader/data_rows.h"
#include "reader/indexed_rows.h"
#include "tests/support/header_reading.h"

namespace {

// What a load left: its result and messages, then every value of every zone as bits.
struct Loaded {
  std::string outcome;
  std::vector<uint64_t> bits;
};

Loaded load(const std::string& path, bool indexed) {
  cvl::preferIndexedRows(indexed);
  qvsdkbase::reset();
  QorUtilLockOn();
  const bool ok = cvl::loadFileList({path});
  QorUtilLockOff();
  cvl::preferIndexedRows(true);
  Loaded loaded{(ok ? "loaded " : "failed ") + cvltest::linedMessages(path, qvsdkbase::messages()),
                {}};
  if (const qvsdkbase::DataSet* data = qvsdkbase::dataSet()) {
    for (const qvsdkbase::Zone& zone : data->zones) {
      for (const auto& array : zone.values) {
        for (int64_t i = 0; i < array->size; ++i) {
          loaded.bits.push_back(std::bit_cast<uint64_t>(array->asDouble(i)));
        }
      }
    }
  }
  return loaded;
}

// The shape of a generated file.
struct Layout {
  int columns;
  int rows;
  int integerPercent;     // share of "(number)" columns
  int otherPercent;       // share of tokens in forms other than the printf shape
  int farPercent;         // share of shaped tokens with an exponent beyond 10^+-22
  int faultPercent;       // share of rows with a fault or an oddity
  bool harmless = false;  // only the oddities that are no fault: a word or a NUL after the values
};

// A file of that layout, deterministic in seed: a header naming the columns, then rows of
// values in the printf shape with any fraction length, sign and exponent, among the other forms
// and, in some rows, every kind of fault and oddity that a row can have.
std::string makeFile(const Layout& layout, uint32_t seed) {
  std::mt19937 random(seed);
  const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
  const auto pick = [&](int count) {
    return static_cast<int>(random() % static_cast<unsigned>(count));
  };
  std::vector<bool> integer(static_cast<size_t>(layout.columns));
  std::string names = "#";
  std::string units = "#";
  std::string numbers = "# column";
  for (int c = 0; c < layout.columns; ++c) {
    integer[static_cast<size_t>(c)] = c > 0 && chance(layout.integerPercent);
    numbers += " " + std::to_string(c + 1);
    names += " v" + std::to_string(c);
    units += integer[static_cast<size_t>(c)] ? " (number)" : " (m)";
  }
  std::string text = "# CONVERGE generated\n" + numbers + "\n" + names + "\n" + units + "\n#\n";
  const char* const others[] = {"0",      "-0",       "1.5",
                                "-.25",   "+7",       "12345678901234567",
                                "1e5",    "inf",      "-nan",
                                "0.1e1",  "5.",       "1.25E+01",
                                "1.5e+0", "1.5e+123", "9.999999999999999999e-1"};
  const char* const otherIntegers[] = {"123456789",     "-2147483649", "9223372036854775807",
                                       "0000000000012", "+5",          "-0"};
  const char* const faults[] = {"x", "", "1.5e+400", "1.5e-400", "1.2.3", "--1", "+-1", "2.5"};
  char token[64];
  for (int r = 0; r < layout.rows; ++r) {
    const bool odd = chance(layout.faultPercent);
    const int oddColumn = pick(layout.columns);
    const int oddKind = layout.harmless ? 3 + 3 * pick(2) : pick(8);
    std::string row = chance(30) ? std::string(static_cast<size_t>(pick(4)), ' ') : "";
    for (int c = 0; c < layout.columns; ++c) {
      if (odd && c == oddColumn && oddKind < 2) {
        row += faults[pick(8)];  // a value that is no number (or no integer), or none
      } else if (integer[static_cast<size_t>(c)]) {
        if (chance(layout.otherPercent)) {
          row += otherIntegers[pick(6)];
        } else {
          std::snprintf(token, sizeof token, chance(10) ? "%+d" : "%d", pick(200001) - 100000);
          row += token;
        }
      } else if (chance(layout.otherPercent)) {
        row += others[pick(15)];
      } else {
        const int exponent = chance(layout.farPercent) ? pick(60) - 50 : pick(45) - 22;
        const double mantissa = std::ldexp(static_cast<double>(random()), -32) * 9.0 + 1.0;
        std::snprintf(token, sizeof token, chance(5) ? "%+.*e" : "%.*e", 1 + pick(10),
                      (chance(40) ? -mantissa : mantissa) * std::pow(10.0, exponent));
        row += token;
      }
      row +=
          std::string(static_cast<size_t>(1 + (chance(10) ? pick(40) : 0)), chance(5) ? '\t' : ' ');
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

// The real files, and generated files of every width (from one column to rows that overflow the
// index), with and without faults, read both ways.
TEST(IndexedRows, SameValuesAndMessagesAsTheWalk) {
  if (!cvl::processorHasAvx2()) GTEST_SKIP() << "the processor has no AVX2";
  const Layout layouts[] = {{1, 5000, 0, 5, 5, 0},        {3, 3000, 30, 10, 10, 0},
                            {20, 3000, 5, 3, 4, 0},       {20, 12000, 5, 0, 0, 0},
                            {300, 200, 1, 2, 4, 0},       {1000, 20, 5, 5, 5, 0},
                            {2100, 9, 5, 5, 5, 0},        {4100, 5, 5, 5, 5, 0},
                            {7, 2000, 20, 20, 20, 2},     {20, 3000, 5, 3, 4, 1},
                            {300, 100, 1, 2, 4, 2},       {2100, 9, 5, 5, 5, 20},
                            {4100, 5, 5, 5, 5, 40},       {5, 30000, 20, 1, 1, 0},
                            {2, 60000, 50, 1, 1, 0},      {1, 300000, 0, 100, 0, 0, false},
                            {20, 3000, 5, 3, 4, 5, true}, {300, 100, 1, 2, 4, 20, true}};
  const cvltest::TempDir dir;
  std::vector<std::pair<std::string, std::string>> files;  // path and what it is
  for (const char* const name : {"amr.out", "cell_count_regions.out", "mass_balance.out",
                                 "mech_check.out", "source_energy.out"}) {
    files.emplace_back((cvltest::testDataDir() / "realdata" / name).string(), name);
  }
  uint32_t seed = 20261206;
  for (const Layout& layout : layouts) {
    for (int copy = 0; copy < 4; ++copy, ++seed) {
      files.emplace_back(
          dir.write(std::to_string(seed) + ".out", makeFile(layout, seed)),
          "seed " + std::to_string(seed) + ", " + std::to_string(layout.columns) + " columns");
    }
  }
  for (const auto& [path, what] : files) {
    const Loaded indexed = load(path, true);
    const Loaded walked = load(path, false);
    const std::string shown = what + ": " + walked.outcome;
    ASSERT_EQ(indexed.outcome, walked.outcome) << shown;
    ASSERT_EQ(indexed.bits.size(), walked.bits.size()) << shown;
    for (size_t i = 0; i < walked.bits.size(); ++i) {
      ASSERT_EQ(indexed.bits[i], walked.bits[i]) << shown << ", value " << i;
    }
  }
}

// What a reader made of a block of four rows of one column, reading at most rowLimit of them: its
// message, where it stopped and the four values.
std::string readBlock(const std::string& rows, bool integer, int64_t rowLimit, bool indexed) {
  // The readers may read 64 bytes on either side of the block; digits there must not count.
  const std::string padding(64, '7');
  const std::string text = padding + rows + padding + padding;
  int64_t values[4] = {0, 0, 0, 0};
  const cvl::ColumnTarget column{values, integer};
  cvl::RowCursor cursor{0, rowLimit, 0};
  const char* const block = text.data() + padding.size();
  const char* message = nullptr;
  if (indexed) {
    const cvl::RowIndexMemory memory(1);
    message = cvl::readIndexedRows(block, rows.size(), cursor, &column, &column + 1, memory);
  } else {
    message = cvl::walkRows(block, rows.size(), cursor, INT64_MAX, &column, &column + 1);
  }
  std::string shown = std::string(message != nullptr ? message : "") + " at " +
                      std::to_string(cursor.row) + "/" + std::to_string(cursor.from) + ":";
  for (const int64_t bits : values) shown += " " + std::to_string(bits);
  return shown;
}

// Every change of one byte of printf-shaped tokens (each fraction length, sign and exponent), and
// integers of every length, in each row of a group of four, of which all or three are to be read:
// the indexed reader reads each as the walk does.
TEST(IndexedRows, TokensReadAsByTheWalk) {
  if (!cvl::processorHasAvx2()) GTEST_SKIP() << "the processor has no AVX2";
  std::vector<std::string> doubles;
  std::vector<std::string> integers;
  const std::string changes = "059.eE+-x/:\x01\x7f\xb0";
  char token[64];
  for (int n = 1; n <= 10; ++n) {
    for (const char* const format : {"%.*e", "%+.*e", "%.*E"}) {
      for (const double value : {1.25, -7.0, 3.0e-25, -9.87654321e22, 6.02e-13, 0.0}) {
        std::snprintf(token, sizeof token, format, n, value);
        const std::string shaped = token;
        doubles.push_back(shaped);
        for (size_t at = 0; at < shaped.size(); ++at) {
          doubles.push_back(shaped.substr(0, at) + shaped.substr(at + 1));
          for (const char c : changes) {
            std::string changed = shaped;
            changed[at] = c;
            doubles.push_back(changed);
            doubles.push_back(shaped.substr(0, at) + c + shaped.substr(at));
          }
        }
      }
    }
  }
  for (int digits = 1; digits <= 12; ++digits) {
    for (const char* const sign : {"", "-", "+", "+-", "--"}) {
      const std::string number =
          std::string(sign) +
          std::string("918273645546372819").substr(0, static_cast<size_t>(digits));
      integers.push_back(number);
      for (size_t at = 0; at < number.size(); ++at) {
        for (const char c : changes) {
          std::string changed = number;
          changed[at] = c;
          integers.push_back(changed);
        }
      }
    }
  }
  for (const bool integer : {false, true}) {
    const std::string good = integer ? "42" : "1.5e+00";
    for (const std::string& t : integer ? integers : doubles) {
      for (int place = 0; place < 4; ++place) {
        std::string rows;
        for (int r = 0; r < 4; ++r) rows += (r == place ? t : good) + "\n";
        for (const int64_t rowLimit : {3, 4}) {
          ASSERT_EQ(readBlock(rows, integer, rowLimit, true),
                    readBlock(rows, integer, rowLimit, false))
              << testing::PrintToString(rows) << " (" << rowLimit << " rows)";
        }
      }
    }
  }
}

}  // namespace
