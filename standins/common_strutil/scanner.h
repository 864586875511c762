// Scanner: the white-space separated tokens of one line, with their number tests.
#ifndef CVL_STANDINS_COMMON_STRUTIL_SCANNER_H
#define CVL_STANDINS_COMMON_STRUTIL_SCANNER_H

#include <cstdint>
#include <string>
#include <string_view>

#include "addon/numbers/number_readers.h"
#include "addon/numbers/token_search.h"

namespace qorvian {

// White space is space, tab, CR, LF, VT and FF; a token is a maximal run of other bytes, found by
// the add-on's token search (addon/numbers/token_search.h), as the data rows' tokens are. (The
// line file ends a line's text at its first NUL byte, so a line holds none.)
//
// Number grammar: the add-on's (addon/numbers/number_grammar.h), so that a header line and a data
// row accept exactly the same numbers. Every integer token is a double token too.
//
// A test parses the next token once and keeps the result, so that the take that follows it
// costs nothing more. The tests and takes are inline.
class Scanner {
 public:
  Scanner() = default;
  // Scans text without copying it: text must outlive the scanner's use of it.
  explicit Scanner(std::string_view text) { setString(text); }
  // Not copied: its positions point into the text, which may be its own copy.
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;

  // Restarts on text, without copying it (as the constructor).
  void setString(std::string_view text) {
    end_ = text.data() + text.size();
    search_ = Search(text.data(), end_);
    state_ = 0;
  }
  // Restarts on a copy of text, held by the scanner: for a line that its source overwrites.
  void setCopy(std::string_view text);

  bool hasNextToken() const {
    locate();
    return tokenBegin_ != end_;
  }
  bool hasNextInt64Token() const {
    if ((state_ & kIntTested) == 0) testInt64();
    return (state_ & kIsInt) != 0;
  }
  bool hasNextDoubleToken() const {
    if ((state_ & kDoubleTested) == 0) testDouble();
    return (state_ & kIsDouble) != 0;
  }

  // Each take consumes the next token. Call it only after its test said true: a number take on
  // a token that is no such number consumes it and returns 0. The view of nextToken is valid as
  // long as the scanned text.
  std::string_view nextToken() {
    locate();
    const std::string_view token = this->token();
    consume();
    return token;
  }
  int64_t nextInt64Token() {
    const int64_t value = hasNextInt64Token() ? int64_ : 0;
    consume();
    return value;
  }
  double nextDoubleToken() {
    const double value = hasNextDoubleToken() ? double_ : 0.0;
    consume();
    return value;
  }

 private:
  // Bits of state_: which facts about the next token are known.
  static constexpr unsigned kLocated = 1;  // tokenBegin_ and tokenEnd_ are set
  static constexpr unsigned kDoubleTested = 2;
  static constexpr unsigned kIsDouble = 4;
  static constexpr unsigned kIntTested = 8;
  static constexpr unsigned kIsInt = 16;

  // Finds the next token: tokenBegin_ and tokenEnd_, both end_ when there is none.
  void locate() const {
    if ((state_ & kLocated) != 0) return;
    state_ |= kLocated;
    tokenBegin_ = search_.nextToken();
    tokenEnd_ = search_.cursor();
    if (tokenBegin_ == nullptr) tokenBegin_ = tokenEnd_ = end_;
  }
  void testDouble() const {
    locate();
    state_ |= kDoubleTested;
    if (tokenBegin_ == end_) return;
    const auto read = cvl::numbers::portable::readDoubleInText(tokenBegin_, tokenEnd_);
    if (read.ok) {
      double_ = read.value;
      state_ |= kIsDouble;
    }
  }
  void testInt64() const {
    locate();
    state_ |= kIntTested;
    if (tokenBegin_ == end_) return;
    const auto read = cvl::numbers::portable::readIntegerInText(tokenBegin_, tokenEnd_);
    if (read.ok) {
      int64_ = read.value;
      state_ |= kIsInt;
    }
  }
  std::string_view token() const {
    return {tokenBegin_, static_cast<size_t>(tokenEnd_ - tokenBegin_)};
  }
  void consume() {
    locate();
    state_ = 0;
  }

  using Search = cvl::numbers::portable::TokenSearch<cvl::numbers::portable::TextKind::kText>;

  std::string owned_;  // the text, when setCopy gave it
  const char* end_ = nullptr;
  // Stands after the last token found: the next search starts there.
  mutable Search search_;
  // What the last test or search found out about the next token, for the take after it.
  mutable const char* tokenBegin_ = nullptr;
  mutable const char* tokenEnd_ = nullptr;
  mutable unsigned state_ = 0;
  mutable double double_ = 0;
  mutable int64_t int64_ = 0;
};

}  // namespace qorvian

#endif  // CVL_STANDINS_COMMON_STRUTIL_SCANNER_H
