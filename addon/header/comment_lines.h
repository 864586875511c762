// The header's comment lines, and the first two of them: the banner line and the column row.
#ifndef CVL_ADDON_HEADER_COMMENT_LINES_H
#define CVL_ADDON_HEADER_COMMENT_LINES_H

#include "addon/header/out_file_info.h"
#include "standins/common_strutil/scanner.h"
#include "standins/qorutilutil_utils/ascii_file.h"

namespace cvl {

// Reads the next line of file as a comment line: its first token must be exactly "#". On true
// scanner holds a copy of the line and stands after the "#". On false the fault has been
// reported against the file ("Unexpected end-of-file when processing comment line", "Invalid
// comment line").
bool readCommentLine(qorvian::qorutilutil::AsciiFile& file, qorvian::Scanner& scanner);

// Line 1: "#" and "CONVERGE" in any case; the rest of the line is not read. Sets info.title to
// "CONVERGE Data". A missing or wrong keyword is reported in the host's error dialog.
bool readBannerLine(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

// Line 2: "#", "column" in any case, then 1, 2, 3, ... with nothing else after them. Sets
// info.numColumns to the count of the numbers; "Invalid Column Row" is reported against the
// file for any fault, also after the comment line's own message. A refused row leaves the count
// of the numbers accepted before the fault.
bool readColumnRow(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

}  // namespace cvl

#endif  // CVL_ADDON_HEADER_COMMENT_LINES_H
