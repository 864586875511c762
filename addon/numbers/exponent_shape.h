// The printf shape: what printf's %.Ne writes for N from 1 to 10 with a two-digit exponent,
//   [sign] digit '.' N digits ('e'|'E') sign digit digit,
// most of the values of an output file. A token of this shape is read at fixed places of the 16
// bytes before its end, with no branch that depends on a digit: one token at a time here, four at
// once in a row kernel; both follow the one description below. Needs readable bytes before the
// token (the line file's window of whole lines has them). Compiled per instruction set (isa.h).
#ifndef CVL_ADDON_NUMBERS_EXPONENT_SHAPE_H
#define CVL_ADDON_NUMBERS_EXPONENT_SHAPE_H

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "addon/numbers/digits.h"
#include "addon/numbers/exact_value.h"
#include "addon/numbers/isa.h"
#include "addon/numbers/number_grammar.h"

namespace cvl::numbers {

// ---- The description. The 16 bytes before a token's end are 16 lanes. With n digits after the
// point: lane 10 - n holds the leading digit, 11 - n the point, 12 - n to 11 the fraction, 12
// 'e' or 'E', 13 the exponent's sign, 14 and 15 its digits; the value's sign, if any, stands just
// before the leading digit. A token's key, 2 x min(length, 17) + (first byte is a sign), tells n.

// Bytes before a token's end that a shape reader loads, whatever lies there.
inline constexpr size_t kShapeReach = 16;
inline constexpr int kShapeKeys = 36;
// A value's power index: its written exponent (0 to 99), + 100 for a negative exponent, + 200
// for a negative value.
inline constexpr int kPowerIndices = 400;

struct ShapeTables {
  // Per key: the lanes that must hold digits (bits 0-15) and those of the point, the 'e' and the
  // exponent's sign (bits 32-47); for a key of no shape, a pattern that no text meets.
  uint64_t wanted[kShapeKeys];
  // Per key: the digits after the leading one (n), or -1 for no shape.
  int fractionDigits[kShapeKeys];
  // Per key, for readers that gather the digits with a byte shuffle: the lanes that make the
  // mantissa a number of 12 decimal places with the leading digit at place 1 (lane 1 of the
  // result), the value's sign at 12 and the exponent's sign and digits at 13 to 15; 0x80 zero.
  alignas(16) unsigned char gather[kShapeKeys][16];
  // Per power index, for a mantissa of 11 places (the leading digit and 10 after the point): the
  // factor (with the value's sign) and the divisor that give mantissa x 10^(exponent - 10) in one
  // rounding; the divisor is -1 beyond the one-rounding range.
  struct Power {
    double factor;
    double divisor;
  };
  alignas(16) Power power[kPowerIndices];
  unsigned char isSign[256];
};

// Evaluated by the compiler only: the tables are constants of the program.
consteval ShapeTables makeShapeTables() {
  ShapeTables t{};
  for (int key = 0; key < kShapeKeys; ++key) {
    const int length = key / 2;
    const int hasSign = key % 2;
    const int n = length - 6 - hasSign;  // digits after the point
    for (int lane = 0; lane < 16; ++lane) t.gather[key][lane] = 0x80;
    // A sign before the leading digit must lie within the 16 lanes.
    if (n < 1 || n > 10 - hasSign) {
      t.wanted[key] = 0xFFFF | (uint64_t{0xFFFF} << 32);  // a lane cannot be both
      t.fractionDigits[key] = -1;
      continue;
    }
    t.fractionDigits[key] = n;
    const int lead = 10 - n;
    t.gather[key][1] = static_cast<unsigned char>(lead);
    for (int i = 0; i < n; ++i) t.gather[key][2 + i] = static_cast<unsigned char>(12 - n + i);
    if (hasSign == 1) t.gather[key][12] = static_cast<unsigned char>(lead - 1);
    t.gather[key][13] = 13;
    t.gather[key][14] = 14;
    t.gather[key][15] = 15;
    uint64_t digits = (1u << lead) | (1u << 14) | (1u << 15);
    for (int lane = 12 - n; lane < 12; ++lane) digits |= 1u << lane;
    const uint64_t literals = (1u << (11 - n)) | (1u << 12) | (1u << 13);
    t.wanted[key] = digits | (literals << 32);
  }
  for (int index = 0; index < kPowerIndices; ++index) {
    const int written = index % 100;
    const int exponent = ((index / 100) % 2 == 1 ? -written : written) - 10;
    const double sign = index >= 200 ? -1.0 : 1.0;
    if (exponent < -kExactPower || exponent > kExactPower) {
      t.power[index] = {sign, -1.0};
      continue;
    }
    double power = 1.0;  // exact: every power of ten up to 10^22 is a double
    for (int i = 0; i < (exponent < 0 ? -exponent : exponent); ++i) power *= 10.0;
    t.power[index] = {sign * (exponent >= 0 ? power : 1.0), exponent < 0 ? power : 1.0};
  }
  t.isSign[static_cast<unsigned char>('+')] = 1;
  t.isSign[static_cast<unsigned char>('-')] = 1;
  return t;
}

inline constexpr ShapeTables kShape = makeShapeTables();

}  // namespace cvl::numbers

namespace cvl::numbers::CVL_ISA {

// The key of a token of the given length whose first byte is first.
CVL_ALWAYS_INLINE constexpr unsigned shapeKey(size_t length, char first) {
  const unsigned clamped = length < 17 ? static_cast<unsigned>(length) : 17;
  return 2 * clamped + kShape.isSign[static_cast<unsigned char>(first)];
}

// The exponent and the sign a power index stands for (see kPowerIndices).
CVL_ALWAYS_INLINE constexpr int powerIndexExponent(int index) {
  const int written = index % 100;
  return (index / 100) % 2 == 1 ? -written : written;
}

// The double of the whole token [p, end) when it has the printf shape and its value is decided
// exactly; not ok otherwise (the general form or the full grammar then reads it). The
// kShapeReach bytes before end must be readable.
CVL_ALWAYS_INLINE Parsed<double> readShape(const char* p, const char* end) {
#if defined(__SSE2__)
  const unsigned key = shapeKey(static_cast<size_t>(end - p), *p);
  const int n = kShape.fractionDigits[key];
  if (n < 0) return {false, 0};
  const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - kShapeReach));
  const DigitLanes digits = digitLanes(text);
  // The point, the 'e' (either case) and the exponent's sign, where the key puts them.
  const __m128i lowerE = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0, 0);
  const __m128i folded = _mm_or_si128(text, lowerE);
  const __m128i minus =
      _mm_setr_epi8('.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', 'e', '-', 1, 1);
  const __m128i plus =
      _mm_setr_epi8('.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', 'e', '+', 1, 1);
  const auto literals = static_cast<unsigned>(
      _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(folded, minus), _mm_cmpeq_epi8(folded, plus))));
  const uint64_t found = digits.isDigit | uint64_t{literals} << 32;
  if ((found & kShape.wanted[key]) != kShape.wanted[key]) return {false, 0};
  // The fraction as a number of 12 places: the lanes after the leading digit (the point among
  // them holds no digit).
  const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m128i after = _mm_cmpgt_epi8(index, _mm_set1_epi8(static_cast<char>(10 - n)));
  const TwelveAndTwo sums = sumDigitLanes(_mm_and_si128(digits.values, after));
  const char* const lead = end - 6 - n;
  const uint64_t mantissa =
      static_cast<uint64_t>(static_cast<unsigned>(*lead - '0')) * kPowers[n] + sums.twelve;
  const int exponent = end[-3] == '-' ? -sums.two : sums.two;
  return exactProduct(mantissa, exponent - n, *p == '-');
#else
  static_cast<void>(p);
  static_cast<void>(end);
  return {false, 0};
#endif
}

}  // namespace cvl::numbers::CVL_ISA

#endif  // CVL_ADDON_NUMBERS_EXPONENT_SHAPE_H
