// Line 6, the first data row, and the fit of the variables to it.
#include "addon/header/first_data_row.h"

#include <cstddef>
#include <cstdint>
#include <limits>

#include "standins/common_strutil/scanner.h"

namespace cvl {

namespace {

constexpr uint64_t kFirstDataLine = 6;
constexpr uint64_t kVariableNameLine = 3;

}  // namespace

bool readFirstDataRow(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info) {
  if (file.numLinesInFile() < kFirstDataLine) {
    file.error("Invalid first line of data", kFirstDataLine);
    return false;
  }
  return countFirstRowValues(file, info);
}

bool countFirstRowValues(const qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info) {
  // By position: the sequential reading of the data rows still starts at line 6.
  qorvian::Scanner scanner(file.readLineAtOffset(kFirstDataLine - 1));
  info.numValues = 0;
  // Counting stops at the first token that is no number; what follows it is not looked at.
  while (scanner.hasNextDoubleToken() && info.numValues < std::numeric_limits<int32_t>::max()) {
    scanner.nextToken();
    ++info.numValues;
  }
  if (info.numValues < 1) {
    file.error("Invalid first line of data", kFirstDataLine);
    return false;
  }
  return true;
}

bool fitVariablesToFirstRow(const qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info) {
  const auto numValues = static_cast<size_t>(info.numValues);
  if (info.numZones != 1) {
    // The zones share one row layout: every column of the column row needs its value.
    if (info.numColumns != info.numValues) {
      file.error("Not allowed to have missing data when the number of zones > 1");
      return false;
    }
    // ... and its name, type, variable and zone, which only the variable name row gives.
    if (info.columns().size() < numValues) {
      file.error("Variable name row is missing an entry", kVariableNameLine);
      return false;
    }
    return true;
  }

  // One zone: readVariableRows made every column a variable of its own, repeated names included.
  if (info.variableNames().size() < numValues) {
    file.error("Too many values on the first data row", kFirstDataLine);
    return false;
  }
  // Trailing columns without values are not read: the dataset gets the first numValues
  // variables, and the others stay listed for their types.
  info.numVariables = info.numValues;
  return true;
}

}  // namespace cvl
