// The summary of repeated measurements: median and range.
#ifndef CVL_TOOLS_BENCH_TIMING_RUN_STATISTICS_H
#define CVL_TOOLS_BENCH_TIMING_RUN_STATISTICS_H

#include <vector>

namespace cvl::bench {

struct RunSummary {
  double median = 0.0;  // the middle value; the mean of the two middle ones for an even count
  double min = 0.0;
  double max = 0.0;
};

// Summarises samples (taken by value, sorted here); all zero when samples is empty.
RunSummary summarize(std::vector<double> samples);

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_TIMING_RUN_STATISTICS_H
