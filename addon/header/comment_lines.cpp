// The header's comment lines, the banner line and the column row.
#include "addon/header/comment_lines.h"

#include <boost/algorithm/string/predicate.hpp>
#include <cstdint>
#include <limits>
#include <locale>
#include <string_view>

#include "standins/qorutil/qorutil_api.h"

namespace cvl {

namespace {

constexpr std::string_view kCommentMarker = "#";

// Keywords compare without regard to case, under the process's global locale.
bool isKeyword(std::string_view token, std::string_view keyword) {
  return boost::algorithm::iequals(token, keyword, std::locale());
}

}  // namespace

bool readCommentLine(qorvian::qorutilutil::AsciiFile& file, qorvian::Scanner& scanner) {
  if (file.isEOF()) {
    file.error("Unexpected end-of-file when processing comment line");
    return false;
  }
  // The line file reuses its buffer on the next read, and callers keep several comment lines at
  // once: the scanner holds its own copy.
  scanner.setCopy(file.readLine());
  if (!scanner.hasNextToken() || scanner.nextToken() != kCommentMarker) {
    file.error("Invalid comment line");
    return false;
  }
  return true;
}

bool readBannerLine(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info) {
  qorvian::Scanner scanner;
  if (!readCommentLine(file, scanner)) return false;
  if (!scanner.hasNextToken() || !isKeyword(scanner.nextToken(), "CONVERGE")) {
    QorUtilDialogErrMsg("Only allowed to read in CONVERGE generated out files");
    return false;
  }
  info.title = kDataSetTitle;
  return true;
}

bool readColumnRow(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info) {
  qorvian::Scanner scanner;
  const bool isCommentLine = readCommentLine(file, scanner);
  info.numColumns = 0;
  if (!isCommentLine || !scanner.hasNextToken() || !isKeyword(scanner.nextToken(), "column")) {
    file.error("Invalid Column Row");
    return false;
  }
  // The numbers must run 1, 2, 3, ... to the end of the line; a word among them refuses the row.
  while (scanner.hasNextToken()) {
    if (!scanner.hasNextInt64Token() || info.numColumns == std::numeric_limits<int32_t>::max()) {
      file.error("Invalid Column Row");
      return false;
    }
    ++info.numColumns;
    if (scanner.nextInt64Token() != static_cast<int64_t>(info.numColumns)) {
      file.error("Invalid Column Row");
      return false;
    }
  }
  return true;
}

}  // namespace cvl
