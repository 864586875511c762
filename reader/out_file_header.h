// The header reader: the one entry into the reader for a file.
#ifndef CVL_READER_OUT_FILE_HEADER_H
#define CVL_READER_OUT_FILE_HEADER_H

#include "reader/ascii_file.h"
#include "reader/out_file_info.h"

namespace cvl {

// Reads and checks lines 1 to 5 of file (open, at its first line) and, by position, line 6, and
// fills the fresh info. The points are counted from the line count, not by reading the rows. On
// true info is complete and the file stands after line 5; on false the fault has been reported
// once and info is not to be used.
bool readOutFileHeader(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

}  // namespace cvl

#endif  // CVL_READER_OUT_FILE_HEADER_H
