// Worksheet names that Excel accepts: at most 31 characters, none of []:*?/\, no apostrophe at
// either end, not "History", and unique regardless of case.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_SHEET_NAMES_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_SHEET_NAMES_H

#include <string>
#include <string_view>
#include <vector>

namespace cvl::minihost {

class SheetNames {
 public:
  // A new name for a sheet that wanted (8-bit text of any encoding) and then suffix (ASCII, as
  // " (2)") would name, fitted to the rules: forbidden characters replaced by '_', text that is
  // not UTF-8 made printable, the wanted part shortened to leave room for the suffix, and a
  // number " ~2", " ~3", ... added when the name is taken. "Sheet" stands for an empty name.
  std::string add(std::string_view wanted, std::string_view suffix = "");

 private:
  bool taken(const std::string& name) const;

  std::vector<std::string> taken_;  // names given so far, in lower case
};

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_SHEET_NAMES_H
