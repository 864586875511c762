#include "tools/minihost/outputs/plot/trace_decimation.h"

#include <algorithm>
#include <cmath>

namespace cvl::minihost {

namespace {

// The indices first <= low/high <= last of one run, each once, in rising order.
void keepRun(int64_t first, int64_t low, int64_t high, int64_t last, std::vector<int64_t>& kept) {
  const int64_t lower = std::min(low, high);
  const int64_t upper = std::max(low, high);
  kept.push_back(first);
  if (lower != first) kept.push_back(lower);
  if (upper != lower && upper != first) kept.push_back(upper);
  if (last != upper && last != first) kept.push_back(last);
}

template <typename X, typename Y>
void decimate(const X* x, const Y* y, int64_t points, const PixelColumns& columns,
              std::vector<int64_t>& kept) {
  const double width = columns.last - columns.first;
  const double scale = width > 0 ? columns.count / width : 0.0;
  const double lastColumn = columns.count;
  const size_t start = kept.size();
  int64_t runStart = -1;  // first point of the current run; -1 when there is none
  int64_t runColumn = 0;
  int64_t low = 0;
  int64_t high = 0;
  for (int64_t i = 0; i < points; ++i) {
    const double xValue = static_cast<double>(x[i]);
    const double yValue = static_cast<double>(y[i]);
    if (!std::isfinite(xValue) || !std::isfinite(yValue)) {
      if (runStart >= 0) keepRun(runStart, low, high, i - 1, kept);
      runStart = -1;
      if (kept.size() > start && kept.back() != kGap) kept.push_back(kGap);
      continue;
    }
    // Outside first to last, every point counts as one column beyond the edge.
    const auto column = static_cast<int64_t>(
        std::clamp(std::floor((xValue - columns.first) * scale), -1.0, lastColumn));
    if (runStart >= 0 && column == runColumn) {
      if (yValue < static_cast<double>(y[low])) low = i;
      if (yValue > static_cast<double>(y[high])) high = i;
      continue;
    }
    if (runStart >= 0) keepRun(runStart, low, high, i - 1, kept);
    runStart = i;
    runColumn = column;
    low = i;
    high = i;
  }
  if (runStart >= 0) keepRun(runStart, low, high, points - 1, kept);
}

}  // namespace

void decimateTrace(const ValueView& x, const ValueView& y, int64_t points,
                   const PixelColumns& columns, std::vector<int64_t>& kept) {
  const std::size_t before = kept.size();
  x.visit([&](auto xValues) {
    y.visit([&](auto yValues) { decimate(xValues.data(), yValues.data(), points, columns, kept); });
  });
  if (kept.size() > before && kept.back() == kGap) kept.pop_back();  // a break at the end
}

}  // namespace cvl::minihost
