#include "addon/shell/load_driver.h"

#include <exception>
#include <new>
#include <string>
#include <vector>

#include "addon/assembly/load_sequence.h"
#include "addon/assembly/loader_name.h"
#include "addon/shell/instructions.h"
#include "standins/qvtoolbox/arg_list.h"

namespace cvl {

namespace {

// Parses the instructions, loads the files they name and hands the instructions back to the
// host. The list of file names lives only within this call, so it is gone before the driver
// closes the load.
bool loadAndHandBack(QvStringList instructions) {
  std::vector<std::string> fileNames;
  return parseInstructions(instructions, fileNames) && loadFileList(fileNames) &&
         QorUtilImportSetLoaderInstr(kLoaderName, instructions) != 0;
}

}  // namespace

bool loadFromInstructions(QvStringList instructions) {
  // The host always receives an empty arg list at the load's finish; the wrapper frees it on
  // every way out of this function, after the finish.
  const qorvian::ArgList finishArgs;
  if (finishArgs.getRef() == nullptr) return false;

  QorUtilPleaseWait(nullptr, 1);
  bool loaded = false;
  // An exception other than out of memory is held here until the load has been closed, then
  // passed on to the callback, which reports it.
  std::exception_ptr unexpected;
  try {
    QorUtilDataLoadStart();
    loaded = loadAndHandBack(instructions);
  } catch (const std::bad_alloc&) {
    loaded = false;
  } catch (...) {
    unexpected = std::current_exception();
  }
  QorUtilPleaseWait(nullptr, 0);
  const bool finished = QorUtilDataLoadFinishX(finishArgs.getRef(), 0) != 0;
  if (unexpected) std::rethrow_exception(unexpected);
  return finished && loaded;
}

}  // namespace cvl
