// Scanner: the white-space separated tokens of one line, with their number tests.
#ifndef CVL_STANDINS_COMMON_STRUTIL_SCANNER_H
#define CVL_STANDINS_COMMON_STRUTIL_SCANNER_H

#include <cstdint>
#include <string>
#include <string_view>

#include "addon/numbers/isa.h"
#include "addon/numbers/number_readers.h"
#include "addon/numbers/white_space.h"

namespace qorvian {

// White space is space, tab, CR, LF, VT and FF; a token is a maximal run of other bytes. (The line
// file ends a line's text at its first NUL byte, so a line holds none.)
//
// Number grammar: the add-on's (addon/numbers/number_grammar.h), so that a header line and a data
// row accept exactly the same numbers. Every integer token is a double token too.
//
// A test parses the next token once and keeps the result, so that the take that follows it
// costs nothing more. The tests and takes are inline: they are the inner loop of a file load.
// Tokens are found in a bit mask of the white space of 64 bytes at a time, which keeps the
// search for one token from waiting on the parse of the one before.
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
    begin_ = text.data();
    end_ = begin_ + text.size();
    cursor_ = begin_;
    block_ = begin_;
    whiteSpace_ = cvl::numbers::portable::whiteSpaceMask(block_, begin_, end_);
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

  // Moves the mask on to the next 64 bytes.
  void nextBlock() const {
    block_ += 64;
    whiteSpace_ = cvl::numbers::portable::whiteSpaceMask(block_, begin_, end_);
  }
  // Finds the next token from cursor_: tokenBegin_ and tokenEnd_, both end_ when there is none.
  // cursor_ lies within the block (where the last token ended), or at end_.
  void locate() const {
    if ((state_ & kLocated) != 0) return;
    state_ |= kLocated;
    const auto offset = cursor_ - block_;
    uint64_t found = offset < 64 ? ~whiteSpace_ & (~uint64_t{0} << offset) : 0;
    while (found == 0) {
      if (end_ - block_ <= 64) {
        tokenBegin_ = end_;
        tokenEnd_ = end_;
        return;
      }
      nextBlock();
      found = ~whiteSpace_;
    }
    tokenBegin_ = block_ + cvl::numbers::portable::lowestBit(found);
    found = whiteSpace_ & (~uint64_t{0} << (tokenBegin_ - block_));
    while (found == 0) {  // the token runs on into the next block
      nextBlock();
      found = whiteSpace_;
    }
    tokenEnd_ = block_ + cvl::numbers::portable::lowestBit(found);
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
    cursor_ = tokenEnd_;
    state_ = 0;
  }

  std::string owned_;  // the text, when setCopy gave it
  const char* begin_ = nullptr;
  const char* end_ = nullptr;
  const char* cursor_ = nullptr;  // where the search for the next token starts
  // The 64 bytes from block_ as a mask: bit i set when block_[i] is white space or past end_.
  mutable const char* block_ = nullptr;
  mutable uint64_t whiteSpace_ = ~uint64_t{0};
  // What the last test or search found out about the next token, for the take after it.
  mutable const char* tokenBegin_ = nullptr;
  mutable const char* tokenEnd_ = nullptr;
  mutable unsigned state_ = 0;
  mutable double double_ = 0;
  mutable int64_t int64_ = 0;
};

}  // namespace qorvian

#endif  // CVL_STANDINS_COMMON_STRUTIL_SCANNER_H
