// Scanner: the white-space separated tokens of one line, with their number tests.
#ifndef CVL_READER_SCANNER_H
#define CVL_READER_SCANNER_H

#include <cstdint>
#include <string>
#include <string_view>

namespace qorvian {

// White space is space, tab, CR, LF, VT and FF; a token is a maximal run of other bytes.
//
// Number grammar. A token is a double when std::from_chars (general format) accepts the whole
// token and the value is in range (overflow, and underflow to zero, are no number); an integer
// when std::from_chars for a signed 64-bit value in base 10 accepts the whole token. In both, one
// leading '+' is accepted where a '-' would be ("+2.5", "+7", "+inf"; "+-1" is no number). Every
// integer token is a double token too.
//
// A test parses the next token once and keeps the result, so that the take that follows it
// costs nothing more.
class Scanner {
 public:
  Scanner() = default;
  // Scans text without copying it: text must outlive the scanner's use of it.
  explicit Scanner(std::string_view text) : text_(text) {}

  // Restarts on text, without copying it (as the constructor).
  void setString(std::string_view text);
  // Restarts on a copy of text, held by the scanner: for a line that its source overwrites.
  void setCopy(std::string_view text);

  bool hasNextToken() const;
  bool hasNextInt64Token() const;
  bool hasNextDoubleToken() const;

  // Each take consumes the next token. Call it only after its test said true. The view of
  // nextToken is valid as long as the scanned text.
  std::string_view nextToken();
  int64_t nextInt64Token();
  double nextDoubleToken();
  // Consumes up to count tokens; false when fewer were left.
  bool skipTokens(uint64_t count);

 private:
  std::string owned_;
  std::string_view text_;
  size_t pos_ = 0;
  // The last test's result, kept for the take that follows it.
  mutable size_t cachedAt_ = std::string_view::npos;
  mutable size_t cachedEnd_ = 0;
  mutable int cachedKind_ = 0;
  mutable int64_t cachedInt_ = 0;
  mutable double cachedDouble_ = 0;
};

}  // namespace qorvian

#endif  // CVL_READER_SCANNER_H
