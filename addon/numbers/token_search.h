// The token search: where the tokens of a text lie, by the one white-space rule of every line of
// a file (white_space.h), for the header lines (the Scanner) and the data rows (the token walk).
// Each 64-byte step computes the masks once, so that finding a token or a line end never waits
// on the parse of the token before it, and no byte is looked at twice. Compiled per instruction
// set (see isa.h).
#ifndef CVL_ADDON_NUMBERS_TOKEN_SEARCH_H
#define CVL_ADDON_NUMBERS_TOKEN_SEARCH_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "addon/numbers/isa.h"
#include "addon/numbers/white_space.h"

namespace cvl::numbers::CVL_ISA {

// What a search walks, and what it may read.
enum class TextKind {
  // A block of whole lines: every line ends with '\n', and the 64 bytes after the block are
  // readable. A line's text ends at its first '\n' or NUL byte.
  kLines,
  // One line's text [begin, end), of which nothing around may be read: its end ends its last
  // token, and every byte but white space (NUL too) belongs to a token.
  kText,
};

// The tokens of a text, one after the other: the runs of bytes other than white space in the
// current line's text.
template <TextKind kKind>
class TokenSearch {
 public:
  // Stands at begin: the start of the block's first line, or of the text.
  CVL_ALWAYS_INLINE TokenSearch(const char* begin, const char* end)
      : cursor_(begin), begin_(begin), end_(end) {
    loadBlock(begin);
  }
  // A search of no text.
  TokenSearch() : TokenSearch(nullptr, nullptr) {}

  // The first byte of the next token of the current line, which ends at cursor(); null at the
  // end of the line's text, where the search then stays (until nextLine).
  CVL_ALWAYS_INLINE const char* nextToken() {
    uint64_t found = fromCursor(stops_);
    while (found == 0) {
      loadBlock(block_ + 64);
      found = stops_;
    }
    const int at = lowestBit(found);
    cursor_ = block_ + at;
    if (((ends_ >> at) & 1) != 0) return nullptr;
    const char* const begin = cursor_;
    found = tokenEnds_ & (~uint64_t{0} << at);
    while (found == 0) {  // the token runs on into the next block
      loadBlock(block_ + 64);
      found = tokenEnds_;
    }
    cursor_ = block_ + lowestBit(found);
    return begin;
  }

  // Moves to the start of the next line, past what is left of the current one. Blocks of lines
  // only.
  CVL_ALWAYS_INLINE void nextLine() {
    static_assert(kKind == TextKind::kLines, "a text is one line");
    if (*cursor_ != '\n') {
      // The text ended early: at a NUL byte, or among the tokens that the caller passed over.
      cursor_ =
          static_cast<const char*>(std::memchr(cursor_, '\n', static_cast<size_t>(end_ - cursor_)));
    }
    ++cursor_;
    if (cursor_ - block_ >= 64) loadBlock(cursor_);
  }

  // Where the search stands: after the last token found, or at the end of the line's text once
  // nextToken gave null; the start of a line after nextLine, the block's end after its last.
  const char* cursor() const { return cursor_; }
  bool atEnd() const { return cursor_ == end_; }

 private:
  CVL_ALWAYS_INLINE void loadBlock(const char* block) {
    block_ = block;
    if constexpr (kKind == TextKind::kLines) {
      const BlockMasks masks = blockMasks(block);
      const uint64_t lineEnds = masks.newlines | masks.nuls;
      tokenEnds_ = masks.whiteSpace | lineEnds;
      ends_ = lineEnds;
      stops_ = ~masks.whiteSpace | lineEnds;
    } else {
      // whiteSpaceMask counts the bytes at and past the end as white space; they end the text.
      const ptrdiff_t size = end_ - block;
      const uint64_t pastEnd = size <= 0 ? ~uint64_t{0} : size >= 64 ? 0 : ~uint64_t{0} << size;
      const uint64_t space = whiteSpaceMask(block, begin_, end_);
      tokenEnds_ = space;
      ends_ = pastEnd;
      stops_ = ~space | pastEnd;
    }
  }
  // The bits of mask at and after the cursor, which lies in the current block.
  uint64_t fromCursor(uint64_t mask) const { return mask & (~uint64_t{0} << (cursor_ - block_)); }

  const char* cursor_;
  const char* begin_;
  const char* end_;
  const char* block_ = nullptr;
  uint64_t tokenEnds_ = 0;  // white space and line ends: where a token ends
  uint64_t ends_ = 0;       // where a line's text ends
  uint64_t stops_ = 0;      // token bytes and line ends: where the search for a token stops
};

}  // namespace cvl::numbers::CVL_ISA

#endif  // CVL_ADDON_NUMBERS_TOKEN_SEARCH_H
