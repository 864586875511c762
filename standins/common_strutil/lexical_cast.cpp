#include "standins/common_strutil/lexical_cast.h"

#include <charconv>
#include <system_error>

namespace qorvian {

template <>
int lexical_cast<int>(std::string_view text) {
  // std::from_chars takes '-' but no '+'; a '+' may stand only before a digit.
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') {
    digits.remove_prefix(1);
    if (digits.empty() || digits.front() == '-') throw bad_lexical_cast();
  }
  int value = 0;
  const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || stop != digits.data() + digits.size()) throw bad_lexical_cast();
  return value;
}

}  // namespace qorvian
