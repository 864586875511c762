#include "tools/minihost/reports/number_text.h"

#include <array>
#include <charconv>

namespace cvl::minihost {

std::string numberText(double value) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

}  // namespace cvl::minihost
