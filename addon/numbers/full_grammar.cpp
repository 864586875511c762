// The full grammar: decimal text through fast_float's exact conversion (Eisel-Lemire with a
// big-integer fallback), which costs a fraction of std::from_chars' path for long or far-out
// numbers, with the range rules of std::from_chars added; words ("inf", "nan(...)") and integers
// through std::from_chars. Compiled once, for the baseline: every kernel calls it for the tokens
// its fast tiers leave.
#include <fast_float/fast_float.h>

#include <charconv>
#include <cmath>
#include <system_error>

#include "addon/numbers/number_grammar.h"

namespace cvl::numbers {
namespace {

bool isDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}

// Passes over one leading '+', as std::from_chars reads a number only with '-' or no sign. False
// when what follows is a sign of its own ("+-1", "++1"), which makes the token no number.
// REQUIRES: begin != end.
bool skipPlus(const char*& begin, const char* end) {
  if (*begin != '+') return true;
  ++begin;
  return begin == end || (*begin != '-' && *begin != '+');
}

// True when the significand of decimal text (the part before any exponent) has a digit other
// than 0: such a text read as zero has underflowed.
bool hasNonZeroDigit(const char* begin, const char* end) {
  for (; begin != end; ++begin) {
    if ((*begin | 0x20) == 'e') return false;
    if (isDigit(*begin) && *begin != '0') return true;
  }
  return false;
}

template <typename T>
NumberRead<T> fault(NumberFault why) {
  return {T{}, why};
}

// The fault of a conversion that stopped at stop with error, or none.
NumberFault conversionFault(std::errc error, const char* stop, const char* end) {
  if (error == std::errc::invalid_argument) return NumberFault::kNoNumber;
  if (error == std::errc::result_out_of_range) return NumberFault::kOutOfRange;
  return stop == end ? NumberFault::kNone : NumberFault::kTrailingText;
}

}  // namespace

const char* faultReason(NumberFault why) {
  switch (why) {
    case NumberFault::kNone:
      return "a number";
    case NumberFault::kEmpty:
      return "an empty token";
    case NumberFault::kNoNumber:
      return "no number at its start: a word, a sign alone or twice, or a hexadecimal number";
    case NumberFault::kTrailingText:
      return "a number followed by text that no number has";
    case NumberFault::kOutOfRange:
      return "a number out of range: beyond the largest value, or a non-zero value that rounds "
             "to zero";
  }
  return "an unknown fault";
}

NumberRead<double> readWholeDouble(const char* begin, const char* end) {
  if (begin == end) return fault<double>(NumberFault::kEmpty);
  if (!skipPlus(begin, end)) return fault<double>(NumberFault::kNoNumber);
  if (begin == end) return fault<double>(NumberFault::kNoNumber);
  const char lead = *begin == '-' && end - begin > 1 ? begin[1] : *begin;
  double value = 0;
  if (!isDigit(lead) && lead != '.') {
    // Infinity, NaN or a word.
    const auto [stop, error] = std::from_chars(begin, end, value);
    const NumberFault why = conversionFault(error, stop, end);
    return why == NumberFault::kNone ? NumberRead<double>{value, why} : fault<double>(why);
  }
  const auto [stop, error] = fast_float::from_chars(begin, end, value);
  NumberFault why = conversionFault(error, stop, end);
  // fast_float gives infinity for an overflow and zero for an underflow; both are out of range.
  if (why == NumberFault::kNone &&
      (std::isinf(value) || (value == 0 && hasNonZeroDigit(begin, end)))) {
    why = NumberFault::kOutOfRange;
  }
  return why == NumberFault::kNone ? NumberRead<double>{value, why} : fault<double>(why);
}

NumberRead<int64_t> readWholeInt64(const char* begin, const char* end) {
  if (begin == end) return fault<int64_t>(NumberFault::kEmpty);
  if (!skipPlus(begin, end)) return fault<int64_t>(NumberFault::kNoNumber);
  int64_t value = 0;
  const auto [stop, error] = std::from_chars(begin, end, value);
  const NumberFault why = conversionFault(error, stop, end);
  return why == NumberFault::kNone ? NumberRead<int64_t>{value, why} : fault<int64_t>(why);
}

// fast_float 3.9 (Debian 12's libfast-float-dev; checked against 3.9.0) offers only text parsing
// publicly. Its internal compute_float is the Eisel-Lemire step on its own: a 128-bit product with
// a table of powers of five, no division, no text. The exponent shape's digits are already summed
// when they come here, so going back to text would parse them twice; this is the one place that
// uses the internal function, and a newer fast_float that renames it breaks only this file.
Parsed<double> eiselLemireProduct(uint64_t mantissa, int exponent, bool negative) {
  using Binary = fast_float::binary_format<double>;
  const fast_float::adjusted_mantissa product =
      fast_float::compute_float<Binary>(exponent, mantissa);
  if (product.power2 < 0 || product.power2 == Binary::infinite_power() ||
      (product.power2 == 0 && product.mantissa == 0 && mantissa != 0)) {
    return {false, 0};
  }
  double value = 0;
  fast_float::to_float(negative, product, value);
  return {true, value};
}

}  // namespace cvl::numbers
