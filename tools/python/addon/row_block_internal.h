// Rows that the package read itself, read with the loader's row kernel. Private to this folder.
#ifndef CVL_TOOLS_PYTHON_ADDON_ROW_BLOCK_INTERNAL_H
#define CVL_TOOLS_PYTHON_ADDON_ROW_BLOCK_INTERNAL_H

#include <cstddef>
#include <cstdint>

#include "addon/rows/row_kernel.h"

namespace cvl::python {

// As PackageApi::readRows (package_api.h).
int64_t readRowBlock(const char* lines, size_t size, int64_t rows, const rows::ColumnTarget* first,
                     const rows::ColumnTarget* last, const char*& fault);

}  // namespace cvl::python

#endif  // CVL_TOOLS_PYTHON_ADDON_ROW_BLOCK_INTERNAL_H
