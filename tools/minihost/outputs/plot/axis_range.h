// The range an axis of a plot shows for the values it carries.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_AXIS_RANGE_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_AXIS_RANGE_H

namespace cvl::minihost {

struct AxisRange {
  double first = 0;
  double last = 0;
};

// The range that shows finite values from low to high: widened by margin (a share of high - low,
// 0 for none) at either end, so that no line runs along the frame; a single value gets 1% of it
// on either side (1 around 0). low > high, no value at all, gives empty.
AxisRange paddedRange(double low, double high, double margin, AxisRange empty);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_AXIS_RANGE_H
