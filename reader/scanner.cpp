#include "reader/scanner.h"

#include "reader/decimal_conversion.h"

namespace qorvian {

std::optional<double> Scanner::slowDouble(std::string_view token) {
  return wholeDouble(token);
}

std::optional<int64_t> Scanner::slowInt64(std::string_view token) {
  return wholeInt64(token);
}

void Scanner::setCopy(std::string_view text) {
  // text may lie in owned_ itself (a token of the current copy): copy before replacing.
  std::string copy(text);
  owned_.swap(copy);
  setString(owned_);
}

}  // namespace qorvian
