// Thinning a trace: what survives, and where its line breaks.
#include <cmath>
#include <memory>

#include <gmock/gmock.h>

#include "tools/minihost/outputs/plot/trace_decimation.h"

namespace {

using cvl::minihost::kGap;

std::unique_ptr<qvsdkbase::ValueArray> arrayOf(const std::vector<double>& values, QvDataType type) {
  auto array = std::make_unique<qvsdkbase::ValueArray>(type, static_cast<int64_t>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) {
    if (type == QV_DATATYPE_INT32) static_cast<int32_t*>(array->data)[i] = int32_t(values[i]);
    if (type != QV_DATATYPE_INT32) static_cast<double*>(array->data)[i] = values[i];
  }
  return array;
}

TEST(TraceDecimation, WhatIsKept) {
  const double nan = NAN, inf = INFINITY;
  const struct {
    std::vector<double> x, y;
    cvl::minihost::PixelColumns columns;
    std::vector<int64_t> kept;
    QvDataType yType = QV_DATATYPE_DOUBLE;
  } cases[] = {
      {{0, 1, 2, 3, 4}, {0, 1, 0, 1, 0}, {0, 4, 100}, {0, 1, 2, 3, 4}},  // a point per column
      // One column: the first, the lowest, the highest and the last, of doubles and integers.
      {{0, 1, 2, 3, 4, 5, 6, 7}, {5, 6, 1, 4, 9, 3, 2, 4}, {0, 8, 1}, {0, 2, 4, 7}},
      {{0, 1, 2, 3, 4, 5}, {5, -7, 9, 1, 8, 6}, {0, 6, 1}, {0, 1, 2, 5}, QV_DATATYPE_INT32},
      {{0, 1, 2, 3, 4, 5}, {3, 1, 2, 7, 0, 6}, {0, 6, 2}, {0, 1, 2, 3, 4, 5}},  // two runs
      {{0, 1, 2, 1, 0}, {1, 2, 3, 4, 5}, {0, 2, 2}, {0, 1, 2, 3, 4}},           // x turning back
      // Values that are not finite break the line once, and not at either end.
      {{0, 1, 2, 3, 4, 5, 6}, {nan, 1, inf, nan, 2, 3, -inf}, {0, 6, 100}, {1, kGap, 4, 5}},
      {{0, nan, 2}, {1, 2, 3}, {0, 2, 100}, {0, kGap, 2}},
  };
  for (const auto& c : cases) {
    const auto x = arrayOf(c.x, QV_DATATYPE_DOUBLE), y = arrayOf(c.y, c.yType);
    std::vector<int64_t> kept{99};  // appended to, never cleared
    cvl::minihost::decimateTrace(cvl::minihost::ValueView(*x), cvl::minihost::ValueView(*y),
                                 static_cast<int64_t>(c.x.size()), c.columns, kept);
    kept.erase(kept.begin());
    EXPECT_EQ(kept, c.kept) << "x " << testing::PrintToString(c.x) << ", y "
                            << testing::PrintToString(c.y);
  }
}

}  // namespace
