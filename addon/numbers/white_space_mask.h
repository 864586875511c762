// The white space of a text as a bit mask, 64 bytes at a time, for the scanner's token search.
#ifndef CVL_ADDON_NUMBERS_WHITE_SPACE_MASK_H
#define CVL_ADDON_NUMBERS_WHITE_SPACE_MASK_H

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__GNUC__)
#define CVL_WHITESPACE_INLINE [[gnu::always_inline]] inline
#else
#define CVL_WHITESPACE_INLINE inline
#endif

namespace cvl::whitespace {

// White space: space, tab, LF, VT, FF and CR.
inline bool isWhiteSpace(char c) {
  return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

#if defined(__SSE2__)
// Bit i set when p[i] is white space, for the 16 bytes from p.
inline uint64_t mask16(const char* p) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i blank = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '));
  // '\t' to '\r': the bytes whose distance from '\t', taken unsigned, is at most 4.
  const __m128i distance = _mm_sub_epi8(bytes, _mm_set1_epi8('\t'));
  const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(distance, _mm_set1_epi8(4)), distance);
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(blank, control)));
}
#endif

// The mask of the 64 bytes from block, which lies in the text [begin, end): bit i is set when
// block[i] is white space or lies at or past end, so that the end of the text ends a token.
// Reads nothing outside the text.
inline uint64_t mask64(const char* block, const char* begin, const char* end) {
  const ptrdiff_t size = end - block;
  if (size <= 0) return ~uint64_t{0};
  uint64_t mask = 0;
  ptrdiff_t i = 0;
#if defined(__SSE2__)
  if (size >= 64) {
    return mask16(block) | mask16(block + 16) << 16 | mask16(block + 32) << 32 |
           mask16(block + 48) << 48;
  }
  for (; size - i >= 16; i += 16) mask |= mask16(block + i) << i;
  if (i < size && end - begin >= 16) {
    // The last few bytes: the 16 that end the text, shifted down to their place.
    const ptrdiff_t rest = size - i;
    mask |= (mask16(end - 16) >> (16 - rest)) << i;
    i = size;
  }
#endif
  for (; i < size && i < 64; ++i) mask |= uint64_t{isWhiteSpace(block[i])} << i;
  if (size < 64) mask |= ~uint64_t{0} << size;
  return mask;
}

// The white space and the line ends of 64 bytes of text.
struct BlockMasks {
  uint64_t whiteSpace;  // bit i set when byte i is white space
  uint64_t lineEnds;    // bit i set when byte i is '\n' or NUL
};

#if defined(__SSE2__)
// The masks of the 16 bytes from p, placed at bit `at` of masks.
CVL_WHITESPACE_INLINE void addMasks16(const char* p, int at, BlockMasks& masks) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i blank = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '));
  const __m128i distance = _mm_sub_epi8(bytes, _mm_set1_epi8('\t'));
  const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(distance, _mm_set1_epi8(4)), distance);
  const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')),
                                    _mm_cmpeq_epi8(bytes, _mm_setzero_si128()));
  const auto space = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(blank, control)));
  masks.whiteSpace |= uint64_t{space} << at;
  masks.lineEnds |= uint64_t{static_cast<unsigned>(_mm_movemask_epi8(ends))} << at;
}
#endif

// The masks of the 64 bytes from block, all of which must be readable.
CVL_WHITESPACE_INLINE BlockMasks blockMasks(const char* block) {
  BlockMasks masks{0, 0};
#if defined(__SSE2__)
  addMasks16(block, 0, masks);
  addMasks16(block + 16, 16, masks);
  addMasks16(block + 32, 32, masks);
  addMasks16(block + 48, 48, masks);
#else
  for (int i = 0; i < 64; ++i) {
    masks.whiteSpace |= uint64_t{isWhiteSpace(block[i])} << i;
    masks.lineEnds |= uint64_t{block[i] == '\n' || block[i] == '\0'} << i;
  }
#endif
  return masks;
}

}  // namespace cvl::whitespace

#endif  // CVL_ADDON_NUMBERS_WHITE_SPACE_MASK_H
