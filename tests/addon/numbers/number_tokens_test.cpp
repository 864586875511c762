// Number tokens against std::from_chars, bit for bit, every form of the grammar: as the scanner
// takes them (header lines, the first data row) among every kind of white space, as the full
// grammar reads them, and as every row kernel reads them in a row among bytes that must not
// count; and the full grammar's faults.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "addon/numbers/number_grammar.h"
#include "addon/rows/row_kernel.h"
#include "standins/common_strutil/scanner.h"
#include "tests/support/kernel_reading.h"
#include "tools/fuzz/reference_number.h"

namespace {

using namespace std::string_literals;
using cvl::fuzz::referenceNumber;
using qorvian::Scanner;

// Doubles compare by their bits: -0.0 and the sign of a NaN count.
uint64_t bits(double value) {
  return std::bit_cast<uint64_t>(value);
}

// What a kernel reads from token in row `place` of four rows of one column, the other rows a
// plain value followed by a word that ends in digits, so that the bytes before the token are
// digits of a neighbour: the value's bits, or nothing when the kernel reports a fault there.
std::optional<int64_t> readInRows(const cvl::rows::RowKernel& kernel, const std::string& token,
                                  int place, bool integer) {
  std::string rows;
  for (int r = 0; r < 4; ++r) rows += (r == place ? token : integer ? "7 w12" : "1.5 w34") + "\n";
  const auto [message, row, from, values] = cvl::test::readBlock(rows, {integer}, 4, kernel);
  if (!message.empty()) return std::nullopt;
  return values[0][static_cast<size_t>(place)];
}

// Reads token with every reader and compares with the reference. The scanner sees it alone and
// among white space, pad blanks moving it across its 64-byte blocks, each line in a heap block of
// its exact size (a sanitizer build catches a read past its end), tested for an integer and a
// double in either order. The full grammar reads the token as it is; every kernel reads it in
// row (place % 4) of a column of doubles and of one of integers.
void expectSameAsFromChars(const std::string& token, size_t pad, int place) {
  const auto wantDouble = referenceNumber<double>(token);
  const auto wantInt = referenceNumber<int64_t>(token);
  const std::string blanks(pad, ' ');
  std::vector<std::string> lines = {token, blanks + token, " \t\v" + token + "\r\f\n"};
  if (!token.empty()) lines.push_back(blanks + token + "\r7 1");
  for (const std::string& line : lines) {
    const std::vector<char> bytes(line.begin(), line.end());
    Scanner intFirst({bytes.data(), bytes.size()}), doubleFirst({bytes.data(), bytes.size()});
    const auto shown = [&line] { return testing::PrintToString(line); };
    ASSERT_EQ(intFirst.hasNextInt64Token(), wantInt.has_value()) << shown();
    ASSERT_EQ(intFirst.hasNextDoubleToken(), wantDouble.has_value()) << shown();
    ASSERT_EQ(intFirst.nextInt64Token(), wantInt.value_or(0)) << shown();
    ASSERT_EQ(doubleFirst.hasNextDoubleToken(), wantDouble.has_value()) << shown();
    ASSERT_EQ(doubleFirst.hasNextInt64Token(), wantInt.has_value()) << shown();
    ASSERT_EQ(bits(doubleFirst.nextDoubleToken()), bits(wantDouble.value_or(0))) << shown();
  }
  // The reference as the readers give it: a double's bits, an integer (a row keeps its low 32
  // bits).
  using Read = std::optional<int64_t>;
  const Read wantBits = wantDouble ? Read(std::bit_cast<int64_t>(*wantDouble)) : std::nullopt;
  const Read wantLow = wantInt ? Read(static_cast<int32_t>(*wantInt)) : std::nullopt;
  const auto shown = [&token] { return testing::PrintToString(token); };
  const auto whole = cvl::numbers::readWholeDouble(token.data(), token.data() + token.size());
  ASSERT_EQ(whole.ok() ? Read(std::bit_cast<int64_t>(whole.value)) : std::nullopt, wantBits)
      << shown();
  const auto wholeInt = cvl::numbers::readWholeInt64(token.data(), token.data() + token.size());
  ASSERT_EQ(wholeInt.ok() ? Read(wholeInt.value) : std::nullopt, wantInt) << shown();
  // In a row, white space separates tokens and a NUL byte ends the line's text.
  if (token.find_first_of(" \t\n\v\f\r"s + '\0') != std::string::npos) return;
  for (const cvl::rows::RowKernel* kernel : cvl::rows::supportedRowKernels()) {
    ASSERT_EQ(readInRows(*kernel, token, place % 4, false), wantBits) << kernel->name << shown();
    ASSERT_EQ(readInRows(*kernel, token, place % 4, true), wantLow) << kernel->name << shown();
  }
}

// The tokens of data/tokens.txt: integers at the limits; the printf shape (fraction lengths 1 to
// 10, exponents near the exact range and far beyond) and its near misses; the other forms of the
// grammar; subnormal values, which are in range, and values that round to zero or beyond the
// largest double, which are not; NUL, control and high bytes, which are no white space; tokens
// that run over several blocks.
TEST(NumberTokens, FormsAndNearMisses) {
  std::ifstream file(std::string(CVL_NUMBER_TOKENS), std::ios::binary);
  std::vector<std::string> tokens;
  for (std::string line; std::getline(file, line);) {
    if (!line.starts_with('#')) tokens.push_back(line);
  }
  ASSERT_GT(tokens.size(), 100u) << CVL_NUMBER_TOKENS;
  for (const std::string& token : tokens) {
    EXPECT_EQ(Scanner(token).nextToken(), token);
    for (int place = 0; place < 4; ++place) expectSameAsFromChars(token, place % 2 ? 60 : 3, place);
  }
  // No token: a line of white space only, an empty token between two blanks, a blank row.
  for (const size_t pad : {0ul, 70ul}) expectSameAsFromChars("", pad, 1);
}

// Why the full grammar refuses a token.
TEST(NumberTokens, FaultsOfTheFullGrammar) {
  using cvl::numbers::NumberFault;
  const struct {
    std::string token;
    NumberFault asDouble, asInteger;
  } cases[] = {
      {"", NumberFault::kEmpty, NumberFault::kEmpty},
      {"x", NumberFault::kNoNumber, NumberFault::kNoNumber},
      {"+-1", NumberFault::kNoNumber, NumberFault::kNoNumber},
      {"+", NumberFault::kNoNumber, NumberFault::kNoNumber},
      {"0x10", NumberFault::kTrailingText, NumberFault::kTrailingText},
      {"1.5e", NumberFault::kTrailingText, NumberFault::kTrailingText},
      {"2.5", NumberFault::kNone, NumberFault::kTrailingText},
      {"1e400", NumberFault::kOutOfRange, NumberFault::kTrailingText},
      {"1e-400", NumberFault::kOutOfRange, NumberFault::kTrailingText},
      {"9223372036854775808", NumberFault::kNone, NumberFault::kOutOfRange},
      {"-nan(x)", NumberFault::kNone, NumberFault::kNoNumber},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(cvl::numbers::faultReason(c.asDouble)) + " / " +
                 cvl::numbers::faultReason(c.asInteger));
    const char* const end = c.token.data() + c.token.size();
    EXPECT_EQ(cvl::numbers::readWholeDouble(c.token.data(), end).fault, c.asDouble) << c.token;
    EXPECT_EQ(cvl::numbers::readWholeInt64(c.token.data(), end).fault, c.asInteger) << c.token;
  }
}

// Random tokens of many forms, most of them near the forms that the fast paths take: digit runs
// of any length, %e as a solver writes it with exponents of any width, %.Ne of a value of any
// magnitude, any double printed in full or cut short; each now and then cut or extended by a
// stray byte.
TEST(NumberTokens, RandomTokensMatchFromChars) {
  std::mt19937_64 random(20240611);
  const auto next = [&random](uint64_t count) { return static_cast<int>(random() % count); };
  // 0 to 20 random digits, leading zeros among them.
  const auto digits = [&] { return std::to_string(random() | 1ull << 63).substr(random() % 20); };
  const char* const signs[] = {"", "", "", "-", "+", "+-", "-+"};
  const std::string tails[] = {"", "", "", "", "", "", "x", ".", "e", "E+", "0", "\0"s, ",", "-"};
  char printed[96];
  for (int i = 0; i < 200000; ++i) {
    std::string token = signs[next(7)];
    switch (next(4)) {
      case 0:
        token += digits() + (next(3) != 0 ? "." + digits() : "");
        if (next(2) != 0) token += "eE"[next(2)] + (signs[next(5)] + std::to_string(next(400)));
        break;
      case 1:
        std::snprintf(printed, sizeof printed, "%.*f%c%+0*d", next(19), next(100000000) / 1e7,
                      "eE"[next(2)], next(5), next(700) - 350);
        token += printed;
        break;
      case 2:
        std::snprintf(printed, sizeof printed, next(4) == 0 ? "%.*E" : "%.*e", next(13),
                      std::bit_cast<double>(random() & ~(uint64_t{1} << 63)));
        token += printed;
        break;
      default:
        std::snprintf(printed, sizeof printed, "%.*g", next(19) + 1,
                      std::bit_cast<double>(random()));
        token = printed;
    }
    token += tails[next(14)];
    if (!token.empty()) expectSameAsFromChars(token, size_t(i % 81), i);
  }
}

}  // namespace
