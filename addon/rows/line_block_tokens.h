// The tokens and line ends of a block of whole lines, found in bit masks of 64 bytes at a time.
#ifndef CVL_ADDON_ROWS_LINE_BLOCK_TOKENS_H
#define CVL_ADDON_ROWS_LINE_BLOCK_TOKENS_H

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "addon/numbers/fast_decimal.h"
#include "addon/numbers/white_space_mask.h"

namespace cvl {

// Walks the lines of a block as AsciiFile::wholeLines gives it: every line ends with '\n', and
// the 64 bytes after the block are readable. A line's text ends at its first '\n' or NUL byte;
// its tokens are the runs of bytes other than white space (space, tab, LF, VT, FF, CR) in that
// text. Each 64-byte step computes two masks, so that finding a token or a line end never waits
// on the parse of the token before it, and no byte is looked at twice.
class LineBlockTokens {
 public:
  // Stands at the start of the block's first line.
  explicit LineBlockTokens(std::string_view lines)
      : cursor_(lines.data()), end_(lines.data() + lines.size()) {
    loadBlock(lines.data());
  }

  // The first byte of the next token of the current line, which ends at cursor(); null at the
  // end of the line's text, where the walk then stays until nextLine.
  CVL_ALWAYS_INLINE const char* nextToken() {
    uint64_t found = fromCursor(stops_);
    while (found == 0) {
      loadBlock(block_ + 64);
      found = stops_;
    }
    const int at = std::countr_zero(found);
    cursor_ = block_ + at;
    if (((ends_ >> at) & 1) != 0) return nullptr;
    const char* const begin = cursor_;
    found = whiteSpace_ & (~uint64_t{0} << at);
    while (found == 0) {  // the token runs on into the next block
      loadBlock(block_ + 64);
      found = whiteSpace_;
    }
    cursor_ = block_ + std::countr_zero(found);
    return begin;
  }

  // Moves to the start of the next line, past what is left of the current one.
  CVL_ALWAYS_INLINE void nextLine() {
    if (*cursor_ != '\n') {
      // The text ended early: at a NUL byte, or among the tokens that the caller passed over.
      cursor_ =
          static_cast<const char*>(std::memchr(cursor_, '\n', static_cast<size_t>(end_ - cursor_)));
    }
    ++cursor_;
    if (cursor_ - block_ >= 64) loadBlock(cursor_);
  }

  // Where the walk stands: the start of a line after nextLine, the block's end after its last.
  const char* cursor() const { return cursor_; }
  bool atEnd() const { return cursor_ == end_; }

 private:
  // The masks of the 64 bytes from block.
  CVL_ALWAYS_INLINE void loadBlock(const char* block) {
    block_ = block;
    const whitespace::BlockMasks masks = whitespace::blockMasks(block);
    whiteSpace_ = masks.whiteSpace | masks.lineEnds;
    ends_ = masks.lineEnds;
    stops_ = ~masks.whiteSpace | masks.lineEnds;
  }
  // The bits of mask at and after the cursor, which lies in the current block.
  uint64_t fromCursor(uint64_t mask) const { return mask & (~uint64_t{0} << (cursor_ - block_)); }

  const char* cursor_;
  const char* const end_;
  const char* block_ = nullptr;
  uint64_t whiteSpace_ = 0;  // white space, line ends included: where a token ends
  uint64_t ends_ = 0;        // '\n' and NUL: where a line's text ends
  uint64_t stops_ = 0;       // token bytes and line ends: where the search for a token stops
};

}  // namespace cvl

#endif  // CVL_ADDON_ROWS_LINE_BLOCK_TOKENS_H
