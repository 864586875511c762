// Writes a synthetic output file: the five header lines, then the data rows, each value
// right-aligned in its column as %.9e (the integer column as a plain integer).
#ifndef CVL_TOOLS_BENCH_GENERATOR_OUT_FILE_WRITER_H
#define CVL_TOOLS_BENCH_GENERATOR_OUT_FILE_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bench/generator/out_file_layout.h"

namespace cvl::bench {

struct GeneratorOptions {
  LayoutOptions layout;
  uint64_t rows = 0;         // data rows; 0: as many as fit in targetBytes (at least one)
  uint64_t targetBytes = 0;  // wanted file size, used when rows is 0
  uint64_t seed = 1;         // equal seeds and options give byte-identical files
  std::string outputPath;
};

struct GeneratedFile {
  uint64_t bytes = 0;  // size of the file written
  uint64_t rows = 0;   // data rows
  int32_t columns = 0;
  int32_t zones = 0;  // 1 without regions, else the number of regions
};

// The five header lines for columns, each ending in "\n".
std::string headerText(const std::vector<GeneratedColumn>& columns, uint64_t seed);

// Writes data row `row` for columns at out, which must hold rowBytes(columns) bytes; the row
// ends in "\n". Every row of one layout has the same length.
void formatRow(const std::vector<GeneratedColumn>& columns, uint64_t seed, uint64_t row, char* out);

// Bytes of each data row of columns, its "\n" included.
uint64_t rowBytes(const std::vector<GeneratedColumn>& columns);

// Writes the file that options describe at options.outputPath, replacing any file there, and
// describes it in result. On failure returns false with a message in error and removes the
// partial file.
bool writeOutFile(const GeneratorOptions& options, GeneratedFile& result, std::string& error);

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_GENERATOR_OUT_FILE_WRITER_H
