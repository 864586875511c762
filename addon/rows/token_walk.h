// The token walk: rows read one token at a time, the reference reading of a row. The portable
// kernel reads every row this way; the others read the rows they cannot take whole (a row with
// another number of tokens, a NUL byte, a fault) this way, so that every row reads exactly as
// here. Compiled per instruction set (see addon/numbers/isa.h).
#ifndef CVL_ADDON_ROWS_TOKEN_WALK_H
#define CVL_ADDON_ROWS_TOKEN_WALK_H

#include <cstddef>
#include <cstdint>

#include "addon/numbers/isa.h"
#include "addon/numbers/number_readers.h"
#include "addon/numbers/token_search.h"
#include "addon/rows/row_kernel.h"

namespace cvl::rows {

inline constexpr const char* kMissingDouble = "Invalid or missing double precision value";
inline constexpr const char* kMissingInteger = "Invalid or missing integer value";
inline constexpr const char* kTooManyValues = "Too many values";

}  // namespace cvl::rows

namespace cvl::rows::CVL_ISA {

namespace numbers = cvl::numbers::CVL_ISA;
using cvl::numbers::Parsed;

// The tokens of a block of whole lines (addon/numbers/token_search.h).
using LineBlockTokens = numbers::TokenSearch<numbers::TextKind::kLines>;

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
