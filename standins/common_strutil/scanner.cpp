#include "standins/common_strutil/scanner.h"

namespace qorvian {

void Scanner::setCopy(std::string_view text) {
  // text may lie in owned_ itself (a token of the current copy): copy before replacing.
  std::string copy(text);
  owned_.swap(copy);
  setString(owned_);
}

}  // namespace qorvian
