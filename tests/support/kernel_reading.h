// Reads a block of rows with one row kernel, as the data rows' dispatcher hands a kernel the line
// file's window, and gives what it made of them.
#ifndef CVL_TESTS_SUPPORT_KERNEL_READING_H
#define CVL_TESTS_SUPPORT_KERNEL_READING_H

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "addon/rows/row_kernel.h"

namespace cvl::test {

// What a kernel made of a block of rows: its message ("" for none), where it stopped (row,
// offset in the block) and the values of each column, 8 rows of each as their bits (an integer
// column's as a 32-bit value).
using BlockRead = std::tuple<std::string, int64_t, size_t, std::vector<std::array<int64_t, 8>>>;

// Reads rows (whole lines, at most 8 of them to be read) with kernel into columns of the given
// types (true: 32-bit integers), at most rowLimit rows. The kernel may read 64 bytes on either
// side of the block: digits stand there, which must not count. One reader per kernel and column
// layout is made for the whole test program, as the dispatcher makes one per file.
inline BlockRead readBlock(const std::string& rows, const std::vector<bool>& integer,
                           int64_t rowLimit, const rows::RowKernel& kernel) {
  struct Reader {
    std::vector<std::array<int64_t, 8>> values;
    std::vector<rows::ColumnTarget> columns;
    std::unique_ptr<rows::RowReader> reader;
  };
  static std::map<std::pair<const rows::RowKernel*, std::vector<bool>>, Reader> readers;
  const auto [found, made] = readers.try_emplace({&kernel, integer});
  Reader& r = found->second;
  if (made) {
    r.values.resize(integer.size());
    for (size_t c = 0; c < integer.size(); ++c)
      r.columns.push_back({r.values[c].data(), integer[c]});
    r.reader = rows::makeRowReader(kernel, r.columns.data(), r.columns.data() + r.columns.size());
  }
  for (auto& column : r.values) column.fill(0);
  const std::string padding(64, '7');
  const std::string text = padding + rows + padding + padding;
  rows::RowCursor cursor{0, rowLimit, 0};
  const char* const message = r.reader->readRows(text.data() + padding.size(), rows.size(), cursor);
  std::vector<std::array<int64_t, 8>> values = r.values;
  for (size_t c = 0; c < integer.size(); ++c) {
    if (!integer[c]) continue;
    const auto* stored = reinterpret_cast<const int32_t*>(r.values[c].data());
    for (size_t row = 0; row < 8; ++row) values[c][row] = stored[row];
  }
  return {message != nullptr ? message : "", cursor.row, cursor.from, values};
}

}  // namespace cvl::test

#endif  // CVL_TESTS_SUPPORT_KERNEL_READING_H
