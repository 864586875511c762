// The fair floor: the least work that any loader of these files into a host must do, done the
// way the loader is allowed to do it. It reads the file with pread in blocks of 1 MiB (as the
// line file reads, never mapping it), counts its lines first (the host must know a zone's size
// before the first value is stored), allocates one array for every value as the stand-in host
// allocates value arrays, then reads the file again and parses every token after the header with
// std::from_chars into that array, a token cut by a block's end carried over to the next block.
// It checks nothing else.
#ifndef CVL_TOOLS_BENCH_TIMING_FAIR_FLOOR_H
#define CVL_TOOLS_BENCH_TIMING_FAIR_FLOOR_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace cvl::bench {

// What a fair floor run made: the values, in an array allocated as the stand-in host allocates
// a zone's block, and how many were parsed.
struct FairFloorValues {
  std::shared_ptr<void> block;  // rows x valuesPerRow doubles
  uint64_t rows = 0;            // lines after the header
  uint64_t valuesPerRow = 0;    // tokens on the first data row
  uint64_t parsed = 0;          // tokens parsed, at most rows x valuesPerRow
};

// One fair floor run on path. False with a message in error when the file cannot be read or
// holds no data row.
bool runFairFloor(const std::string& path, FairFloorValues& values, std::string& error);

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_TIMING_FAIR_FLOOR_H
