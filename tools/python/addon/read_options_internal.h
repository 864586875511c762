// The read options, notes and held file of the calling thread, shared by the tolerant door that
// applies them and the package's exports that set and take them. Private to this folder.
#ifndef CVL_TOOLS_PYTHON_ADDON_READ_OPTIONS_INTERNAL_H
#define CVL_TOOLS_PYTHON_ADDON_READ_OPTIONS_INTERNAL_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/python/addon/package_api.h"

namespace cvl::python {

// The options that files opened on this thread are read with.
ReadOptions& threadReadOptions();
// The notes of the files opened on this thread, in the order opened.
std::vector<ReadNote>& threadReadNotes();

// Bytes of a file that the package read itself and holds: a file of that name opened on this
// thread reads them, under the thread's read options, instead of the file on disk.
struct HeldFile {
  std::string name;
  std::string_view text;
};
// The file held for this thread, or nothing.
std::optional<HeldFile>& threadHeldFile();

}  // namespace cvl::python

#endif  // CVL_TOOLS_PYTHON_ADDON_READ_OPTIONS_INTERNAL_H
