// The header reader: the one entry into the reader for a file.
#ifndef CVL_ADDON_HEADER_OUT_FILE_HEADER_H
#define CVL_ADDON_HEADER_OUT_FILE_HEADER_H

#include "addon/header/out_file_info.h"
#include "standins/qorutilutil_utils/ascii_file.h"

namespace cvl {

// Reads and checks lines 1 to 5 of file (open, at its first line) and, by position, line 6, and
// fills the fresh info. The points are counted from the line count, not by reading the rows. On
// true info is complete and the file stands after line 5; on false the fault has been reported
// once and info is not to be used.
bool readOutFileHeader(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

}  // namespace cvl

#endif  // CVL_ADDON_HEADER_OUT_FILE_HEADER_H
