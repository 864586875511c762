// The data rows' number parser against std::from_chars: every form of the grammar, in text with
// any bytes around the token, bit for bit.
#include "reader/padded_number.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "reader/decimal_conversion.h"

namespace {

using namespace std::string_literals;

// The grammar told in terms of std::from_chars: one leading '+' may stand where a '-' could,
// and the whole token must convert without a range error.
template <typename T>
std::optional<T> reference(std::string_view token) {
  if (token.starts_with('+') && token.find_first_of("+-", 1) != 1) token.remove_prefix(1);
  T value{};
  const auto [stop, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || stop != token.data() + token.size()) return std::nullopt;
  return value;
}

// Parses token placed after `before` and a blank, followed by a blank and `after`, as a line of
// the line file's window lies among other bytes, and compares both parses and wholeDouble with
// the reference. Doubles compare by their bits.
void expectSameAsFromChars(const std::string& token, const std::string& before,
                           const std::string& after) {
  // The parser may read kReach bytes before a token's end: digits of an earlier neighbour.
  const std::string padding(qorvian::paddednumber::kReach, '5');
  const std::string text = padding + before + ' ' + token + ' ' + after;
  const char* const begin = text.data() + padding.size() + before.size() + 1;
  const char* const end = begin + token.size();
  const auto wantDouble = reference<double>(token);
  const auto wantInt = reference<int64_t>(token);
  const auto gotDouble = qorvian::paddednumber::readDouble(begin, end);
  const auto gotInt = qorvian::paddednumber::readInt64(begin, end);
  const auto whole = qorvian::wholeDouble(token);
  const auto shown = [&] { return testing::PrintToString(text); };
  ASSERT_EQ(gotDouble.ok, wantDouble.has_value()) << shown();
  ASSERT_EQ(whole.has_value(), wantDouble.has_value()) << shown();
  ASSERT_EQ(std::bit_cast<uint64_t>(gotDouble.ok ? gotDouble.value : 0.0),
            std::bit_cast<uint64_t>(wantDouble.value_or(0.0)))
      << shown();
  ASSERT_EQ(std::bit_cast<uint64_t>(whole.value_or(0.0)),
            std::bit_cast<uint64_t>(wantDouble.value_or(0.0)))
      << shown();
  ASSERT_EQ(gotInt.ok, wantInt.has_value()) << shown();
  ASSERT_EQ(gotInt.ok ? gotInt.value : 0, wantInt.value_or(0)) << shown();
}

// The printf shape and its near misses, and the rest of the grammar, among digits that must not
// count: the bytes before the blank are digits of a neighbour in the window.
TEST(PaddedNumber, FormsAndNearMisses) {
  const char* const tokens[] = {
      // the shape, fraction lengths 1 to 10, exponents near the exact range and far beyond
      "1.5e+00", "-3.7799880e+02", "+2.896544523e-19", "9.086019136e-07", "6.0000000000e+06",
      "-0.000000000e+00", "0.0e-99", "1.234567890e+99", "9.999999999e-99", "4.9406564584e-24",
      "1.000000000e+22", "1.000000000e+23", "1.7976931348e+30", "2.2250738585e-23",
      "9.007199254740993e+15", "1.2345678901e+05", "1.2345678901E-05",
      // near misses of the shape
      "1.5e+0", "1.5e+000", "1.5ee+01", "1..5e+01", "1,5e+01", "1.5e*01", "1.5x+01", "1.5e+0x",
      "1.5e+-1", "15.e+01", ".15e+01", "1.e+01", "1.x23456789e+05", "1.5e+01.", "x1.5e+01",
      "--1.5e+01", "+-1.5e+01", "-+1.5e+01", "1.5E-07", "1.23456789012e+05",
      // other forms: integers, plain decimals, words, range limits
      "0", "-0", "+7", "00012", "9223372036854775807", "-9223372036854775808",
      "9223372036854775808", "4294967297", "2.5", "5.", ".5", "-.5", "1E5", "1e-400", "1e400",
      "4.9e-324", "2.4703282292062327e-324", "2.4703282292062328e-324", "1.7976931348623159e308",
      "inf", "+inf", "-Infinity", "nan", "-nan(x1)", "nan(a-b)", "abc", "+", "-", ".", "1e", "0x10",
      "1_000", "12abc", "1.5d3"};
  const std::string neighbours[] = {"", "7", "1234567890123456", "-9.999999999e+99"};
  for (const char* const token : tokens) {
    for (const std::string& before : neighbours) {
      expectSameAsFromChars(token, before, "1.0e+00");
    }
  }
}

// Random tokens of every form, most of them in the printf shape with any fraction length and
// exponent, cut or extended by a stray byte now and then.
TEST(PaddedNumber, RandomTokensMatchFromChars) {
  std::mt19937_64 random(20261205);
  const auto next = [&random](uint64_t count) { return static_cast<int>(random() % count); };
  const auto digits = [&] { return std::to_string(random() | 1ull << 63).substr(random() % 20); };
  const char* const signs[] = {"", "", "", "-", "+", "+-"};
  const std::string tails[] = {"", "", "", "", "", "", "x", ".", "e", "0", "\0"s, "-"};
  char printed[96];
  for (int i = 0; i < 300000; ++i) {
    std::string token = signs[next(6)];
    switch (next(4)) {
      case 0:
      case 1:  // %.Ne, N from 0 to 12, of a value of any magnitude
        std::snprintf(printed, sizeof printed, "%.*e", next(13),
                      std::bit_cast<double>(random() & ~(uint64_t{1} << 63)));
        token += printed;
        if (next(4) == 0 && token.size() > 4 && token[token.size() - 4] == 'e') {
          token[token.size() - 4] = 'E';
        }
        break;
      case 2:  // digits, fraction and exponent of any length
        token += digits() + (next(3) != 0 ? "." + digits() : "");
        if (next(2) != 0) token += "eE"[next(2)] + (signs[next(5)] + std::to_string(next(400)));
        break;
      default:  // any double in full or cut short
        std::snprintf(printed, sizeof printed, "%.*g", next(19) + 1,
                      std::bit_cast<double>(random()));
        token = printed;
    }
    token += tails[next(12)];
    if (token.empty()) continue;
    expectSameAsFromChars(token, std::to_string(random()), std::to_string(random()));
  }
}

}  // namespace
