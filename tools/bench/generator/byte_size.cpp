#include "tools/bench/generator/byte_size.h"

#include <array>
#include <charconv>

namespace cvl::bench {

bool parseByteSize(std::string_view text, uint64_t& bytes) {
  double number = 0.0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), number, std::chars_format::fixed);
  if (ec != std::errc{} || number < 0.0) return false;
  std::string_view unit = text.substr(static_cast<size_t>(end - text.data()));
  if (!unit.empty() && unit.back() == 'B') unit.remove_suffix(1);

  struct Unit {
    std::string_view name;
    double factor;
  };
  static constexpr std::array<Unit, 9> kUnits{{{"", 1.0},
                                               {"k", 1e3},
                                               {"M", 1e6},
                                               {"G", 1e9},
                                               {"T", 1e12},
                                               {"Ki", 1024.0},
                                               {"Mi", 1024.0 * 1024.0},
                                               {"Gi", 1024.0 * 1024.0 * 1024.0},
                                               {"Ti", 1024.0 * 1024.0 * 1024.0 * 1024.0}}};
  for (const Unit& candidate : kUnits) {
    if (unit != candidate.name) continue;
    const double value = number * candidate.factor;
    if (value >= 0x1.0p63) return false;
    bytes = static_cast<uint64_t>(value);
    return true;
  }
  return false;
}

}  // namespace cvl::bench
