// Names from a file shown where only valid UTF-8 without control characters may go: worksheet
// names and cells, plot labels and legends. The files' names are 8-bit text of any encoding.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_PRINTABLE_TEXT_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_PRINTABLE_TEXT_H

#include <string>
#include <string_view>

namespace cvl::minihost {

// bytes with every byte that is not part of a valid UTF-8 sequence, and every control
// character, replaced by U+FFFD; valid text comes back unchanged.
std::string printableText(std::string_view bytes);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_PRINTABLE_TEXT_H
