#include "tools/minihost/outputs/plot/axis_range.h"

#include <cmath>

namespace cvl::minihost {

AxisRange paddedRange(double low, double high, double margin, AxisRange empty) {
  if (low > high) return empty;
  if (low == high) {
    const double pad = low == 0 ? 1 : std::abs(low) * 0.01;
    return {low - pad, high + pad};
  }
  // Without a margin the range stays as it is, also where high - low overflows.
  if (margin == 0) return {low, high};
  const double pad = (high - low) * margin;
  return {low - pad, high + pad};
}

}  // namespace cvl::minihost
