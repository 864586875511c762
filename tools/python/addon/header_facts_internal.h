// A file's header as the loader reads it, for the package's exports. Private to this folder.
#ifndef CVL_TOOLS_PYTHON_ADDON_HEADER_FACTS_INTERNAL_H
#define CVL_TOOLS_PYTHON_ADDON_HEADER_FACTS_INTERNAL_H

#include <string>
#include <string_view>

#include "tools/python/addon/package_api.h"

namespace cvl::python {

// Reads lines 1 to 5 and line 6 of fileName with the loader's own header steps, in a load's
// order but without the point count (which would read the whole file), and fills facts. False
// when the file cannot be opened ("Unable to open datafile: <name>", as a load says it) or a step
// refuses the header (its own message, against the file; a file of the header alone gets "Invalid
// first line of data", where a load, which counts the points first, says "File does not contain
// any data points"). Messages go to the host's error dialog. Throws std::bad_alloc.
bool readHeaderFacts(const std::string& fileName, HeaderFacts& facts);

// The same, with text, which the package read from the file itself, standing in for the file's
// bytes: what readHeaderFacts(fileName) would find if the file held just text. Throws
// std::bad_alloc.
bool readHeaderFactsFromText(const std::string& fileName, std::string_view text,
                             HeaderFacts& facts);

}  // namespace cvl::python

#endif  // CVL_TOOLS_PYTHON_ADDON_HEADER_FACTS_INTERNAL_H
