// The exact power product: mantissa x 10^exponent, correctly rounded, as every tier of the number
// grammar finishes a decimal number. Compiled per instruction set (see isa.h).
#ifndef CVL_ADDON_NUMBERS_EXACT_VALUE_H
#define CVL_ADDON_NUMBERS_EXACT_VALUE_H

#include <cstdint>

#include "addon/numbers/isa.h"
#include "addon/numbers/number_grammar.h"

namespace cvl::numbers {

// The powers of ten that are exact doubles, 10^0 to 10^22.
inline constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The range of one-rounding products: a mantissa that is an exact double, a power of ten that is.
inline constexpr uint64_t kExactMantissa = uint64_t{1} << 53;
inline constexpr int kExactPower = 22;

}  // namespace cvl::numbers

namespace cvl::numbers::CVL_ISA {

// m x 10^exponent, correctly rounded, when m <= 2^53 and |exponent| <= 22: then m and 10^|e| are
// exact doubles and one correctly rounded multiplication or division gives the correctly rounded
// result. Not ok otherwise.
CVL_ALWAYS_INLINE Parsed<double> exactValue(uint64_t m, int exponent, bool negative) {
  if (m > kExactMantissa || static_cast<unsigned>(exponent + kExactPower) > 2 * kExactPower) {
    return {false, 0};
  }
  double value = static_cast<double>(m);
  value = exponent < 0 ? value / kPowersOfTen[-exponent] : value * kPowersOfTen[exponent];
  return {true, negative ? -value : value};
}

// m x 10^exponent, correctly rounded: in one rounding where that is exact, else by the
// Eisel-Lemire method. Not ok when neither decides it, or the value is out of range.
CVL_ALWAYS_INLINE Parsed<double> exactProduct(uint64_t m, int exponent, bool negative) {
  const Parsed<double> oneRounding = exactValue(m, exponent, negative);
  if (oneRounding.ok) [[likely]] {
    return oneRounding;
  }
  return eiselLemireProduct(m, exponent, negative);
}

}  // namespace cvl::numbers::CVL_ISA

#endif  // CVL_ADDON_NUMBERS_EXACT_VALUE_H
