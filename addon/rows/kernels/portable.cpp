// The portable kernel: every row by the token walk, with the baseline instruction set (SSE2 on
// x86-64, plain code elsewhere). It runs on every processor.
#define CVL_ISA portable

#include "addon/rows/kernels/kernels_internal.h"
#include "addon/rows/token_walk.h"

namespace cvl::rows::portable {
namespace {

class Reader final : public RowReader {
 public:
  Reader(const ColumnTarget* first, const ColumnTarget* last) : first_(first), last_(last) {}

  const char* readRows(const char* lines, size_t size, RowCursor& cursor) override {
    return walkRows(lines, size, cursor, INT64_MAX, first_, last_);
  }

 private:
  const ColumnTarget* first_;
  const ColumnTarget* last_;
};

bool alwaysSupported() {
  return true;
}

RowReader* newReader(const ColumnTarget* first, const ColumnTarget* last) {
  return new Reader(first, last);
}

}  // namespace

const RowKernel kKernel = {"portable", "every row one token at a time; runs on every processor",
                           alwaysSupported, newReader};

}  // namespace cvl::rows::portable
