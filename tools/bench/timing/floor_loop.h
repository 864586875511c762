// The floor loop: the least work that turns a text table into numbers in memory. It maps the
// file, skips the five header lines and parses every white-space separated token with
// std::from_chars into a preallocated array, checking nothing else. A loader that checks what
// it reads and stores it in the host is measured against it.
#ifndef CVL_TOOLS_BENCH_TIMING_FLOOR_LOOP_H
#define CVL_TOOLS_BENCH_TIMING_FLOOR_LOOP_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace cvl::bench {

// Lines before the first data row of an output file.
inline constexpr int kHeaderLines = 5;

// The text after the first `lines` lines of text; empty when it has no more.
std::string_view skipLines(std::string_view text, int lines);

// Parses every token of text (a run of bytes above ' ') as a double and stores it at the next
// element of values, until text or values runs out. Text that does not begin a number stores 0
// and is passed over up to the next white space. Returns the number of values stored.
size_t parseAllValues(std::string_view text, std::span<double> values);

// The shape of an output file's data: rows after the header and the tokens on the first one.
struct DataShape {
  uint64_t rows = 0;
  uint64_t valuesPerRow = 0;
};

// Reads the shape of the data in path: lines after the fifth and tokens on the sixth line.
// False with a message in error when the file cannot be read or holds no data row.
bool probeDataShape(const std::string& path, DataShape& shape, std::string& error);

// One measured floor run: maps path, skips the header, parses every value into values, unmaps.
// stored receives the number of values parsed. False with a message in error when the file
// cannot be mapped.
bool runFloorLoop(const std::string& path, std::span<double> values, size_t& stored,
                  std::string& error);

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_TIMING_FLOOR_LOOP_H
