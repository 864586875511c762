// cvl-bench-header: the cost of reading a file's header (lines 1 to 5, the point count and the
// first data row) with the loader's header reader, for files that differ in their number of
// rows, and of the part that depends on the rows: counting the file's lines. Each run opens the
// file afresh; the medians of --runs runs after one warm-up are printed.
//
//   cvl-bench-header 1M.out 10M.out 100M.out
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "addon/header/out_file_header.h"
#include "addon/header/out_file_info.h"
#include "standins/qorutilutil_utils/ascii_file.h"
#include "tools/bench/timing/run_statistics.h"

int main(int argc, char** argv) {
  std::vector<std::string> files;
  int64_t runs = 9;
  CLI::App app("cvl-bench-header: time of the header reader on each file.");
  app.add_option("--runs", runs, "measured runs per file (default 9)");
  app.add_option("FILE", files, "the files to read")->type_name("FILE...");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  if (files.empty() || runs < 1) {
    std::cerr << app.help();
    return 2;
  }

  using Clock = std::chrono::steady_clock;
  auto microsSince = [](Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  };
  for (const std::string& path : files) {
    std::vector<double> headerMicros;
    std::vector<double> countMicros;
    int64_t points = 0;
    for (int64_t run = 0; run <= runs; ++run) {
      auto start = Clock::now();
      qorvian::qorutilutil::AsciiFile file;
      cvl::OutFileInfo info;
      if (!file.open(path) || !cvl::readOutFileHeader(file, info)) {
        std::cerr << path << ": the header reader refused the file\n";
        return 1;
      }
      const double header = microsSince(start);
      points = info.numPoints;

      start = Clock::now();
      qorvian::qorutilutil::AsciiFile counted;
      if (!counted.open(path) || counted.numLinesInFile() == 0) {
        std::cerr << path << ": cannot count the lines\n";
        return 1;
      }
      const double count = microsSince(start);
      if (run > 0) {
        headerMicros.push_back(header);
        countMicros.push_back(count);
      }
    }
    const cvl::bench::RunSummary h = cvl::bench::summarize(headerMicros);
    const cvl::bench::RunSummary c = cvl::bench::summarize(countMicros);
    std::printf(
        "%s: %lld points; header %.1f us median (min %.1f, max %.1f), of which counting the "
        "lines alone %.1f us (min %.1f, max %.1f); %lld runs\n",
        path.c_str(), static_cast<long long>(points), h.median, h.min, h.max, c.median, c.min,
        c.max, static_cast<long long>(runs));
  }
  return 0;
}
