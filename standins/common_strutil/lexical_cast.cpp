#include "standins/common_strutil/lexical_cast.h"

#include <cstdint>
#include <limits>

#include "addon/numbers/number_grammar.h"

namespace qorvian {

template <>
int lexical_cast<int>(std::string_view text) {
  // The integer grammar of the number readers: an optional sign ('+' only before a digit), then
  // decimal digits; then the range of int.
  const cvl::numbers::NumberRead<int64_t> read =
      cvl::numbers::readWholeInt64(text.data(), text.data() + text.size());
  if (!read.ok() || read.value < std::numeric_limits<int>::min() ||
      read.value > std::numeric_limits<int>::max()) {
    throw bad_lexical_cast();
  }
  return static_cast<int>(read.value);
}

}  // namespace qorvian
