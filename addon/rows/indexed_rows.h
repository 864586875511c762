// The data rows read in two passes over a block of whole lines: the offsets of every token and
// line end first, then the values of four rows at a time, one column after another. The reader
// itself is built for AVX2 in its own translation unit (indexed_rows_avx2.cpp) and runs only where
// the processor has it; this header uses no vector type, so that the baseline code can call it.
#ifndef CVL_ADDON_ROWS_INDEXED_ROWS_H
#define CVL_ADDON_ROWS_INDEXED_ROWS_H

#include <cstddef>
#include <cstdint>
#include <memory>

namespace cvl {

// Where the values of one column go: element r of the array receives row r. The array belongs
// to the host and holds doubles, or 32-bit integers when isInteger is set.
struct ColumnTarget {
  void* values;
  bool isInteger;
};

// Where the indexed reader stands in a block and what it may read: row is the number of the next
// row (its element in the value arrays), rowLimit the number of rows to read in all, from the
// offset in the block of the next row's first byte.
struct RowCursor {
  int64_t row;
  int64_t rowLimit;
  size_t from;
};

// The memory that the indexed reader reuses from block to block; made once per file.
class RowIndexMemory {
 public:
  // Token boundaries (a token's first byte and the byte after it) held at once, and rows.
  static constexpr size_t kBoundCapacity = 8192;
  static constexpr size_t kRowCapacity = 1024;
  // Room after the capacities for the writes of one more 64-byte step.
  static constexpr size_t kSlack = 128;

  // One line end: the number of token boundaries before it, counted from the block's first, and
  // the offset of the byte after it.
  struct RowEnd {
    uint32_t bound;
    uint32_t next;
  };

  // Memory for rows of numColumns columns.
  explicit RowIndexMemory(size_t numColumns);

  uint32_t* bounds() const { return bounds_.get(); }
  RowEnd* rowEnds() const { return rowEnds_.get(); }
  // 32 bytes per column, aligned to 32: the values of a group of four rows until all have read.
  unsigned char* groupValues() const { return groupValues_; }

 private:
  std::unique_ptr<uint32_t[]> bounds_;
  std::unique_ptr<RowEnd[]> rowEnds_;
  std::unique_ptr<unsigned char[]> groupStorage_;
  unsigned char* groupValues_;
};

// Reads the rows of the block [lines, lines + size) of whole lines (each ending with '\n'; the 64
// bytes before and after the block readable) from cursor.from, until the block or cursor.rowLimit
// ends, into the columns [first, last), and moves the cursor past them. Returns the message of the
// first faulty row, the cursor then standing after it; else null. The rows that the index cannot
// take as they are (a row with another number of tokens, a NUL byte, a value that the vector
// conversion does not take, a fault) are read by walkRows, so that every row reads exactly as
// there. Call only when processorHasAvx2() is true.
const char* readIndexedRows(const char* lines, size_t size, RowCursor& cursor,
                            const ColumnTarget* first, const ColumnTarget* last,
                            const RowIndexMemory& memory);

// ---- Provided by the baseline translation unit (data_rows.cpp) for the indexed reader's rare
// cases, so that no code built for AVX2 is shared with the baseline.

// Reads at most maxRows rows of the block from cursor.from one token at a time, as the baseline
// reader does, and moves the cursor past them. The message of a faulty row, the cursor then
// standing after it; else null.
const char* walkRows(const char* lines, size_t size, RowCursor& cursor, int64_t maxRows,
                     const ColumnTarget* first, const ColumnTarget* last);
// The value of the whole token [begin, end) in the full number grammar; false when it is none.
// The 16 bytes before end must be readable.
bool readDoubleToken(const char* begin, const char* end, double& value);
// mantissa x 10^exponent (negated when negative), correctly rounded; false when the fast exact
// method cannot decide it, or the value overflows or underflows to zero.
bool exactPowerProduct(uint64_t mantissa, int exponent, bool negative, double& value);
// The low 32 bits of the 64-bit integer that the whole token [begin, end) reads as; false when
// it is none.
bool readIntegerToken(const char* begin, const char* end, int32_t& value);

}  // namespace cvl

#endif  // CVL_ADDON_ROWS_INDEXED_ROWS_H
