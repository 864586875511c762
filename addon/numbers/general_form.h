// The general form: decimal text whose value is exact in one rounding, read byte by byte and
// eight digits at a time, in any text (nothing before or after the token is read). The middle
// tier of the number grammar (see number_grammar.h); compiled per instruction set (see isa.h).
#ifndef CVL_ADDON_NUMBERS_GENERAL_FORM_H
#define CVL_ADDON_NUMBERS_GENERAL_FORM_H

#include <cstdint>

#include "addon/numbers/digits.h"
#include "addon/numbers/exact_value.h"
#include "addon/numbers/isa.h"
#include "addon/numbers/number_grammar.h"

namespace cvl::numbers::CVL_ISA {

// Decimal text: ['-'|'+'] [digits] ['.' [digits]] [('e'|'E') ['-'|'+'] digits], the whole token
// [p, end), with 1 to 19 digits before the exponent and at most 4 in it, whose value is within
// exactValue's bounds. Leading zeros count as digits here, so that the 19-digit bound keeps the
// mantissa from overflowing. Not ok for anything else.
CVL_ALWAYS_INLINE Parsed<double> readGeneral(const char* p, const char* end) {
  if (p == end) return {false, 0};
  const bool negative = *p == '-';
  p += negative | (*p == '+');
  const char* const first = p;
  uint64_t mantissa = 0;
  for (; p != end && isDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  auto digits = p - first;
  int exponent = 0;
  if (p != end && *p == '.') {
    const char* const fraction = p + 1;
    p = accumulateDigits(fraction, end, mantissa);
    exponent = static_cast<int>(fraction - p);
    digits += p - fraction;
  }
  if (digits == 0 || digits > 19) return {false, 0};
  if (p != end && (*p | 0x20) == 'e') {
    const char* q = p + 1;
    if (q == end) return {false, 0};  // "1.5e", left to the full grammar
    const bool negativeExponent = *q == '-';
    q += negativeExponent | (*q == '+');
    const char* const written = q;
    unsigned value = 0;  // wraps harmlessly past 9 digits: more than 4 are refused below
    for (; q != end && isDigit(*q); ++q) value = value * 10 + static_cast<unsigned>(*q - '0');
    if (q == written || q - written > 4) return {false, 0};
    exponent += negativeExponent ? -static_cast<int>(value) : static_cast<int>(value);
    p = q;
  }
  if (p != end) return {false, 0};
  return exactValue(mantissa, exponent, negative);
}

// Decimal integer: ['-'|'+'] 1 to 18 digits, the whole token [p, end); it always fits a signed
// 64-bit value. Not ok for anything else.
CVL_ALWAYS_INLINE Parsed<int64_t> readGeneralInteger(const char* p, const char* end) {
  if (p == end) return {false, 0};
  const bool negative = *p == '-';
  p += negative | (*p == '+');
  const char* const first = p;
  uint64_t value = 0;
  p = accumulateDigits(p, end, value);
  if (p != end || p == first || p - first > 18) return {false, 0};
  const auto magnitude = static_cast<int64_t>(value);
  return {true, negative ? -magnitude : magnitude};
}

}  // namespace cvl::numbers::CVL_ISA

#endif  // CVL_ADDON_NUMBERS_GENERAL_FORM_H
