#include "tools/bench/timing/run_statistics.h"

#include <algorithm>

namespace cvl::bench {

RunSummary summarize(std::vector<double> samples) {
  RunSummary summary;
  if (samples.empty()) return summary;
  std::sort(samples.begin(), samples.end());
  const size_t n = samples.size();
  summary.median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2.0;
  summary.min = samples.front();
  summary.max = samples.back();
  return summary;
}

}  // namespace cvl::bench
