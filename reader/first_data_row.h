// Line 6, the first data row, and the fit of the variables to it.
#ifndef CVL_READER_FIRST_DATA_ROW_H
#define CVL_READER_FIRST_DATA_ROW_H

#include "reader/ascii_file.h"
#include "reader/out_file_info.h"

namespace cvl {

// Counts the leading numbers of line 6 into info.numValues, by position: the file's sequential
// position does not move. False, reported against line 6, when there are none.
bool readFirstDataRow(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

// Fits info's variables to info.numValues: with one zone every column filled by the first row
// becomes a variable of its own; with several zones every column must have a value. file serves
// only for messages.
bool fitVariablesToFirstRow(const qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

}  // namespace cvl

#endif  // CVL_READER_FIRST_DATA_ROW_H
