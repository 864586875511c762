// The load instruction list: what the host stores after a load and hands back to repeat it.
//
//   1 "STANDARDSYNTAX"   2 "1.0"   3 "FILELIST"   4 N   5 .. 4+N  the file names, as picked
#ifndef CVL_ADDON_SHELL_INSTRUCTIONS_H
#define CVL_ADDON_SHELL_INSTRUCTIONS_H

#include <string>
#include <vector>

#include "standins/qorutil/qorutil_api.h"

namespace cvl {

// Appends the file names of every "FILELIST" command of instructions (read only, from entry 3
// on) to fileNames, in order. False, after "Invalid FILELIST command." and/or "Missing FILELIST
// command." in the host's error dialog, when a command is malformed or no name was found; the
// names appended before stay in fileNames.
bool parseInstructions(QvStringList instructions, std::vector<std::string>& fileNames);

}  // namespace cvl

#endif  // CVL_ADDON_SHELL_INSTRUCTIONS_H
