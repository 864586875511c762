// The kernels built into the library, each defined in its own translation unit (a file of this
// folder, compiled for its instruction set), for the list in row_kernels.cpp. Nothing outside
// this folder includes this header.
#ifndef CVL_ADDON_ROWS_KERNELS_KERNELS_INTERNAL_H
#define CVL_ADDON_ROWS_KERNELS_KERNELS_INTERNAL_H

#include "addon/rows/row_kernel.h"

namespace cvl::rows::portable {
extern const RowKernel kKernel;
}  // namespace cvl::rows::portable

namespace cvl::rows::avx2 {
extern const RowKernel kKernel;
}  // namespace cvl::rows::avx2

#endif  // CVL_ADDON_ROWS_KERNELS_KERNELS_INTERNAL_H
