// The full number grammar of a token, for every token that the fast forms do not take.
#ifndef CVL_ADDON_NUMBERS_DECIMAL_CONVERSION_H
#define CVL_ADDON_NUMBERS_DECIMAL_CONVERSION_H

#include <cstdint>
#include <optional>
#include <string_view>

namespace cvl {

// The double that the whole token reads as: what std::from_chars (general format) reads from it,
// with one leading '+' allowed where a '-' could stand ("+2.5", "+inf"; "+-1" is no number).
// Empty when the token is no such number, or its value is out of range: beyond the largest
// double, or a non-zero number that rounds to zero (subnormal values are in range). Exact: the
// correctly rounded value of the decimal text, whatever its length.
std::optional<double> wholeDouble(std::string_view token);

// The signed 64-bit integer that the whole token reads as in base 10, one leading '+' allowed;
// empty when it is no such integer or out of range.
std::optional<int64_t> wholeInt64(std::string_view token);

}  // namespace cvl

#endif  // CVL_ADDON_NUMBERS_DECIMAL_CONVERSION_H
