// Code compiled once per instruction set, and what it may use.
//
// The number pieces (addon/numbers) and the token walk (addon/rows) are inline code that every
// row kernel compiles for its own instruction set: the portable kernel and the scanner for the
// baseline, the AVX2 kernel with -mavx2. So that a copy compiled for one set can never stand in
// for another's at link time, such code lives in a namespace named after the set:
// cvl::numbers::CVL_ISA and cvl::rows::CVL_ISA. A kernel's translation unit defines CVL_ISA (its
// kernel's name, e.g. avx2) before it includes anything; everything else gets `portable`. For
// the same reason that code uses no standard library template, whose instantiations would be
// shared by name (std::countr_zero, std::string_view), nor an inline function outside such a
// namespace (a member of a shared class included): the bit operation here stands in for <bit>'s,
// and texts are passed as two pointers. scripts/check-architecture.py --objects fails a Debug
// build (where every inline function is emitted) that defines a function both in an object built
// for a set and in a baseline one.
#ifndef CVL_ADDON_NUMBERS_ISA_H
#define CVL_ADDON_NUMBERS_ISA_H

#include <cstdint>

#ifndef CVL_ISA
#define CVL_ISA portable
#endif

#if defined(__GNUC__)
#define CVL_ALWAYS_INLINE [[gnu::always_inline]] inline
#define CVL_NOINLINE [[gnu::noinline]]
#elif defined(_MSC_VER)
#define CVL_ALWAYS_INLINE __forceinline
#define CVL_NOINLINE __declspec(noinline)
#else
#define CVL_ALWAYS_INLINE inline
#define CVL_NOINLINE
#endif

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace cvl::numbers::CVL_ISA {

// The number of zero bits below the lowest set bit. REQUIRES: bits != 0.
CVL_ALWAYS_INLINE int lowestBit(uint64_t bits) {
#if defined(__GNUC__)
  return __builtin_ctzll(bits);
#else
  unsigned long index = 0;
  _BitScanForward64(&index, bits);
  return static_cast<int>(index);
#endif
}

}  // namespace cvl::numbers::CVL_ISA

#endif  // CVL_ADDON_NUMBERS_ISA_H
