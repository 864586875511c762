// Digit summing: runs of decimal digits turned into their value, eight at a time in a 64-bit
// word or sixteen at a time in a vector register, and short integers read at fixed places. The
// pieces that every tier of the number grammar builds on (see number_grammar.h); compiled per
// instruction set (see isa.h).
//
// The eight-digit check and sum within a 64-bit word (the constants 0x46... and 0x80... of the
// check, and the mask and the two multipliers that combine pairs into the value) are those of
// fast_float's is_made_of_eight_digits_fast and parse_eight_digits_unrolled; copyright 2020-2023
// the fast_float authors (Daniel Lemire and contributors), Boost Software License 1.0
// (THIRD-PARTY-NOTICES.md).
#ifndef CVL_ADDON_NUMBERS_DIGITS_H
#define CVL_ADDON_NUMBERS_DIGITS_H

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "addon/numbers/isa.h"
#include "addon/numbers/number_grammar.h"

namespace cvl::numbers {

// Powers of ten as integers, 10^0 to 10^16.
inline constexpr uint64_t kPowers[] = {1,
                                       10,
                                       100,
                                       1000,
                                       10000,
                                       100000,
                                       1000000,
                                       10000000,
                                       100000000,
                                       1000000000,
                                       10000000000,
                                       100000000000,
                                       1000000000000,
                                       10000000000000,
                                       100000000000000,
                                       1000000000000000,
                                       10000000000000000};

// The pieces below read 8 bytes as one little-endian word.
inline constexpr bool kLittleEndian = std::endian::native == std::endian::little;

}  // namespace cvl::numbers

namespace cvl::numbers::CVL_ISA {

CVL_ALWAYS_INLINE bool isDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}

// ---- Eight digits at a time. A chunk is 8 bytes of text loaded little-endian (the first byte
// lowest) with '0' subtracted from every byte, so that a digit byte holds its value.

CVL_ALWAYS_INLINE uint64_t loadChunk(const char* p) {
  uint64_t chunk;
  std::memcpy(&chunk, p, 8);
  return chunk - 0x3030303030303030;
}

// Number of digits (0 to 8) at the start of a chunk. The top bit of a byte is set when it is no
// digit: below '0' the subtraction borrowed, above '9' adding 0x76 carries into it. A borrow or
// carry only runs into later bytes, so the first byte marked is the first non-digit.
CVL_ALWAYS_INLINE int leadingDigits(uint64_t chunk) {
  const uint64_t nonDigits = (chunk | (chunk + 0x7676767676767676)) & 0x8080808080808080;
  return nonDigits == 0 ? 8 : lowestBit(nonDigits) / 8;
}

// The value of the first n (0 to 8) digits of a chunk. They are shifted to the top, where the
// zero bytes below them read as leading zeros; two shifts, as one by 64 bits is undefined. Then
// pairs, fours and the eight are combined by multiplications within the word (fast_float's
// constants, see the top of this file).
CVL_ALWAYS_INLINE uint64_t leadingDigitsValue(uint64_t chunk, int n) {
  const int half = 4 * (8 - n);
  chunk = (chunk << half) << half;
  chunk = (chunk * 10) + (chunk >> 8);  // pairs of digits
  constexpr uint64_t mask = 0x000000FF000000FF;
  constexpr uint64_t mul1 = 100 + (1000000ULL << 32);
  constexpr uint64_t mul2 = 1 + (10000ULL << 32);
  return (((chunk & mask) * mul1) + (((chunk >> 16) & mask) * mul2)) >> 32;
}

// Appends the run of digits at p (up to end) to value and returns the first byte after it.
// value wraps after 19 digits, so callers bound the length of the run.
CVL_ALWAYS_INLINE const char* accumulateDigits(const char* p, const char* end, uint64_t& value) {
  if constexpr (kLittleEndian) {
    while (end - p >= 8) {
      const uint64_t chunk = loadChunk(p);
      const int n = leadingDigits(chunk);
      value = value * kPowers[n] + leadingDigitsValue(chunk, n);
      p += n;
      if (n < 8) return p;
    }
  }
  for (; p != end && isDigit(*p); ++p) value = value * 10 + static_cast<unsigned>(*p - '0');
  return p;
}

// The integer of the whole token [p, end) when it is an optional sign and 1 to 8 digits, read
// from the 8 bytes before end (which must be readable) at once; not ok for any other token. The
// digits are the top bytes of the word; the bytes below them read as '0'.
CVL_ALWAYS_INLINE Parsed<int64_t> readShortInteger(const char* p, const char* end) {
  const unsigned hasSign = static_cast<unsigned>((*p == '-') | (*p == '+'));
  const auto digits = static_cast<uint64_t>(end - p) - hasSign;
  if (!kLittleEndian || digits - 1 > 7) return {false, 0};
  uint64_t text;
  std::memcpy(&text, end - 8, 8);
  const uint64_t kept = ~uint64_t{0} << (64 - 8 * digits);
  constexpr uint64_t zeros = 0x3030303030303030;
  text = (text & kept) | (zeros & ~kept);
  // fast_float's eight-digit check (see the top of this file).
  if ((((text - zeros) | (text + 0x4646464646464646)) & 0x8080808080808080) != 0) {
    return {false, 0};
  }
  uint64_t v = text - zeros;
  v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FF;
  v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFF;
  v = (v * 10000 + (v >> 32)) & 0xFFFFFFFF;
  const auto magnitude = static_cast<int64_t>(v);
  return {true, *p == '-' ? -magnitude : magnitude};
}

#if defined(__SSE2__)
// ---- Sixteen lanes at a time.

// The digit values of 16 bytes of text (0 to 9 where a byte is a digit) and which lanes hold a
// digit (bit i for lane i).
struct DigitLanes {
  __m128i values;
  unsigned isDigit;
};

CVL_ALWAYS_INLINE DigitLanes digitLanes(__m128i text) {
  const __m128i values = _mm_sub_epi8(text, _mm_set1_epi8('0'));
  const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(values, _mm_set1_epi8(9)), values);
  return {_mm_and_si128(values, isDigit), static_cast<unsigned>(_mm_movemask_epi8(isDigit))};
}

// The value of lanes 0 to 11 of digits (one digit 0 to 9 per byte, zero where no digit counts)
// read as a number of 12 decimal places, and lanes 14 and 15 as one of two. Pairs, fours and
// eights of places are combined by multiply-adds across the register at once.
struct TwelveAndTwo {
  uint64_t twelve;
  int two;
};

CVL_ALWAYS_INLINE TwelveAndTwo sumDigitLanes(__m128i digits) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i tens = _mm_setr_epi16(10, 1, 10, 1, 10, 1, 10, 1);
  const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(digits, zero), tens),
                                        _mm_madd_epi16(_mm_unpackhi_epi8(digits, zero), tens));
  const int two = _mm_extract_epi16(pairs, 7);
  const __m128i twelvePairs = _mm_and_si128(pairs, _mm_setr_epi16(-1, -1, -1, -1, -1, -1, 0, 0));
  const __m128i fours = _mm_madd_epi16(twelvePairs, _mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1));
  const __m128i eights = _mm_madd_epi16(_mm_packs_epi32(fours, fours),
                                        _mm_setr_epi16(10000, 1, 10000, 1, 10000, 1, 10000, 1));
  const auto high = static_cast<uint32_t>(_mm_cvtsi128_si32(eights));
  const auto low = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(fours, 8)));
  return {uint64_t{high} * 10000 + low, two};
}
#endif

}  // namespace cvl::numbers::CVL_ISA

#endif  // CVL_ADDON_NUMBERS_DIGITS_H
