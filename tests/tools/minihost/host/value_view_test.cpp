// ValueView over arrays of the stand-in host: each value in its own type, every bit kept.
#include <bit>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include <gmock/gmock.h>

#include "tools/minihost/host/value_view.h"

namespace {

// Each case's values are stored in the array's type; visit() must hand them over in that type
// and at() as doubles, both bit for bit (-0, the smallest subnormal, the int32 extremes).
TEST(ValueView, EachValueInItsOwnType) {
  const struct {
    QvDataType type;
    std::vector<double> values;
  } cases[] = {
      {QV_DATATYPE_INT32, {7, 0, -2147483648.0, 2147483647}},
      {QV_DATATYPE_DOUBLE, {7, 0.1, -0.0, 4.9e-324, 1e300, NAN, INFINITY, -INFINITY}},
      {QV_DATATYPE_INT32, {}},
  };
  const auto bits = [](const auto& values) {
    std::vector<uint64_t> all;
    for (const double value : values) all.push_back(std::bit_cast<uint64_t>(value));
    return all;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.values));
    const bool integers = c.type == QV_DATATYPE_INT32;
    qvsdkbase::ValueArray array(c.type, static_cast<int64_t>(c.values.size()));
    for (size_t i = 0; i < c.values.size(); ++i) {
      if (integers) static_cast<int32_t*>(array.data)[i] = static_cast<int32_t>(c.values[i]);
      if (!integers) static_cast<double*>(array.data)[i] = c.values[i];
    }
    const cvl::minihost::ValueView view(array);
    EXPECT_EQ(view.size(), static_cast<int64_t>(c.values.size()));
    EXPECT_EQ(view.holdsIntegers(), integers);
    const auto [visitedIntegers, visited] = view.visit([](auto numbers) {
      return std::pair(std::is_integral_v<typename decltype(numbers)::value_type>,
                       std::vector<double>(numbers.begin(), numbers.end()));
    });
    EXPECT_EQ(visitedIntegers, integers);
    EXPECT_EQ(bits(visited), bits(c.values));
    std::vector<double> read;
    for (int64_t i = 0; i < view.size(); ++i) read.push_back(view.at(i));
    EXPECT_EQ(bits(read), bits(c.values));
  }
}

}  // namespace
