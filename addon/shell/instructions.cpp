#include "addon/shell/instructions.h"

#include <cstdint>

#include "standins/common_strutil/lexical_cast.h"

namespace cvl {

namespace {

constexpr const char* kFileListCommand = "FILELIST";

// A copy of the entry at the 1-based position; empty when the host has none there.
std::string readEntry(QvStringList instructions, QvCount position) {
  const char* text = QorUtilStringListGetRawStringPtr(instructions, position);
  return text == nullptr ? std::string() : std::string(text);
}

// Reads the count that follows a "FILELIST" entry at position and the names it announces,
// advancing position past what it used. False when the command is malformed.
bool readFileListCommand(QvStringList instructions, QvCount count, QvCount& position,
                         std::vector<std::string>& fileNames) {
  if (position > count) return false;
  const std::string countText = readEntry(instructions, position);
  ++position;
  int64_t numNames = 0;
  try {
    numNames = qorvian::lexical_cast<int>(countText);
  } catch (const qorvian::bad_lexical_cast&) {
    return false;
  }
  if (position + numNames - 1 > count) return false;
  for (int64_t i = 0; i < numNames; ++i) {
    fileNames.push_back(readEntry(instructions, position));
    ++position;
  }
  return true;
}

}  // namespace

bool parseInstructions(QvStringList instructions, std::vector<std::string>& fileNames) {
  const QvCount count = QorUtilStringListGetCount(instructions);
  bool result = true;
  // Entries 1 and 2 ("STANDARDSYNTAX", "1.0") identify the syntax; only what follows counts.
  QvCount position = 3;
  while (result && position <= count) {
    const std::string entry = readEntry(instructions, position);
    ++position;
    if (entry != kFileListCommand) continue;
    if (!readFileListCommand(instructions, count, position, fileNames)) {
      QorUtilDialogErrMsg("Invalid FILELIST command.");
      result = false;
    }
  }
  if (fileNames.empty()) {
    QorUtilDialogErrMsg("Missing FILELIST command.");
    result = false;
  }
  return result;
}

}  // namespace cvl
