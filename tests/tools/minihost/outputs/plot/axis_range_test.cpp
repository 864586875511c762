// The axis range of a plot: a margin of the span at either end, a single value padded by 1% of
// itself (1 around 0), and the given range when there is no value.
#include "tools/minihost/outputs/plot/axis_range.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

namespace {

using cvl::minihost::AxisRange;
using cvl::minihost::paddedRange;

TEST(AxisRange, PadsAsTheAxisNeeds) {
  struct Case {
    double low, high, margin;
    AxisRange want;
  };
  const AxisRange empty{-1, 1};
  const std::vector<Case> cases = {
      {0, 10, 0.04, {-0.4, 10.4}},
      {0, 10, 0, {0, 10}},
      {5, 5, 0.04, {4.95, 5.05}},
      {-200, -200, 0, {-202, -198}},
      {0, 0, 0.04, {-1, 1}},
      {INFINITY, -INFINITY, 0.04, empty},
      {-DBL_MAX, DBL_MAX, 0, {-DBL_MAX, DBL_MAX}},  // the span overflows: no margin, no NaN
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.low << " to " << c.high << ", margin " << c.margin);
    const AxisRange got = paddedRange(c.low, c.high, c.margin, empty);
    EXPECT_DOUBLE_EQ(got.first, c.want.first);
    EXPECT_DOUBLE_EQ(got.last, c.want.last);
  }
}

}  // namespace
