#include "reader/scanner.h"

#include <charconv>
#include <system_error>

namespace qorvian {
namespace {

// Drops one leading '+', as std::from_chars reads a number only with '-' or no sign. False when
// the rest begins with a sign of its own ("+-1", "++1"), which makes the token no number.
bool dropPlus(std::string_view& token) {
  if (token.empty() || token.front() != '+') return true;
  token.remove_prefix(1);
  return token.empty() || (token.front() != '-' && token.front() != '+');
}

// The number that std::from_chars reads from the whole token, one leading '+' allowed.
template <typename Number>
std::optional<Number> wholeNumber(std::string_view token) {
  if (!dropPlus(token)) return std::nullopt;
  Number value{};
  const auto [stop, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || stop != token.data() + token.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> Scanner::slowDouble(std::string_view token) {
  return wholeNumber<double>(token);
}

std::optional<int64_t> Scanner::slowInt64(std::string_view token) {
  return wholeNumber<int64_t>(token);
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
