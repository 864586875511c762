// Byte sizes written as people write them on a command line: "2000000", "100M", "4.5GiB".
#ifndef CVL_TOOLS_BENCH_GENERATOR_BYTE_SIZE_H
#define CVL_TOOLS_BENCH_GENERATOR_BYTE_SIZE_H

#include <cstdint>
#include <string_view>

namespace cvl::bench {

// Parses a number (digits, optionally with a fractional part) followed by an optional unit:
// k, M, G, T (powers of 1000) or Ki, Mi, Gi, Ti (powers of 1024), each optionally followed by
// "B"; a lone "B" means bytes. Returns false for anything else or a size beyond 2^63.
bool parseByteSize(std::string_view text, uint64_t& bytes);

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_GENERATOR_BYTE_SIZE_H
