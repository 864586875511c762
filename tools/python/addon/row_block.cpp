// A block of data rows held in memory, read as a load reads a file's rows: by the row kernel that
// loads use, with its values, its faults and their messages.
#include "tools/python/addon/row_block_internal.h"

#include <memory>

namespace cvl::python {

int64_t readRowBlock(const char* lines, size_t size, int64_t rows, const rows::ColumnTarget* first,
                     const rows::ColumnTarget* last, const char*& fault) {
  fault = nullptr;
  const std::unique_ptr<rows::RowReader> reader =
      rows::makeRowReader(rows::activeRowKernel(), first, last);
  rows::RowCursor cursor{0, rows, 0};
  while (cursor.row < rows && cursor.from < size) {
    const int64_t before = cursor.row;
    if (const char* message = reader->readRows(lines, size, cursor)) {
      fault = message;
      return cursor.row - 1;  // the faulty row counts as read
    }
    if (cursor.row == before) break;  // nothing more to read in the block
  }
  return cursor.row;
}

}  // namespace cvl::python
