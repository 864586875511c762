// cvl-bench-header: the cost of reading a file's header (lines 1 to 5, the point count and the
// first data row) with the loader's header reader, for files that differ in their number of
// rows. Each run opens the file afresh; the median of --runs runs after one warm-up is printed.
//
//   cvl-bench-header 1M.out 10M.out 100M.out
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "bench/command_line.h"
#include "bench/run_statistics.h"
#include "reader/ascii_file.h"
#include "reader/out_file_header.h"
#include "reader/out_file_info.h"

int main(int argc, char** argv) {
  std::vector<std::string> files;
  int64_t runs = 9;
  cvlbench::CommandLine commandLine("cvl-bench-header: time of the header reader on each file.");
  commandLine.addInteger("runs", &runs, "measured runs per file (default 9)");
  commandLine.setArguments("FILE...", &files);
  std::string error;
  if (!commandLine.parse(argc, argv, error) || files.empty() || runs < 1) {
    std::cerr << (error.empty() ? commandLine.usage() : error) << "\n";
    return 2;
  }

  for (const std::string& path : files) {
    std::vector<double> micros;
    int64_t points = 0;
    for (int64_t run = 0; run <= runs; ++run) {
      const auto start = std::chrono::steady_clock::now();
      qorvian::qorutilutil::AsciiFile file;
      cvl::OutFileInfo info;
      if (!file.open(path) || !cvl::readOutFileHeader(file, info)) {
        std::cerr << path << ": the header reader refused the file\n";
        return 1;
      }
      const auto elapsed = std::chrono::steady_clock::now() - start;
      points = info.numPoints;
      if (run > 0) micros.push_back(std::chrono::duration<double, std::micro>(elapsed).count());
    }
    const cvlbench::RunSummary s = cvlbench::summarize(micros);
    std::printf("%s: %lld points; header %.1f us median (min %.1f, max %.1f; %lld runs)\n",
                path.c_str(), static_cast<long long>(points), s.median, s.min, s.max,
                static_cast<long long>(runs));
  }
  return 0;
}
