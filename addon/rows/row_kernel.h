// Row kernels: the readers that turn a block of whole data rows into values in the host's arrays,
// one per instruction set, in a named list. The dispatcher (data_rows.cpp) reads a file's rows a
// block at a time with the best kernel that the processor supports; tests, the fuzz targets and
// the benchmark name the kernel they run. Every kernel gives exactly the values and the first
// fault that the portable kernel's token walk gives.
#ifndef CVL_ADDON_ROWS_ROW_KERNEL_H
#define CVL_ADDON_ROWS_ROW_KERNEL_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace cvl::rows {

// Where the values of one column go: element r of the array receives row r. The array belongs
// to the host and holds doubles, or 32-bit integers when isInteger is set.
struct ColumnTarget {
  void* values;
  bool isInteger;
};

// Where a reader stands in a block and what it may read: row is the number of the next row (its
// element in the value arrays), rowLimit the number of rows to read in all, from the offset in the
// block of the next row's first byte.
struct RowCursor {
  int64_t row;
  int64_t rowLimit;
  size_t from;
};

// One file's rows, read by a kernel. Made per file by RowKernel::newReader, for its columns.
class RowReader {
 public:
  virtual ~RowReader();
  RowReader(const RowReader&) = delete;
  RowReader& operator=(const RowReader&) = delete;

  // Reads the rows of the block [lines, lines + size) of whole lines (each ends with '\n'; the
  // 64 bytes before and after the block are readable) from cursor.from, until the block or
  // cursor.rowLimit ends, into the reader's columns, and moves the cursor past them. Returns the
  // message of the first faulty row, the cursor then standing after it (the faulty row counts as
  // read, so that a message names it); else null. Values of a faulty row before its fault are
  // stored; nothing after it.
  virtual const char* readRows(const char* lines, size_t size, RowCursor& cursor) = 0;

 protected:
  // The constructor and the destructor are defined out of line, in a file built for the baseline
  // instruction set: the kernels derive from this class, and inline ones would be emitted in
  // every kernel's translation unit, under its instruction set (addon/numbers/isa.h).
  RowReader();
};

// A kernel: a name, whether this processor can run it, and the maker of its readers.
struct RowKernel {
  const char* name;         // "portable", "avx2"
  const char* description;  // one line: what it needs and how it reads
  bool (*supported)();      // true when this processor (and system) can run it
  // A reader for rows of the columns [first, last), which must outlive it; the caller owns it
  // and deletes it. Throws std::bad_alloc. REQUIRES: supported().
  RowReader* (*newReader)(const ColumnTarget* first, const ColumnTarget* last);
};

// Every kernel built into the library, best first; the last, "portable", runs everywhere.
std::span<const RowKernel* const> rowKernels();

// The kernel of that name, or null.
const RowKernel* findRowKernel(std::string_view name);

// The kernels this processor supports, best first.
std::span<const RowKernel* const> supportedRowKernels();

// The kernel that loads use: the best supported one, unless useRowKernel chose another.
const RowKernel& activeRowKernel();

// Makes the kernel of that name the one loads use, for the whole process (tests, fuzz targets
// and benchmarks that compare kernels through whole loads). False, changing nothing, when no
// kernel has that name or this processor does not support it. Not for use while a load runs.
bool useRowKernel(std::string_view name);

// A reader of kernel for the columns [first, last), owned.
inline std::unique_ptr<RowReader> makeRowReader(const RowKernel& kernel, const ColumnTarget* first,
                                                const ColumnTarget* last) {
  return std::unique_ptr<RowReader>(kernel.newReader(first, last));
}

}  // namespace cvl::rows

#endif  // CVL_ADDON_ROWS_ROW_KERNEL_H
