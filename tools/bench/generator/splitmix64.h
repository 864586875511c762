// SplitMix64: a small, fast, seedable mixing function. The generator derives every value from
// (seed, row, column) through it, so any row of a file can be recomputed without the rows
// before it.
#ifndef CVL_TOOLS_BENCH_GENERATOR_SPLITMIX64_H
#define CVL_TOOLS_BENCH_GENERATOR_SPLITMIX64_H

#include <cstdint>

namespace cvl::bench {

// The SplitMix64 output for state x: a well-mixed 64-bit value; equal inputs give equal outputs.
constexpr uint64_t splitMix64(uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

// A uniform double in [0, 1) from the top 53 bits of bits.
constexpr double unitInterval(uint64_t bits) {
  return static_cast<double>(bits >> 11) * 0x1.0p-53;
}

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_GENERATOR_SPLITMIX64_H
