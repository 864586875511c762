// Fast exact conversion of the common forms of decimal number text, for the scanner's hot path.
//
// Each parse function reads one whole token [p, end) in its simple grammar, or leaves it to
// std::from_chars when the token is not in that grammar or its value cannot be given exactly.
// A token that it accepts converts to exactly the value that std::from_chars gives for the same
// text; a leading '+' reads as no sign.
#ifndef CVL_ADDON_NUMBERS_FAST_DECIMAL_H
#define CVL_ADDON_NUMBERS_FAST_DECIMAL_H

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__GNUC__)
#define CVL_ALWAYS_INLINE [[gnu::always_inline]] inline
#else
#define CVL_ALWAYS_INLINE inline
#endif

namespace cvl::fastdecimal {

// A number read from a whole token; ok is false when the token is left to std::from_chars.
// Returned in registers, so that a caller's value needs no address.
template <typename T>
struct Parsed {
  bool ok;
  T value;
};

inline constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr uint64_t kScale[] = {1,      10,      100,      1000,     10000,
                                      100000, 1000000, 10000000, 100000000};
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

inline bool isDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}

// ---- Eight digits at a time. A chunk is 8 bytes of text loaded little-endian (the first byte
// lowest) with '0' subtracted from every byte, so that a digit byte holds its value.

inline constexpr bool kChunks = std::endian::native == std::endian::little;

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
  return std::countr_zero(nonDigits) / 8;
}

// The value of the first n (0 to 8) digits of a chunk. They are shifted to the top, where the
// zero bytes below them read as leading zeros; two shifts, as one by 64 bits is undefined.
CVL_ALWAYS_INLINE uint64_t leadingDigitsValue(uint64_t chunk, int n) {
  const int half = 4 * (8 - n);
  chunk = (chunk << half) << half;
  chunk = (chunk * 10) + (chunk >> 8);  // pairs of digits
  constexpr uint64_t mask = 0x000000FF000000FF;
  constexpr uint64_t mul1 = 100 + (1000000ULL << 32);
  constexpr uint64_t mul2 = 1 + (10000ULL << 32);
  return (((chunk & mask) * mul1) + (((chunk >> 16) & mask) * mul2)) >> 32;
}

// The value of the last n (1 to 8) bytes of a chunk of text loaded as it is, and whether they
// are all digits. The bytes below them are replaced by '0' before '0' is subtracted, so that no
// borrow from a non-digit below reaches them.
CVL_ALWAYS_INLINE Parsed<uint64_t> trailingDigitsValue(uint64_t text, int n) {
  const int below = 8 * (8 - n);  // 0 to 56
  text = (text >> below << below) | ((0x3030303030303030 >> 1) >> (63 - below));
  const uint64_t chunk = text - 0x3030303030303030;
  return {leadingDigits(chunk) == 8, leadingDigitsValue(chunk, 8)};
}

#if defined(__SSE2__)
// The value of the n (0 to 16) bytes before stop, and whether they are all digits; the 16 bytes
// before stop must be readable. The bytes before the n are cleared, then pairs, fours and eights
// of digits are combined by multiply-adds across the 16 bytes at once.
CVL_ALWAYS_INLINE Parsed<uint64_t> lastDigitsValue(const char* stop, int n) {
  const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(stop - 16));
  const __m128i digits = _mm_sub_epi8(text, _mm_set1_epi8('0'));
  const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digits, _mm_set1_epi8(9)), digits);
  const unsigned wanted = (0xFFFFu << (16 - n)) & 0xFFFFu;
  if ((static_cast<unsigned>(_mm_movemask_epi8(isDigit)) & wanted) != wanted) return {false, 0};
  const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m128i kept =
      _mm_and_si128(digits, _mm_cmpgt_epi8(index, _mm_set1_epi8(static_cast<char>(15 - n))));
  const __m128i zero = _mm_setzero_si128();
  const __m128i tens = _mm_setr_epi16(10, 1, 10, 1, 10, 1, 10, 1);
  const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(kept, zero), tens),
                                        _mm_madd_epi16(_mm_unpackhi_epi8(kept, zero), tens));
  const __m128i fours = _mm_madd_epi16(pairs, _mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1));
  const __m128i eights = _mm_madd_epi16(_mm_packs_epi32(fours, fours),
                                        _mm_setr_epi16(10000, 1, 10000, 1, 10000, 1, 10000, 1));
  const auto high = static_cast<uint32_t>(_mm_cvtsi128_si32(eights));
  const auto low = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(eights, 4)));
  return {true, uint64_t{high} * 100000000 + low};
}
#endif

// Appends the run of digits at p (up to end) to value and returns the first byte after it.
// value wraps after 19 digits, so callers bound the length of the run.
inline const char* accumulateDigits(const char* p, const char* end, uint64_t& value) {
  if constexpr (kChunks) {
    while (end - p >= 8) {
      const uint64_t chunk = loadChunk(p);
      const int n = leadingDigits(chunk);
      value = value * kScale[n] + leadingDigitsValue(chunk, n);
      p += n;
      if (n < 8) return p;
    }
  }
  for (; p != end && isDigit(*p); ++p) value = value * 10 + static_cast<unsigned>(*p - '0');
  return p;
}

// m * 10^exponent, correctly rounded, when m <= 2^53 and |exponent| <= 22: then m and 10^|e|
// are exact doubles and one correctly rounded multiplication or division gives the correctly
// rounded result, as std::from_chars does. Not ok otherwise.
CVL_ALWAYS_INLINE Parsed<double> exactValue(uint64_t m, int exponent, bool negative) {
  if (m > (uint64_t{1} << 53) || static_cast<unsigned>(exponent + 22) > 44) return {false, 0};
  double value = static_cast<double>(m);
  value = exponent < 0 ? value / kPowersOfTen[-exponent] : value * kPowersOfTen[exponent];
  return {true, negative ? -value : value};
}

// ---- The forms.

// What printf's %e writes: ['-'|'+'] digit '.' 0 to 16 digits ('e'|'E') ('-'|'+') 2 digits,
// the whole token [p, end) of the text [first, limit). Works on whole chunks of text at places
// fixed by the token's length, so that no branch depends on a digit, and covers most values of
// an output file at a fraction of the cost of the general form.
inline Parsed<double> parseExponentForm(const char* p, const char* end, const char* first,
                                        const char* limit) {
  if (!kChunks || end - p < 6) return {false, 0};
  // The exponent: the token's last four bytes.
  uint32_t tail;
  std::memcpy(&tail, end - 4, 4);
  if (((tail & 0xFF) | 0x20) != 'e') return {false, 0};
  const unsigned exponentSign = (tail >> 8) & 0xFF;
  if (exponentSign != '-' && exponentSign != '+') return {false, 0};
  const uint32_t written = (tail >> 16) - 0x3030;
  if (((written | (written + 0x7676)) & 0x8080) != 0) return {false, 0};
  int exponent = static_cast<int>((written & 0xFF) * 10 + (written >> 8));
  exponent = exponentSign == '-' ? -exponent : exponent;
  // The mantissa: a digit, the point and the fraction, which ends where the exponent starts.
  const bool negative = *p == '-';
  p += negative | (*p == '+');
  if (!isDigit(p[0]) || p[1] != '.') return {false, 0};
  uint64_t mantissa = static_cast<unsigned>(p[0] - '0');
  const char* const fraction = p + 2;
  // Never negative: the point and the exponent's 'e' are different bytes.
  const auto digits = static_cast<int>(end - 4 - fraction);
  if (digits > 16) return {false, 0};
#if defined(__SSE2__)
  if (end - 4 - first >= 16) {
    const Parsed<uint64_t> value = lastDigitsValue(end - 4, digits);
    if (!value.ok) return {false, 0};
    return exactValue(mantissa * kPowers[digits] + value.value, exponent - digits, negative);
  }
#endif
  if (digits <= 8) {
    // A short fraction is followed by the exponent, so 8 bytes lie within the token from 4
    // digits on; fewer need text after it.
    if (limit - fraction < 8) return {false, 0};
    const uint64_t chunk = loadChunk(fraction);
    if (leadingDigits(chunk) < digits) return {false, 0};
    mantissa = mantissa * kScale[digits] + leadingDigitsValue(chunk, digits);
  } else {
    // The first 8 digits, then the rest at the top of the 8 bytes before the exponent.
    const uint64_t chunk = loadChunk(fraction);
    uint64_t text;
    std::memcpy(&text, end - 12, 8);
    const Parsed<uint64_t> rest = trailingDigitsValue(text, digits - 8);
    if (leadingDigits(chunk) < 8 || !rest.ok) return {false, 0};
    mantissa =
        (mantissa * kScale[8] + leadingDigitsValue(chunk, 8)) * kScale[digits - 8] + rest.value;
  }
  return exactValue(mantissa, exponent - digits, negative);
}

// Decimal text: ['-'|'+'] [digits] ['.' [digits]] [('e'|'E') ['-'|'+'] digits], the whole token
// [p, end), with 1 to 19 digits before the exponent and at most 4 in it, whose value is within
// exactValue's bounds. Leading zeros count as digits here, so that the 19-digit bound keeps m
// from overflowing.
inline Parsed<double> parseGeneral(const char* p, const char* end) {
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
    if (q == end) return {false, 0};  // "1.5e", left to std::from_chars
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

// The double that the whole token [p, end) of the text [first, limit) reads as, in the exponent
// form if it is in that form, else in the general form.
CVL_ALWAYS_INLINE Parsed<double> parseDouble(const char* p, const char* end, const char* first,
                                             const char* limit) {
  const Parsed<double> exponentForm = parseExponentForm(p, end, first, limit);
  return exponentForm.ok ? exponentForm : parseGeneral(p, end);
}

// Decimal integer: ['-'|'+'] 1 to 18 digits, the whole token [p, end); it always fits a signed
// 64-bit value.
CVL_ALWAYS_INLINE Parsed<int64_t> parseInt64(const char* p, const char* end) {
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

}  // namespace cvl::fastdecimal

#endif  // CVL_ADDON_NUMBERS_FAST_DECIMAL_H
