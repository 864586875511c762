// Thinning a trace to what its plot can show: for a plot a few thousand pixels wide, a trace of
// millions of points keeps only the points that decide which pixels its line covers.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_TRACE_DECIMATION_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_TRACE_DECIMATION_H

#include <cstdint>
#include <vector>

#include "tools/minihost/host/value_view.h"

namespace cvl::minihost {

// How x values map to the pixel columns of a plot: first to last across count columns.
struct PixelColumns {
  double first = 0;
  double last = 1;
  int count = 1;
};

// An entry of a decimated trace that stands for a break in its line.
inline constexpr int64_t kGap = -1;

// Appends to kept (not cleared) the indices, in rising order, of the points 0 to points - 1 of
// the trace (x[i], y[i]) that a line drawn at columns' resolution needs: of every run of
// consecutive points within one pixel column, its first, lowest, highest and last point, so
// every peak and dip survives. A point whose x or y is not finite is left out and breaks the
// line there: one kGap, never at the start or twice in a row. Either array may hold doubles or
// 32-bit integers. REQUIRES: x and y hold at least points values each.
void decimateTrace(const ValueView& x, const ValueView& y, int64_t points,
                   const PixelColumns& columns, std::vector<int64_t>& kept);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_TRACE_DECIMATION_H
