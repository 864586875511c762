// generate-out-file: writes a deterministic synthetic output file for benchmarks.
//
//   generate-out-file --size 100M --columns 20 --output single.out
//   generate-out-file --size 100M --columns 300 --regions 3 --shared 3 --output regions.out
//   generate-out-file --rows 1000 --seed 7 --output small.out
#include <cstdint>
#include <iostream>
#include <limits>
#include <string>

#include <CLI/CLI.hpp>

#include "tools/bench/generator/byte_size.h"
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
  CLI::App app(
      "generate-out-file: writes a synthetic CONVERGE output file (*.out) for benchmarks.");
  app.add_option("--output", output, "file to write (required)")->type_name("FILE");
  app.add_option("--rows", rows, "number of data rows");
  app.add_option("--size", size, "target file size instead of --rows: 2M, 100M, 4.5GiB");
  app.add_option("--columns", columns, "number of columns (default 20)");
  app.add_option("--regions", regions,
                 "regions, one zone each (default 0: a location row with no entries)");
  app.add_option("--shared", shared,
                 "leading columns at location (none), shared by all regions (default 0)");
  app.add_option("--seed", seed, "seed of the values (default 1)");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }

  cvl::bench::GeneratorOptions options;
  options.outputPath = output;
  options.seed = static_cast<uint64_t>(seed);
  if (output.empty() || (rows > 0) == !size.empty() || rows < 0) {
    std::cerr << "give --output and one of --rows and --size\n" << app.help();
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
  std::string error;
  if (!cvl::bench::writeOutFile(options, file, error)) {
    std::cerr << "generate-out-file: " << error << "\n";
    return 1;
  }
  std::cout << output << ": " << file.bytes << " bytes, " << file.rows << " rows, " << file.columns
            << " columns, " << file.zones << " zone(s)\n";
  return 0;
}
