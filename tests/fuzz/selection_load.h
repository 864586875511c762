// One load as the user starts it: files picked in the host's dialog, handed to the add-on's
// selection callback in a freshly started stand-in host, and what the host holds afterwards
// checked against what every load, good or bad, must leave behind.
#ifndef CVL_TESTS_FUZZ_SELECTION_LOAD_H
#define CVL_TESTS_FUZZ_SELECTION_LOAD_H

#include <string>
#include <vector>

namespace cvltest {

struct SelectionLoad {
  bool handedBack = false;            // the host received the instructions for replay
  std::vector<std::string> messages;  // error-dialog texts, in order
  // One sentence per broken rule (see checkLoad); empty when the load left the host sound.
  std::vector<std::string> violations;
};

// Resets the stand-in host, starts the add-on as the host does (its entry point), picks
// fileNames in the host's dialog and calls the loader's selection callback with them. The
// picked list is the host's and is freed before returning. The host's state stays readable
// through minihost's interface until the next reset.
SelectionLoad loadSelection(const std::vector<std::string>& fileNames);

// The rules that every load through the selection callback keeps, whatever the files hold:
//  - the host lock and the load bracket are closed again, the busy indication is off, and no
//    host call was made without the lock;
//  - every arg list and string list that the add-on allocated was freed;
//  - a load that handed its instructions back showed no message, and the instructions are
//    "STANDARDSYNTAX", "1.0", "FILELIST", the count and the names as picked;
//  - a load that handed nothing back showed exactly one message, or a failed comment line
//    followed by "Invalid Column Row"; never an "Unexpected error" and never a refusal by the
//    host of what the add-on asked of it;
//  - every zone of the dataset belongs to one of the picked files (by its stem) and has that
//    file's point count (its line count minus 5), and one value array per variable, of the zone's
//    type for that variable and of the zone's length.
// Returns one sentence per rule broken.
std::vector<std::string> checkLoad(const std::vector<std::string>& fileNames,
                                   const SelectionLoad& load);

}  // namespace cvltest

#endif  // CVL_TESTS_FUZZ_SELECTION_LOAD_H
