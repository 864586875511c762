// generate-out-file: writes a deterministic synthetic output file for benchmarks.
//
//   generate-out-file --size 100M --columns 20 --output single.out
//   generate-out-file --size 100M --columns 300 --regions 3 --shared 3 --output regions.out
//   generate-out-file --rows 1000 --seed 7 --output small.out
#include <cstdint>
#include <iostream>
#include <limits>
#include <string>

#include "tools/bench/generator/byte_size.h"
#include "tools/bench/generator/command_line.h"
#include "tools/bench/generator/out_file_writer.h"

namespace {

bool toInt32(int64_t value, int32_t& target) {
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    return false;
  target = static_cast<int32_t>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string output;
  std::string size;
  int64_t rows = 0;
  int64_t columns = 20;
  int64_t regions = 0;
  int64_t shared = 0;
  int64_t seed = 1;
  cvl::bench::CommandLine commandLine(
      "generate-out-file: writes a synthetic CONVERGE output file (*.out) for benchmarks.");
  commandLine.addText("output", &output, "file to write (required)");
  commandLine.addInteger("rows", &rows, "number of data rows");
  commandLine.addText("size", &size, "target file size instead of --rows: 2M, 100M, 4.5GiB");
  commandLine.addInteger("columns", &columns, "number of columns (default 20)");
  commandLine.addInteger("regions", &regions,
                         "regions, one zone each (default 0: a location row with no entries)");
  commandLine.addInteger("shared", &shared,
                         "leading columns at location (none), shared by all regions (default 0)");
  commandLine.addInteger("seed", &seed, "seed of the values (default 1)");
  std::string error;
  if (!commandLine.parse(argc, argv, error)) {
    std::cerr << error << "\n";
    return 2;
  }

  cvl::bench::GeneratorOptions options;
  options.outputPath = output;
  options.seed = static_cast<uint64_t>(seed);
  if (output.empty() || (rows > 0) == !size.empty() || rows < 0) {
    std::cerr << "give --output and one of --rows and --size\n" << commandLine.usage();
    return 2;
  }
  if (!toInt32(columns, options.layout.columns) || !toInt32(regions, options.layout.regions) ||
      !toInt32(shared, options.layout.sharedColumns)) {
    std::cerr << "--columns, --regions and --shared must fit in 32 bits\n";
    return 2;
  }
  options.rows = static_cast<uint64_t>(rows);
  if (!size.empty() && !cvl::bench::parseByteSize(size, options.targetBytes)) {
    std::cerr << "not a size: " << size << "\n";
    return 2;
  }

  cvl::bench::GeneratedFile file;
  if (!cvl::bench::writeOutFile(options, file, error)) {
    std::cerr << "generate-out-file: " << error << "\n";
    return 1;
  }
  std::cout << output << ": " << file.bytes << " bytes, " << file.rows << " rows, " << file.columns
            << " columns, " << file.zones << " zone(s)\n";
  return 0;
}
