// The columns of a generated output file: name, unit, location, the kind of values and the
// width each column takes on every line.
#ifndef CVL_TOOLS_BENCH_GENERATOR_OUT_FILE_LAYOUT_H
#define CVL_TOOLS_BENCH_GENERATOR_OUT_FILE_LAYOUT_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bench/generator/value_model.h"

namespace cvl::bench {

struct GeneratedColumn {
  std::string name;      // entry of the variable name row
  std::string unit;      // entry of the secondary variable row: "(DEG)", "(number)", "(Pa)", ...
  std::string location;  // entry of the location row; empty in a file without locations
  ValueKind kind = ValueKind::Pressure;
  int32_t width = 0;  // characters the column takes on every line, right-aligned
};

struct LayoutOptions {
  int32_t columns = 20;       // at least 1
  int32_t regions = 0;        // 0: one zone, the location row holds only "#"
  int32_t sharedColumns = 0;  // with regions: leading "(none)" columns shared by every region
};

// The narrowest column: a value printed as %.9e takes at most 16 characters, and at least two
// blanks separate it from the value before it.
inline constexpr int32_t kMinColumnWidth = 18;

// Fills columns for options: column 0 is the crank angle "(DEG)", column 1 the integer step
// counter "(number)", then physical quantities from a fixed list, numbered once the list runs
// out. With regions, the shared columns come first and every region then repeats the same
// variables under its own location ("Region0", "Region1", ...). Returns false with a message in
// error when the options do not describe a file (for instance when the columns after the shared
// ones do not divide evenly among the regions).
bool makeLayout(const LayoutOptions& options, std::vector<GeneratedColumn>& columns,
                std::string& error);

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_GENERATOR_OUT_FILE_LAYOUT_H
