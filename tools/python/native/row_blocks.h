// The rows of a file that the package follows while a solver writes it: each block of whole lines
// that the package read from the file is read in place by the loader's own row kernel into new
// value arrays, laid out as a load lays out the file's zones. Nothing here touches Python.
#ifndef CVL_TOOLS_PYTHON_NATIVE_ROW_BLOCKS_H
#define CVL_TOOLS_PYTHON_NATIVE_ROW_BLOCKS_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "addon/rows/row_kernel.h"
#include "tools/python/addon/package_api.h"

namespace cvl::python {

class RowBlocks {
 public:
  // One value array that a block's rows fill: variable `variable` (from 0) of zone `zone` (from
  // 0; for a variable that the file's zones share, the first zone, which holds it).
  struct Array {
    int32_t zone = 0;
    int32_t variable = 0;
    bool integer = false;  // 32-bit integers, else doubles
  };
  // A variable that a zone has values of: as a load's dataset has them (a column of the zone's
  // own, or a shared column).
  struct ZoneVariable {
    int32_t variable = 0;   // from 0
    size_t array = 0;       // its position in arrays()
    int32_t shareZone = 0;  // the zone (from 1) whose values it shares, or 0 for its own
  };

  // For a file whose header the loader read as facts. Throws std::invalid_argument for facts
  // whose read columns name no variable or zone of theirs (no header the loader accepts),
  // std::bad_alloc.
  explicit RowBlocks(HeaderFacts facts);

  const HeaderFacts& facts() const { return facts_; }
  const std::vector<Array>& arrays() const { return arrays_; }
  // Per zone of the file, in order: the variables it has values of, in order.
  const std::vector<std::vector<ZoneVariable>>& zones() const { return zones_; }

  // Reads the rows of lines, a block of `rows` whole lines (each ends with '\n'; the kRowPadding
  // bytes before and after it are readable), into values: one pointer per entry of arrays(),
  // each to room for `rows` values (double, or int32_t for an integer array). Returns the number
  // of rows read whole; fault is the message of the first faulty row, the one after them, or
  // null. Allocates nothing per row. Throws std::invalid_argument for values of another count,
  // std::bad_alloc. REQUIRES: startAddOn returned true.
  int64_t readBlock(std::string_view lines, int64_t rows, std::span<void* const> values,
                    const char*& fault) const;

 private:
  HeaderFacts facts_;
  std::vector<Array> arrays_;
  std::vector<std::vector<ZoneVariable>> zones_;
  std::vector<size_t> columnArrays_;  // per column read from each row: its array
};

}  // namespace cvl::python

#endif  // CVL_TOOLS_PYTHON_NATIVE_ROW_BLOCKS_H
