// Thinning a trace: what survives, and where its line breaks.
#include <cmath>
#include <memory>

#include <gmock/gmock.h>

#include "minihost/trace_decimation.h"

namespace {

using minihost::kGap;

std::unique_ptr<qvsdkbase::ValueArray> arrayOf(const std::vector<double>& values, QvDataType type) {
  auto array = std::make_unique<qvsdkbase::ValueArray>(type, static_cast<int64_t>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) {
    if (type == QV_DATATYPE_INT32) {
      static_cast<int32_t*>(array->data)[i] = static_cast<int32_t>(values[i]);
    } else {
      static_cast<double*>(array->data)[i] = values[i];
    }
  }
  return array;
}

std::vector<int64_t> decimated(const std::vector<double>& x, const std::vector<double>& y,
                               QvDataType yType, minihost::PixelColumns columns) {
  const auto xArray = arrayOf(x, QV_DATATYPE_DOUBLE);
  const auto yArray = arrayOf(y, yType);
  std::vector<int64_t> kept{99};  // appended to, never cleared
  minihost::decimateTrace(*xArray, *yArray, static_cast<int64_t>(x.size()), columns, kept);
  kept.erase(kept.begin());
  return kept;
}

TEST(TraceDecimation, WhatIsKept) {
  const double nan = NAN;
  const double inf = INFINITY;
  const struct {
    const char* what;
    std::vector<double> x, y;
    QvDataType yType;
    minihost::PixelColumns columns;
    std::vector<int64_t> kept;
  } cases[] = {
      {"a point per column: all",
       {0, 1, 2, 3, 4},
       {0, 1, 0, 1, 0},
       QV_DATATYPE_DOUBLE,
       {0, 4, 100},
       {0, 1, 2, 3, 4}},
      {"one column: first, lowest, highest, last",
       {0, 1, 2, 3, 4, 5, 6, 7},
       {5, 6, 1, 4, 9, 3, 2, 4},
       QV_DATATYPE_DOUBLE,
       {0, 8, 1},
       {0, 2, 4, 7}},
      {"integers",
       {0, 1, 2, 3, 4, 5},
       {5, -7, 9, 1, 8, 6},
       QV_DATATYPE_INT32,
       {0, 6, 1},
       {0, 1, 2, 5}},
      {"two columns, each its own run",
       {0, 1, 2, 3, 4, 5},
       {3, 1, 2, 7, 0, 6},
       QV_DATATYPE_DOUBLE,
       {0, 6, 2},
       {0, 1, 2, 3, 4, 5}},
      {"x turning back starts a run per column",
       {0, 1, 2, 1, 0},
       {1, 2, 3, 4, 5},
       QV_DATATYPE_DOUBLE,
       {0, 2, 2},
       {0, 1, 2, 3, 4}},
      {"values that are not finite break the line once, not at either end",
       {0, 1, 2, 3, 4, 5, 6},
       {nan, 1, inf, nan, 2, 3, -inf},
       QV_DATATYPE_DOUBLE,
       {0, 6, 100},
       {1, kGap, 4, 5}},
      {"x not finite", {0, nan, 2}, {1, 2, 3}, QV_DATATYPE_DOUBLE, {0, 2, 100}, {0, kGap, 2}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decimated(c.x, c.y, c.yType, c.columns), c.kept) << c.what;
  }
}

// A million points over 500 columns: at most four a column, and a single-point spike and dip
// among them.
TEST(TraceDecimation, PeaksSurviveALongTrace) {
  const int points = 1'000'000;
  std::vector<double> x(points), y(points);
  for (int i = 0; i < points; ++i) {
    x[static_cast<size_t>(i)] = i;
    y[static_cast<size_t>(i)] = std::sin(i * 1e-4);
  }
  y[654321] = 3;
  y[123457] = -3;
  const std::vector<int64_t> kept = decimated(x, y, QV_DATATYPE_DOUBLE, {0, points - 1.0, 500});
  EXPECT_LE(kept.size(), 4u * 501);
  EXPECT_THAT(kept, testing::IsSupersetOf(
                        {int64_t{0}, int64_t{123457}, int64_t{654321}, int64_t{points - 1}}));
  EXPECT_TRUE(std::ranges::is_sorted(kept));
}

}  // namespace
