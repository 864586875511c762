// The scanner: number tokens against a table and against std::from_chars, among every kind of
// white space, tested and taken in either order; and copied text.
#include "reader/scanner.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdio>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

using qorvian::Scanner;
using namespace std::string_literals;

// The number grammar told in terms of std::from_chars: one leading '+' may stand where a '-'
// could, and the whole token must convert without a range error.
template <typename T>
static std::optional<T> reference(std::string_view token) {
  if (token.starts_with('+') && token.find_first_of("+-", 1) != 1) token.remove_prefix(1);
  T value{};
  const auto [stop, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || stop != token.data() + token.size()) return std::nullopt;
  return value;
}

// Compares the scanner's verdicts and values on token, alone and among other tokens and every
// kind of white space (pad blanks move it across the scanner's 64-byte blocks), with the
// reference. Each line is scanned from a heap block of its exact size, so that a sanitizer build
// catches a read past its end. Doubles compare by their bits: -0.0 and the sign of a NaN count.
static void expectSameAsFromChars(const std::string& token, size_t pad) {
  const auto wantDouble = reference<double>(token);
  const auto wantInt = reference<int64_t>(token);
  const std::string blanks(pad, ' ');
  for (const std::string& line :
       {token, " \t\v" + token + "\r\f\n7", blanks + token, blanks + token + " 1"}) {
    const std::vector<char> bytes(line.begin(), line.end());
    Scanner intFirst({bytes.data(), bytes.size()}), doubleFirst({bytes.data(), bytes.size()});
    const auto shown = [&line] { return testing::PrintToString(line); };
    ASSERT_EQ(intFirst.hasNextDoubleToken(), wantDouble.has_value()) << shown();
    ASSERT_EQ(intFirst.hasNextInt64Token(), wantInt.has_value()) << shown();
    ASSERT_EQ(intFirst.nextInt64Token(), wantInt.value_or(0)) << shown();
    ASSERT_EQ(doubleFirst.hasNextDoubleToken(), wantDouble.has_value()) << shown();
    ASSERT_EQ(std::bit_cast<uint64_t>(doubleFirst.nextDoubleToken()),
              std::bit_cast<uint64_t>(wantDouble.value_or(0.0)))
        << shown();
  }
}

// Accepted and refused tokens side by side. Subnormal values are in range; values that round to
// zero or beyond the largest double are not. The later ones of each group are the printf forms
// that the scanner reads without std::from_chars, and their near misses. NUL and control or high
// bytes are no white space; a token may run over several blocks.
TEST(Scanner, NumberTokens) {
  const std::tuple<bool, bool, std::string> groups[] = {
      // double?, int64?, tokens
      {true, true, "0 -0 +7 00012 9223372036854775807 -9223372036854775808"},
      {true, false,
       "-3.7799880e+02 +2.5 5. .5 -.5 1E5 9223372036854775808 -9223372036854775809 inf +inf "
       "-Infinity nan -nan(x1) 4.9e-324 1e-310 2.4703282292062328e-324 1.7976931348623157e308 "
       "0e400 -3.779988000e+02 1.5E-07 3.e+02 1.5e123 1.5e+5 1.5e+123 1.5e-0005 -0.0000000e+00 "
       "1.2345678901234567e+01 1.23456789012345678e+01 9.007199254740993e+15 " +
           std::string(150, '9')},
      {false, false,
       "2.4703282292062327e-324 2e-324 1e-400 1e400 -1e400 1.7976931348623159e308 + - +-1 ++1 "
       "--1 . 1e 1e+ 1.5d3 0x10 0x1p3 12abc 1,5 1_000 infin nan(a-b) abc 1e4294967297 "
       "1e-4294967295 1.5ee+01 1.x2e+05 1.2345x7890e+05 1.23456789x1e+05 1.5e+-1 1.5e+1x "
       "1.5e+01. 1..5 1\0 \0\x31 1e5\0 1\x1c \xa0\x31 1\x85 "s +
           std::string(130, '1') + "x"},
  };
  for (const auto& [isDouble, isInt, tokens] : groups) {
    std::istringstream words(tokens);
    for (std::string token; words >> token;) {
      const bool verdicts[] = {reference<double>(token).has_value(),
                               reference<int64_t>(token).has_value()};
      EXPECT_TRUE(verdicts[0] == isDouble && verdicts[1] == isInt) << testing::PrintToString(token);
      EXPECT_EQ(Scanner(token).nextToken(), token);
      for (const size_t pad : {3ul, 60ul}) expectSameAsFromChars(token, pad);
    }
  }
}

// Tokens of many forms: the fast paths must take exactly what std::from_chars takes, with the
// same bits, whatever the digit count, exponent or trailing byte.
TEST(Scanner, SweepMatchesFromChars) {
  std::mt19937_64 random(20240611);
  const auto next = [&random](uint64_t count) { return int(random() % count); };
  // 0 to 20 random digits, leading zeros among them.
  const auto digits = [&] { return std::to_string(random() | 1ull << 63).substr(random() % 20); };
  const char* const signs[] = {"", "", "-", "+", "+-", "-+"};
  const std::string tails[] = {"", "", "", "", "x", ".", "e", "E+", "-", "\0"s, ",", "e5"};
  char printed[64];
  for (int i = 0; i < 100000; ++i) {
    std::string token = signs[next(6)];
    switch (next(3)) {
      case 0:  // digits, fraction and exponent of any length; an integer when neither
        token += digits() + (next(3) != 0 ? "." + digits() : "");
        if (next(2) != 0) token += "eE"[next(2)] + (signs[next(4)] + std::to_string(next(400)));
        break;
      case 1:  // %e as a solver writes it, with exponents of any width near every limit
        std::snprintf(printed, sizeof printed, "%.*f%c%+0*d", next(19), next(100000000) / 1e7,
                      "eE"[next(2)], next(5), next(700) - 350);
        token += printed;
        break;
      default:  // any double, printed in full or cut short
        std::snprintf(printed, sizeof printed, "%.*g", next(19) + 1,
                      std::bit_cast<double>(random()));
        token = printed;
    }
    token += tails[next(12)];
    if (!token.empty()) expectSameAsFromChars(token, size_t(i % 81));
  }
}

// setCopy keeps the text when its source is overwritten, short or long.
TEST(Scanner, CopiedText) {
  std::string shortLine = "# a 2", longLine = "# a row, longer than the small-string buffer";
  Scanner shortScanner, longScanner;
  shortScanner.setCopy(shortLine);
  longScanner.setCopy(longLine);
  for (std::string* line : {&shortLine, &longLine}) line->assign(line->size(), 'x');
  EXPECT_TRUE(shortScanner.nextToken() == "#" && shortScanner.nextToken() == "a" &&
              shortScanner.nextInt64Token() == 2);
  EXPECT_TRUE(longScanner.nextToken() == "#" && longScanner.nextToken() == "a" &&
              longScanner.nextToken() == "row,");
}
