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

void Scanner::copyFrom(const Scanner& other) {
  const bool ownsText = other.begin_ == other.owned_.data();
  owned_ = other.owned_;
  // Pointers into other's copy of the text move to the same places in this copy.
  const char* base = ownsText ? owned_.data() : other.begin_;
  const auto rebase = [&](const char* p) { return base + (p - other.begin_); };
  begin_ = base;
  end_ = rebase(other.end_);
  cursor_ = rebase(other.cursor_);
  block_ = rebase(other.block_);
  whiteSpace_ = other.whiteSpace_;
  state_ = other.state_;
  if ((state_ & kLocated) != 0) {
    tokenBegin_ = rebase(other.tokenBegin_);
    tokenEnd_ = rebase(other.tokenEnd_);
  }
  double_ = other.double_;
  int64_ = other.int64_;
}

}  // namespace qorvian
