// ValueView over arrays of the stand-in host: each value in its own type, every bit kept.
#include <bit>
#include <charconv>
#include <cmath>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <gmock/gmock.h>

#include "tools/minihost/host/value_view.h"

namespace {

TEST(ValueView, EachValueInItsOwnType) {
  const double nan = NAN, inf = INFINITY;
  const struct {
    QvDataType type;
    std::vector<double> values;      // stored in the array's type; what at() gives back
    std::vector<std::string> texts;  // the shortest text of each value in the type it is visited as
  } cases[] = {
      {QV_DATATYPE_INT32,
       {7, 0, -2147483648.0, 2147483647},
       {"7", "0", "-2147483648", "2147483647"}},
      {QV_DATATYPE_DOUBLE, {7, 0.1, -0.0, 4.9e-324, 1e300}, {"7", "0.1", "-0", "5e-324", "1e+300"}},
      {QV_DATATYPE_DOUBLE, {nan, inf, -inf}, {"nan", "inf", "-inf"}},
      {QV_DATATYPE_INT32, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.texts));
    const bool integers = c.type == QV_DATATYPE_INT32;
    qvsdkbase::ValueArray array(c.type, static_cast<int64_t>(c.values.size()));
    for (size_t i = 0; i < c.values.size(); ++i) {
      if (integers) {
        static_cast<int32_t*>(array.data)[i] = static_cast<int32_t>(c.values[i]);
      } else {
        static_cast<double*>(array.data)[i] = c.values[i];
      }
    }
    const cvl::minihost::ValueView view(array);
    EXPECT_EQ(view.size(), static_cast<int64_t>(c.values.size()));
    EXPECT_EQ(view.holdsIntegers(), integers);
    const auto [visitedIntegers, texts] = view.visit([](auto numbers) {
      std::vector<std::string> shortest;
      for (const auto number : numbers) {
        char text[32];
        shortest.emplace_back(text, std::to_chars(text, text + sizeof text, number).ptr);
      }
      return std::pair(std::is_integral_v<typename decltype(numbers)::value_type>, shortest);
    });
    EXPECT_EQ(visitedIntegers, integers);
    EXPECT_EQ(texts, c.texts);
    for (int64_t i = 0; i < view.size(); ++i) {
      const double expected = c.values[static_cast<size_t>(i)];
      EXPECT_EQ(std::bit_cast<uint64_t>(view.at(i)), std::bit_cast<uint64_t>(expected))
          << "at(" << i << ") is " << view.at(i) << ", not " << expected;
    }
  }
}

}  // namespace
