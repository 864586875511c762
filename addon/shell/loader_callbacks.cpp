#include "addon/shell/loader_callbacks.h"

#include <exception>
#include <new>
#include <optional>
#include <string>

#include "addon/shell/load_driver.h"
#include "addon/shell/unexpected_error.h"
#include "standins/qvtoolbox/string_list.h"

namespace cvl {

QvAddOn addOnHandle = nullptr;

namespace {

// Fills instructions, a fresh host list, with the instruction list for the selection:
// "STANDARDSYNTAX", "1.0", "FILELIST", the count, then every selected name. False at the first
// append the host refuses.
bool appendSelection(QvStringList instructions, const std::string& countText,
                     QvStringList selectedFileNames) {
  return QorUtilStringListAppendString(instructions, "STANDARDSYNTAX") != 0 &&
         QorUtilStringListAppendString(instructions, "1.0") != 0 &&
         QorUtilStringListAppendString(instructions, "FILELIST") != 0 &&
         QorUtilStringListAppendString(instructions, countText.c_str()) != 0 &&
         QorUtilStringListAppend(instructions, selectedFileNames) != 0;
}

// Turns the selection into an instruction list and loads through it; the list is released
// before returning. Out of memory while the list is built drops the selection silently.
void loadSelection(QvStringList selectedFileNames) {
  const QvCount count = QorUtilStringListGetCount(selectedFileNames);
  if (count < 1) {
    QorUtilDialogErrMsg("No files selected");
    return;
  }
  std::optional<qorvian::StringList> instructions;
  bool built = false;
  try {
    const std::string countText = std::to_string(count);
    instructions.emplace();
    built = instructions->getRef() != nullptr &&
            appendSelection(instructions->getRef(), countText, selectedFileNames);
  } catch (const std::bad_alloc&) {
    built = false;
  }
  // The driver reports its own failures, and on success has handed the list to the host.
  if (built) loadFromInstructions(instructions->getRef());
}

}  // namespace

QvBoolean QV_CALLBACK loaderCallback(QvStringList instructions) {
  QorUtilLockStart(addOnHandle);
  bool loaded = false;
  try {
    loaded = loadFromInstructions(instructions);
  } catch (...) {
    reportUnexpectedError(std::current_exception());
  }
  QorUtilLockFinish(addOnHandle);
  return loaded ? 1 : 0;
}

void QV_CALLBACK loaderSelectedCallback(QvStringList selectedFileNames) {
  QorUtilLockStart(addOnHandle);
  try {
    loadSelection(selectedFileNames);
  } catch (...) {
    reportUnexpectedError(std::current_exception());
  }
  QorUtilLockFinish(addOnHandle);
}

}  // namespace cvl
