#include "standins/common_strutil/scanner.h"

#include "addon/numbers/decimal_conversion.h"

namespace qorvian {

std::optional<double> Scanner::slowDouble(std::string_view token) {
  return cvl::wholeDouble(token);
}

std::optional<int64_t> Scanner::slowInt64(std::string_view token) {
  return cvl::wholeInt64(token);
}

void Scanner::setCopy(std::string_view text) {
  // text may lie in owned_ itself (a token of the current copy): copy before replacing.
  std::string copy(text);
  owned_.swap(copy);
  setString(owned_);
}

}  // namespace qorvian
