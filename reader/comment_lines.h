// The header's comment lines, and the first two of them: the banner line and the column row.
#ifndef CVL_READER_COMMENT_LINES_H
#define CVL_READER_COMMENT_LINES_H

#include "reader/ascii_file.h"
#include "reader/out_file_info.h"
#include "reader/scanner.h"

namespace cvl {

// Reads the next line of file as a comment line: its first token must be exactly "#". On true
// scanner holds a copy of the line and stands after the "#". On false the fault has been
// reported against the file ("Unexpected end-of-file when processing comment line", "Invalid
// comment line").
bool readCommentLine(qorvian::qorutilutil::AsciiFile& file, qorvian::Scanner& scanner);

// Line 1: "#" and "CONVERGE" in any case. Sets info.title. The wrong keyword is reported in the
// host's error dialog.
bool readBannerLine(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

// Line 2: "#", "column" in any case, then 1, 2, 3, ... Sets info.numColumns to the count of the
// numbers (0 whenever the row is refused).
bool readColumnRow(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

}  // namespace cvl

#endif  // CVL_READER_COMMENT_LINES_H
