// The scanner: tokens, white space, tests and takes, and its numbers compared bit for bit with
// std::from_chars.
#include "reader/scanner.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using qorvian::Scanner;
using namespace std::string_literals;

// The number grammar told directly in terms of std::from_chars: one leading '+' may stand where
// a '-' could, and the whole token must convert without a range error.
template <typename T>
std::optional<T> reference(std::string_view token) {
  if (!token.empty() && token.front() == '+') {
    token.remove_prefix(1);
    if (!token.empty() && (token.front() == '-' || token.front() == '+')) return std::nullopt;
  }
  T value{};
  const auto [stop, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || stop != token.data() + token.size()) return std::nullopt;
  return value;
}

// Scans line from a heap block of its exact size, so that a sanitizer build catches any read
// past its end.
struct ExactText {
  explicit ExactText(const std::string& line)
      : bytes(std::make_unique_for_overwrite<char[]>(line.size())), size(line.size()) {
    std::memcpy(bytes.get(), line.data(), size);
  }
  std::string_view view() const { return {bytes.get(), size}; }
  std::unique_ptr<char[]> bytes;
  size_t size;
};

// Compares the scanner's verdicts and values on token, alone and among other tokens and blanks
// (pad of them move it across the scanner's 64-byte blocks), with the reference. Doubles are
// compared by their bits, so that -0.0 and the sign of a NaN count.
void expectSameAsFromChars(const std::string& token, size_t pad) {
  const auto expectedDouble = reference<double>(token);
  const auto expectedInt = reference<int64_t>(token);
  if (expectedInt) {
    ASSERT_TRUE(expectedDouble) << "an integer is a double too: " << token;
  }
  const std::string blanks(pad, ' ');
  for (const std::string& line :
       {token, " \t" + token + "\r 7", blanks + token, blanks + token + "             1 2"}) {
    const ExactText text(line);
    Scanner intFirst(text.view());
    ASSERT_EQ(intFirst.hasNextDoubleToken(), expectedDouble.has_value()) << '"' << line << '"';
    ASSERT_EQ(intFirst.hasNextInt64Token(), expectedInt.has_value()) << '"' << line << '"';
    if (expectedInt) {
      ASSERT_EQ(intFirst.nextInt64Token(), *expectedInt) << '"' << line << '"';
    }
    Scanner doubleFirst(text.view());
    ASSERT_EQ(doubleFirst.hasNextDoubleToken(), expectedDouble.has_value()) << '"' << line << '"';
    if (expectedDouble) {
      ASSERT_EQ(std::bit_cast<uint64_t>(doubleFirst.nextDoubleToken()),
                std::bit_cast<uint64_t>(*expectedDouble))
          << '"' << line << '"';
    }
  }
}

// Accepted and refused tokens side by side, separated by blanks. Subnormal values are in range;
// values that round to zero or beyond the largest double are not. The later ones are the printf
// forms that the scanner reads without std::from_chars, and their near misses.
const std::string kIntegers = "0 -0 +7 00012 9223372036854775807 -9223372036854775808";
const std::string kDoublesOnly =
    "-3.7799880e+02 +2.5 5. .5 -.5 1E5 9223372036854775808 -9223372036854775809 "
    "123456789012345678901234567890 inf +inf -Infinity nan -nan(x1) 4.9e-324 1e-310 "
    "2.4703282292062328e-324 1.7976931348623157e308 0e400 -3.779988000e+02 1.5E-07 3.e+02 "
    "1.5e123 1.5e+5 1.5e+123 1.5e-0005 -0.0000000e+00 1.2345678901234567e+01 "
    "1.23456789012345678e+01 9.007199254740993e+15";
const std::string kNoNumbers =
    "2.4703282292062327e-324 2e-324 1e-400 1e400 -1e400 1.7976931348623159e308 + - +-1 ++1 --1 "
    ". 1e 1e+ 1.5d3 0x10 0x1p3 12abc 1,5 1_000 infin nan(a-b) abc 1e4294967297 1e-4294967295 "
    "1.5ee+01 1.x2e+05 1.2345x7890e+05 1.23456789x1e+05 1.5e+-1 1.5e+1x 1.5e+01. 1..5 1\0 \0\x31 1e5\0"s;

TEST(Scanner, NumberTokens) {
  const auto check = [](const std::string& tokens, bool isDouble, bool isInt) {
    std::istringstream words(tokens);
    for (std::string token; words >> token;) {
      Scanner scanner(token);
      EXPECT_EQ(scanner.hasNextDoubleToken(), isDouble) << '"' << token << '"';
      EXPECT_EQ(scanner.hasNextInt64Token(), isInt) << '"' << token << '"';
      EXPECT_EQ(scanner.nextToken(), token);
      expectSameAsFromChars(token, 3);
      expectSameAsFromChars(token, 60);
    }
  };
  check(kIntegers, true, true);
  check(kDoublesOnly, true, false);
  check(kNoNumbers, false, false);
}

// Tokens of many forms: the fast paths must take exactly what std::from_chars takes, with the
// same bits, whatever the digit count, exponent or trailing byte.
TEST(Scanner, SweepMatchesFromChars) {
  uint64_t seed = 0x9E3779B97F4A7C15;
  const auto next = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    return seed ^= seed << 17;
  };
  const auto digits = [&](uint64_t count) {
    std::string text;
    for (uint64_t i = 0; i < count; ++i) text += static_cast<char>('0' + next() % 10);
    return text;
  };
  const char* const signs[] = {"", "", "-", "+", "+-", "-+"};
  const std::string tails[] = {"", "", "", "", "x", ".", "e", "E+", "-", "\0"s, ",", "e5"};
  char printed[64];
  for (int i = 0; i < 80000; ++i) {
    std::string token = signs[next() % 6];
    const auto precision = static_cast<int>(next() % 19);
    switch (next() % 5) {
      case 0:  // digits, fraction and exponent of any length
        token += digits(next() % 22);
        if (next() % 3 != 0) token += '.' + digits(next() % 22);
        if (next() % 2 != 0) token += "eE"[next() % 2] + (signs[next() % 4] + digits(next() % 4));
        break;
      case 1:  // %e as a solver writes it, with exponents of any width near every limit
        std::snprintf(printed, sizeof printed, "%.*f%c%+0*d", precision,
                      static_cast<double>(next() % 100000000) / 1e7, "eE"[next() % 2],
                      static_cast<int>(next() % 5), static_cast<int>(next() % 700) - 350);
        token += printed;
        break;
      case 2:  // any double, printed in full or cut short
        std::snprintf(printed, sizeof printed, "%.*g", precision + 1,
                      std::bit_cast<double>(next()));
        token = printed;
        break;
      case 3:  // %e of values of every size
        std::snprintf(printed, sizeof printed, "%.*e", precision,
                      static_cast<double>(next() % 1000000007) *
                          std::pow(10.0, static_cast<double>(next() % 80) - 40.0));
        token += printed;
        break;
      default:  // integers of up to 20 digits
        std::snprintf(printed, sizeof printed, "%" PRId64,
                      static_cast<int64_t>(next() >> (next() % 64)));
        token += printed;
    }
    token += tails[next() % 12];
    if (!token.empty()) expectSameAsFromChars(token, static_cast<size_t>(i % 81));
  }
}

// Lines of every length up to a few blocks, with runs of every kind of white space, split as a
// plain byte-by-byte split would; NUL and other control bytes are no white space.
TEST(Scanner, WhiteSpace) {
  uint32_t seed = 7;
  const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
  const std::string_view separators = " \t\n\v\f\r";
  const char others[] = "a1.-+\0\x1c\xa0\x85";
  for (size_t length = 0; length < 300; ++length) {
    std::string line;
    std::vector<std::string> expected;
    while (line.size() < length) {
      const size_t run = next() % (next() % 4 == 0 ? 90 : 9) + 1;
      const bool blank = next() % 2 == 0;
      std::string bytes;
      for (size_t i = 0; i < run; ++i) bytes += blank ? separators[next() % 6] : others[next() % 9];
      if (!blank && (line.empty() || separators.find(line.back()) != std::string_view::npos)) {
        expected.emplace_back();  // a new token, else this run continues the last one
      }
      if (!blank) expected.back() += bytes;
      line += bytes;
    }
    const ExactText text(line);
    Scanner scanner(text.view());
    std::vector<std::string> tokens;
    while (scanner.hasNextToken()) tokens.emplace_back(scanner.nextToken());
    EXPECT_EQ(tokens, expected) << testing::PrintToString(line);
    // A take past the last token takes nothing.
    EXPECT_EQ(scanner.nextToken(), "");
    EXPECT_FALSE(scanner.hasNextToken() || scanner.hasNextDoubleToken());
  }
}

// Tests in any order, repeated, then a take: the take returns what its own test found; a skip
// passes over tokens whatever was tested.
TEST(Scanner, TestsTakesAndSkips) {
  Scanner scanner(" -0 2.5 17 word x y");
  EXPECT_TRUE(scanner.hasNextInt64Token() && scanner.hasNextDoubleToken());
  EXPECT_EQ(std::bit_cast<uint64_t>(scanner.nextDoubleToken()), std::bit_cast<uint64_t>(-0.0));
  EXPECT_TRUE(scanner.hasNextToken() && scanner.hasNextDoubleToken());
  EXPECT_FALSE(scanner.hasNextInt64Token());
  EXPECT_EQ(scanner.nextDoubleToken(), 2.5);
  EXPECT_TRUE(scanner.hasNextDoubleToken());
  EXPECT_EQ(scanner.nextInt64Token(), 17);
  EXPECT_FALSE(scanner.hasNextDoubleToken());
  EXPECT_TRUE(scanner.skipTokens(0) && scanner.skipTokens(2));
  EXPECT_EQ(scanner.nextToken(), "y");
  EXPECT_FALSE(scanner.skipTokens(1));
}

// setCopy keeps the text when its source is overwritten (the header rows are read first and
// scanned after); a copy of a scanner owns a copy of its text and stands at the same token.
TEST(Scanner, CopiedText) {
  std::string line = "# first row";
  Scanner first, second;
  first.setCopy(line);
  first.nextToken();
  line = "# second row, longer than the small-string buffer";
  second.setCopy(line);
  line.assign(line.size(), 'x');
  EXPECT_EQ(first.nextToken(), "first");
  EXPECT_EQ(second.skipTokens(1) ? second.nextToken() : "", "second");

  Scanner copy;
  {
    Scanner source;
    source.setCopy("a 2 c");
    source.nextToken();
    EXPECT_TRUE(source.hasNextInt64Token());
    copy = source;
  }
  EXPECT_EQ(copy.nextInt64Token(), 2);
  EXPECT_EQ(copy.nextToken(), "c");

  copy.setCopy("x yz");  // a token of the scanner's own copy as its next text
  copy.nextToken();
  copy.setCopy(copy.nextToken());
  EXPECT_EQ(copy.nextToken(), "yz");
}

}  // namespace
