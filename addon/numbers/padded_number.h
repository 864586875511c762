// Number tokens in text that can be read beyond both ends of the token (the line file's
// whole-lines view), for the data rows: the common form is read at fixed places with vector
// operations, everything else goes through the full grammar.
#ifndef CVL_ADDON_NUMBERS_PADDED_NUMBER_H
#define CVL_ADDON_NUMBERS_PADDED_NUMBER_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <fast_float/fast_float.h>

#include "addon/numbers/decimal_conversion.h"
#include "addon/numbers/fast_decimal.h"

namespace cvl::paddednumber {

using fastdecimal::Parsed;

// Bytes before a token's end that the parse functions may read, whatever lies there.
inline constexpr size_t kReach = 16;

// m x 10^exponent, correctly rounded, by fast_float's Eisel-Lemire step: a 128-bit product with
// a table of powers of five, no division. Not ok in the rare case that the step cannot decide the
// rounding, or when the value overflows or underflows to zero (out of range in our grammar).
CVL_ALWAYS_INLINE Parsed<double> exactProduct(uint64_t m, int exponent, bool negative) {
  if (m <= (uint64_t{1} << 53) && static_cast<unsigned>(exponent + 22) <= 44) {
    return fastdecimal::exactValue(m, exponent, negative);
  }
  using Binary = fast_float::binary_format<double>;
  const fast_float::adjusted_mantissa product = fast_float::compute_float<Binary>(exponent, m);
  if (product.power2 < 0 || product.power2 == Binary::infinite_power() ||
      (product.power2 == 0 && product.mantissa == 0 && m != 0)) {
    return {false, 0};
  }
  double value = 0;
  fast_float::to_float(negative, product, value);
  return {true, value};
}

// What printf's %.Ne writes for N from 1 to 10 and an exponent of two digits, the whole token
// [p, end):  ['-'|'+'] digit '.' N digits ('e'|'E') ('-'|'+') digit digit. The 16 bytes before
// end hold all of it after the sign; one load of them is checked for the shape and its digits
// are summed with multiply-adds, with no branch that depends on a digit. The value is exact as
// m x 10^k with one rounding (exactValue); not ok when the token has another shape or the power
// of ten is beyond exactValue's range.
CVL_ALWAYS_INLINE Parsed<double> parseExponentShape(const char* p, const char* end) {
#if defined(__SSE2__)
  const bool negative = *p == '-';
  const char* const q = p + (negative | (*p == '+'));
  // Lanes of the 16 bytes before end: 10 - n the leading digit, 11 - n the point, 12 - n to 11
  // the fraction, 12 the 'e', 13 the exponent's sign, 14 and 15 its digits.
  const ptrdiff_t n = end - q - 6;
  if (static_cast<size_t>(n - 1) > 9) return {false, 0};
  const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16));
  const __m128i digits = _mm_sub_epi8(text, _mm_set1_epi8('0'));
  const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digits, _mm_set1_epi8(9)), digits);
  const auto fractionLanes = static_cast<unsigned>(((1 << n) - 1) << (12 - n));
  const unsigned wanted = 0xC000u | fractionLanes | (1u << (10 - n));
  const auto found = static_cast<unsigned>(_mm_movemask_epi8(isDigit));
  const char exponentSign = end[-3];
  if (((found & wanted) != wanted) | (q[1] != '.') | ((end[-4] | 0x20) != 'e') |
      ((exponentSign != '-') & (exponentSign != '+'))) {
    return {false, 0};
  }
  // Keep the fraction's digits and the exponent's: lanes after the leading digit that hold a
  // digit (the point, 'e' and sign do not).
  const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m128i after = _mm_cmpgt_epi8(index, _mm_set1_epi8(static_cast<char>(10 - n)));
  const __m128i kept = _mm_and_si128(_mm_and_si128(digits, isDigit), after);
  const __m128i zero = _mm_setzero_si128();
  const __m128i tens = _mm_setr_epi16(10, 1, 10, 1, 10, 1, 10, 1);
  const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(kept, zero), tens),
                                        _mm_madd_epi16(_mm_unpackhi_epi8(kept, zero), tens));
  const auto exponentValue = _mm_extract_epi16(pairs, 7);
  // Lanes 0 to 11 as a number of 12 digits: three groups of four, the first two joined.
  const __m128i mantissaPairs = _mm_and_si128(pairs, _mm_setr_epi16(-1, -1, -1, -1, -1, -1, 0, 0));
  const __m128i fours =
      _mm_madd_epi16(mantissaPairs, _mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1));
  const __m128i eights = _mm_madd_epi16(_mm_packs_epi32(fours, fours),
                                        _mm_setr_epi16(10000, 1, 10000, 1, 10000, 1, 10000, 1));
  const auto high = static_cast<uint32_t>(_mm_cvtsi128_si32(eights));
  const auto low = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(fours, 8)));
  const uint64_t mantissa =
      static_cast<uint64_t>(static_cast<unsigned>(q[0] - '0')) * fastdecimal::kPowers[n] +
      uint64_t{high} * 10000 + low;
  const int exponent = exponentSign == '-' ? -exponentValue : exponentValue;
  return exactProduct(mantissa, exponent - static_cast<int>(n), negative);
#else
  static_cast<void>(p);
  static_cast<void>(end);
  return {false, 0};
#endif
}

// The double of the whole token [p, end) in the full grammar, for what the exponent shape does
// not take: the general fast form, else the exact conversion.
[[gnu::noinline]] inline Parsed<double> readOtherDouble(const char* p, const char* end) {
  const Parsed<double> general = fastdecimal::parseGeneral(p, end);
  if (general.ok) return general;
  const std::optional<double> exact = wholeDouble({p, static_cast<size_t>(end - p)});
  return {exact.has_value(), exact.value_or(0.0)};
}

// The double that the whole token [p, end) reads as, in the grammar of wholeDouble; the kReach
// bytes before end must be readable.
CVL_ALWAYS_INLINE Parsed<double> readDouble(const char* p, const char* end) {
  const Parsed<double> shaped = parseExponentShape(p, end);
  if (shaped.ok) [[likely]] {
    return shaped;
  }
  return readOtherDouble(p, end);
}

// The integer that the whole token [p, end) reads as, in the grammar of wholeInt64.
CVL_ALWAYS_INLINE Parsed<int64_t> readInt64(const char* p, const char* end) {
  const Parsed<int64_t> fast = fastdecimal::parseInt64(p, end);
  if (fast.ok) [[likely]] {
    return fast;
  }
  const std::optional<int64_t> exact = wholeInt64({p, static_cast<size_t>(end - p)});
  return {exact.has_value(), exact.value_or(0)};
}

}  // namespace cvl::paddednumber

#endif  // CVL_ADDON_NUMBERS_PADDED_NUMBER_H
