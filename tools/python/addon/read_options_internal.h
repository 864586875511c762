// The read options and notes of the calling thread, shared by the tolerant door that applies them
// and the package's exports that set and take them. Private to this folder.
#ifndef CVL_TOOLS_PYTHON_ADDON_READ_OPTIONS_INTERNAL_H
#define CVL_TOOLS_PYTHON_ADDON_READ_OPTIONS_INTERNAL_H

#include <vector>

#include "tools/python/addon/package_api.h"

namespace cvl::python {

// The options that files opened on this thread are read with.
ReadOptions& threadReadOptions();
// The notes of the files opened on this thread, in the order opened.
std::vector<ReadNote>& threadReadNotes();

}  // namespace cvl::python

#endif  // CVL_TOOLS_PYTHON_ADDON_READ_OPTIONS_INTERNAL_H
