// Decimal text to double through fast_float's exact conversion (Eisel-Lemire with a big-integer
// fallback), which costs a fraction of std::from_chars' path for long or far-out numbers, with
// the range rules of std::from_chars added; words ("inf", "nan(...)") go to std::from_chars.
#include "addon/numbers/decimal_conversion.h"

#include <fast_float/fast_float.h>

#include <charconv>
#include <cmath>
#include <system_error>

namespace cvl {
namespace {

// Drops one leading '+', as std::from_chars reads a number only with '-' or no sign. False when
// the rest begins with a sign of its own ("+-1", "++1"), which makes the token no number.
bool dropPlus(std::string_view& token) {
  if (token.empty() || token.front() != '+') return true;
  token.remove_prefix(1);
  return token.empty() || (token.front() != '-' && token.front() != '+');
}

bool isDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}

// True when the significand of decimal text (the part before any exponent) has a digit other
// than 0: such a text read as zero has underflowed.
bool hasNonZeroDigit(std::string_view text) {
  for (const char c : text) {
    if ((c | 0x20) == 'e') return false;
    if (isDigit(c) && c != '0') return true;
  }
  return false;
}

}  // namespace

std::optional<double> wholeDouble(std::string_view token) {
  if (!dropPlus(token) || token.empty()) return std::nullopt;
  const char* const first = token.data();
  const char* const last = first + token.size();
  const char lead = token.front() == '-' && token.size() > 1 ? token[1] : token.front();
  double value = 0;
  if (!isDigit(lead) && lead != '.') {
    // Infinity, NaN or a word.
    const auto [stop, error] = std::from_chars(first, last, value);
    if (error != std::errc() || stop != last) return std::nullopt;
    return value;
  }
  const auto [stop, error] = fast_float::from_chars(first, last, value);
  if (error != std::errc() || stop != last) return std::nullopt;
  // fast_float gives infinity for an overflow and zero for an underflow; both are out of range.
  if (std::isinf(value) || (value == 0 && hasNonZeroDigit(token))) return std::nullopt;
  return value;
}

std::optional<int64_t> wholeInt64(std::string_view token) {
  if (!dropPlus(token)) return std::nullopt;
  int64_t value = 0;
  const auto [stop, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || stop != token.data() + token.size()) return std::nullopt;
  return value;
}

}  // namespace cvl
