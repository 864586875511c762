// The header reader: lines 1 to 5 in sequence, the point count, and line 6 by position.
#include "addon/header/out_file_header.h"

#include <cstdint>

#include "addon/header/comment_lines.h"
#include "addon/header/first_data_row.h"
#include "addon/header/variable_rows.h"

namespace cvl {

namespace {

constexpr int64_t kHeaderLines = 5;

// Every line after the header is a data row; the rows themselves are not read here, so the cost
// of a header does not grow with the file.
bool countPoints(const qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info) {
  info.numPoints = static_cast<int64_t>(file.numLinesInFile()) - kHeaderLines;
  if (info.numPoints <= 0) {
    file.error("File does not contain any data points");
    return false;
  }
  return true;
}

}  // namespace

bool readOutFileHeader(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info) {
  return readBannerLine(file, info) && readColumnRow(file, info) && readVariableRows(file, info) &&
         countPoints(file, info) && readFirstDataRow(file, info) &&
         fitVariablesToFirstRow(file, info);
}

}  // namespace cvl
