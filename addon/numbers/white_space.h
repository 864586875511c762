// White space, which separates tokens: space, tab, LF, VT, FF and CR. Found as bit masks of 64
// bytes at a time, for the scanner's token search, the token walk and the kernels' index; the
// widest vectors the instruction set has do the comparing. Compiled per instruction set (isa.h).
#ifndef CVL_ADDON_NUMBERS_WHITE_SPACE_H
#define CVL_ADDON_NUMBERS_WHITE_SPACE_H

#include <cstddef>
#include <cstdint>

#if defined(__AVX2__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "addon/numbers/isa.h"

namespace cvl::numbers::CVL_ISA {

CVL_ALWAYS_INLINE bool isWhiteSpace(char c) {
  return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

// What 64 bytes of text hold, bit i for byte i.
struct BlockMasks {
  uint64_t whiteSpace;  // white space
  uint64_t newlines;    // '\n' (white space too)
  uint64_t nuls;        // NUL, which ends a line's text and is no white space
};

#if defined(__AVX2__)
// The masks of the 32 bytes of bytes, in the low 32 bits.
CVL_ALWAYS_INLINE void addMasks32(__m256i bytes, int at, BlockMasks& masks) {
  // '\t' to '\r': the bytes whose distance from '\t', taken unsigned, is at most 4.
  const __m256i distance = _mm256_sub_epi8(bytes, _mm256_set1_epi8('\t'));
  const __m256i space =
      _mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(' ')),
                      _mm256_cmpeq_epi8(_mm256_min_epu8(distance, _mm256_set1_epi8(4)), distance));
  const auto bits = [](__m256i m) {
    return uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(m))};
  };
  masks.whiteSpace |= bits(space) << at;
  masks.newlines |= bits(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\n'))) << at;
  masks.nuls |= bits(_mm256_cmpeq_epi8(bytes, _mm256_setzero_si256())) << at;
}
#elif defined(__SSE2__)
CVL_ALWAYS_INLINE void addMasks16(__m128i bytes, int at, BlockMasks& masks) {
  const __m128i distance = _mm_sub_epi8(bytes, _mm_set1_epi8('\t'));
  const __m128i space =
      _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')),
                   _mm_cmpeq_epi8(_mm_min_epu8(distance, _mm_set1_epi8(4)), distance));
  const auto bits = [](__m128i m) { return uint64_t{static_cast<unsigned>(_mm_movemask_epi8(m))}; };
  masks.whiteSpace |= bits(space) << at;
  masks.newlines |= bits(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))) << at;
  masks.nuls |= bits(_mm_cmpeq_epi8(bytes, _mm_setzero_si128())) << at;
}
#endif

// The masks of the 64 bytes from block, all of which must be readable.
CVL_ALWAYS_INLINE BlockMasks blockMasks(const char* block) {
  BlockMasks masks{0, 0, 0};
#if defined(__AVX2__)
  addMasks32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(block)), 0, masks);
  addMasks32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32)), 32, masks);
#elif defined(__SSE2__)
  for (int at = 0; at < 64; at += 16) {
    addMasks16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + at)), at, masks);
  }
#else
  for (int i = 0; i < 64; ++i) {
    masks.whiteSpace |= uint64_t{isWhiteSpace(block[i])} << i;
    masks.newlines |= uint64_t{block[i] == '\n'} << i;
    masks.nuls |= uint64_t{block[i] == '\0'} << i;
  }
#endif
  return masks;
}

// The white space of the 64 bytes from block, which lies in the text [begin, end): bit i is set
// when block[i] is white space or lies at or past end, so that the end of the text ends a token.
// Reads nothing outside the text.
inline uint64_t whiteSpaceMask(const char* block, const char* begin, const char* end) {
  const ptrdiff_t size = end - block;
  if (size <= 0) return ~uint64_t{0};
  if (size >= 64) return blockMasks(block).whiteSpace;
  uint64_t mask = 0;
  ptrdiff_t i = 0;
  if (end - begin >= 64) {
    // The last few bytes: the 64 that end the text, shifted down to their place.
    mask = blockMasks(end - 64).whiteSpace >> (64 - size);
    i = size;
  }
  for (; i < size; ++i) mask |= uint64_t{isWhiteSpace(block[i])} << i;
  return mask | ~uint64_t{0} << size;
}

}  // namespace cvl::numbers::CVL_ISA

#endif  // CVL_ADDON_NUMBERS_WHITE_SPACE_H
