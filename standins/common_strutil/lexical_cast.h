// lexical_cast: text to number conversion that throws on anything else.
#ifndef CVL_STANDINS_COMMON_STRUTIL_LEXICAL_CAST_H
#define CVL_STANDINS_COMMON_STRUTIL_LEXICAL_CAST_H

#include <string_view>
#include <typeinfo>

namespace qorvian {

class bad_lexical_cast : public std::bad_cast {
 public:
  const char* what() const noexcept override { return "bad lexical cast"; }
};

template <typename T>
T lexical_cast(std::string_view text);

// An optional sign and decimal digits, nothing else, within the range of int; throws
// bad_lexical_cast otherwise.
template <>
int lexical_cast<int>(std::string_view text);

}  // namespace qorvian

#endif  // CVL_STANDINS_COMMON_STRUTIL_LEXICAL_CAST_H
