// One load as the user starts it: files picked in the host's dialog (or an instruction list
// replayed) and handed to the add-on's callback in a freshly started stand-in host, with host
// calls refused or an allocation failing when asked, and what the host holds afterwards checked
// against what every load, good or bad, must leave behind.
#ifndef CVL_TOOLS_FUZZ_SELECTION_LOAD_H
#define CVL_TOOLS_FUZZ_SELECTION_LOAD_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::fuzz {

// A host call that fails: the nth call of function, counted once the add-on is registered.
struct HostFault {
  std::string function;
  int64_t nth = 1;
  qvsdkbase::FaultKind kind = qvsdkbase::FaultKind::Fail;
  int32_t result = 0;  // what a Result fault returns
};

// What goes wrong during one load.
struct LoadFaults {
  std::vector<HostFault> hostFaults;
  // The allocation of the add-on, counted from the callback's start (from 1), that throws
  // std::bad_alloc; 0 for none.
  int64_t failingAllocation = 0;
  bool allocationsFailOnward = false;  // every allocation after that one fails too
  // Called with each error-dialog text as it is shown, after it is recorded; it may throw.
  std::function<void(const std::string&)> messageSink = nullptr;
};

// The host calls whose result the add-on looks at, and how the host refuses each: the failure
// result (false, a null handle, 0), and for QorUtilArgListAppendArray also a result other than 1.
// A fault plan names a call by its place here, so the checked-in fault seeds rely on the order:
// new calls go at the end.
std::span<const HostFault> refusableCalls();

struct SelectionLoad {
  bool handedBack = false;            // the host received the instructions for replay
  std::optional<bool> replayResult;   // what the replay callback returned; none for a selection
  std::vector<std::string> messages;  // error-dialog texts, in order
  size_t armedAt = 0;  // the length of the host's call log when the faults were armed
  // The position in the host's call log at which the first fault struck: the refused call, or
  // the calls made before the failing allocation. None when no fault struck.
  std::optional<size_t> faultAt;
  // One sentence per broken rule (see checkLoad); empty when the load left the host sound.
  std::vector<std::string> violations;
};

// How the load reaches the add-on: the user's selection, or the host's replay of the
// instruction list that a selection of the same files would have stored.
enum class Route { Selection, Replay };

// Resets the stand-in host, starts the add-on as the host does (its entry point), arms faults,
// and calls the loader's callback for fileNames. Host-side lists are freed before returning. The
// host's state stays readable through qvsdkbase's interface until the next reset.
SelectionLoad loadSelection(const std::vector<std::string>& fileNames,
                            const LoadFaults& faults = {}, Route route = Route::Selection);

// The rules that every load keeps, whatever the files hold and whatever the host refuses:
//  - the host lock and the load bracket are closed again, the busy indication is off, no host
//    call was made without the lock, and none was handed a list the host did not give out;
//  - every arg list and string list that the add-on allocated was freed;
//  - a load handed back its instructions only when no fault struck before the hand-back; then
//    it showed no message, and the instructions are "STANDARDSYNTAX", "1.0", "FILELIST", the
//    count and the names as picked;
//  - a load that handed nothing back showed exactly one message, or one of the two pairs (a
//    failed comment line followed by "Invalid Column Row", "Invalid FILELIST command." followed
//    by "Missing FILELIST command."), or none when a fault struck; never an "Unexpected error",
//    and a refusal by the host of what the add-on asked of it only when a fault struck;
//  - the replay callback returned true only when the instructions were handed back and no fault
//    struck;
//  - every zone of the dataset belongs to one of the picked files (by its stem) and has that
//    file's point count (its line count minus 5), and one value array per variable, of the zone's
//    type for that variable and of the zone's length.
// Returns one sentence per rule broken.
std::vector<std::string> checkLoad(const std::vector<std::string>& fileNames,
                                   const SelectionLoad& load);

}  // namespace cvl::fuzz

#endif  // CVL_TOOLS_FUZZ_SELECTION_LOAD_H
