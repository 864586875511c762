// The token walk: rows read one token at a time, the reference reading of a row. The portable
// kernel reads every row this way; the others read the rows they cannot take whole (a row with
// another number of tokens, a NUL byte, a fault) this way, so that every row reads exactly as
// here. Compiled per instruction set (see addon/numbers/isa.h).
#ifndef CVL_ADDON_ROWS_TOKEN_WALK_H
#define CVL_ADDON_ROWS_TOKEN_WALK_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "addon/numbers/isa.h"
#include "addon/numbers/number_readers.h"
#include "addon/numbers/white_space.h"
#include "addon/rows/row_kernel.h"

namespace cvl::rows {

inline constexpr const char* kMissingDouble = "Invalid or missing double precision value";
inline constexpr const char* kMissingInteger = "Invalid or missing integer value";
inline constexpr const char* kTooManyValues = "Too many values";

}  // namespace cvl::rows

namespace cvl::rows::CVL_ISA {

namespace numbers = cvl::numbers::CVL_ISA;
using cvl::numbers::Parsed;

// Walks the lines of a block of whole lines: every line ends with '\n', and the 64 bytes after
// the block are readable. A line's text ends at its first '\n' or NUL byte; its tokens are the
// runs of bytes other than white space in that text. Each 64-byte step computes the masks once,
// so that finding a token or a line end never waits on the parse of the token before it, and no
// byte is looked at twice.
class LineBlockTokens {
 public:
  // Stands at the start of the block's first line, [begin, end).
  CVL_ALWAYS_INLINE LineBlockTokens(const char* begin, const char* end)
      : cursor_(begin), end_(end) {
    loadBlock(begin);
  }

  // The first byte of the next token of the current line, which ends at cursor(); null at the
  // end of the line's text, where the walk then stays until nextLine.
  CVL_ALWAYS_INLINE const char* nextToken() {
    uint64_t found = fromCursor(stops_);
    while (found == 0) {
      loadBlock(block_ + 64);
      found = stops_;
    }
    const int at = numbers::lowestBit(found);
    cursor_ = block_ + at;
    if (((ends_ >> at) & 1) != 0) return nullptr;
    const char* const begin = cursor_;
    found = tokenEnds_ & (~uint64_t{0} << at);
    while (found == 0) {  // the token runs on into the next block
      loadBlock(block_ + 64);
      found = tokenEnds_;
    }
    cursor_ = block_ + numbers::lowestBit(found);
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
  CVL_ALWAYS_INLINE void loadBlock(const char* block) {
    block_ = block;
    const numbers::BlockMasks masks = numbers::blockMasks(block);
    const uint64_t lineEnds = masks.newlines | masks.nuls;
    tokenEnds_ = masks.whiteSpace | lineEnds;
    ends_ = lineEnds;
    stops_ = ~masks.whiteSpace | lineEnds;
  }
  // The bits of mask at and after the cursor, which lies in the current block.
  uint64_t fromCursor(uint64_t mask) const { return mask & (~uint64_t{0} << (cursor_ - block_)); }

  const char* cursor_;
  const char* const end_;
  const char* block_ = nullptr;
  uint64_t tokenEnds_ = 0;  // white space and line ends: where a token ends
  uint64_t ends_ = 0;       // '\n' and NUL: where a line's text ends
  uint64_t stops_ = 0;      // token bytes and line ends: where the search for a token stops
};

// Reads the values of the row at which tokens stands into element row of each column's array,
// and moves tokens on to the next row. The fault's message when the row is faulty, tokens then
// standing within it; else null.
CVL_ALWAYS_INLINE const char* readRow(LineBlockTokens& tokens, const ColumnTarget* column,
                                      const ColumnTarget* const last, int64_t row) {
  for (; column != last; ++column) {
    const char* const begin = tokens.nextToken();
    if (column->isInteger) {
      const auto value = begin != nullptr ? numbers::readInteger(begin, tokens.cursor())
                                          : Parsed<int64_t>{false, 0};
      if (!value.ok) [[unlikely]] {
        return kMissingInteger;
      }
      // Only the low 32 bits are kept; a value out of range is not refused.
      static_cast<int32_t*>(column->values)[row] = static_cast<int32_t>(value.value);
    } else {
      const auto value =
          begin != nullptr ? numbers::readDouble(begin, tokens.cursor()) : Parsed<double>{false, 0};
      if (!value.ok) [[unlikely]] {
        return kMissingDouble;
      }
      static_cast<double*>(column->values)[row] = value.value;
    }
  }
  // A number after the last value is a fault; any other text there is ignored.
  if (const char* const begin = tokens.nextToken()) [[unlikely]] {
    if (numbers::readDouble(begin, tokens.cursor()).ok) return kTooManyValues;
  }
  tokens.nextLine();
  return nullptr;
}

// Reads at most maxRows rows of the block [lines, lines + size) from cursor.from one token at a
// time into the columns [first, last), and moves the cursor past them. The message of a faulty
// row, the cursor then standing after it; else null.
inline const char* walkRows(const char* lines, size_t size, RowCursor& cursor, int64_t maxRows,
                            const ColumnTarget* first, const ColumnTarget* last) {
  LineBlockTokens tokens(lines + cursor.from, lines + size);
  const char* message = nullptr;
  for (int64_t walked = 0; walked < maxRows && cursor.row < cursor.rowLimit && !tokens.atEnd();
       ++walked) {
    message = readRow(tokens, first, last, cursor.row);
    ++cursor.row;
    if (message != nullptr) {
      // The faulty row counts as read, so that the message names it.
      tokens.nextLine();
      break;
    }
  }
  cursor.from = static_cast<size_t>(tokens.cursor() - lines);
  return message;
}

}  // namespace cvl::rows::CVL_ISA

#endif  // CVL_ADDON_ROWS_TOKEN_WALK_H
