// Line 6, the first data row, and the fit of the variables to it.
#ifndef CVL_ADDON_HEADER_FIRST_DATA_ROW_H
#define CVL_ADDON_HEADER_FIRST_DATA_ROW_H

#include "addon/header/out_file_info.h"
#include "standins/qorutilutil_utils/ascii_file.h"

namespace cvl {

// Counts the leading numbers of line 6 into info.numValues, by position: the file's sequential
// position does not move. False, with "Invalid first line of data" against line 6, when the file
// has no line 6 or it does not begin with a number.
bool readFirstDataRow(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);
// readFirstDataRow without its check of the line count, which reads the whole file: for a reader
// of the header alone. A file without line 6 is refused as one whose line 6 holds no number.
bool countFirstRowValues(const qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

// Fits info's variables to info.numValues. With one zone, where readVariableRows made every
// column a variable, the variables are cut to the columns that the first row fills
// (varDataTypes keeps one entry per column, filled or not); more values than names are refused
// against line 6. With several zones the values must match the column row's count (else refused
// against the line last read) and every valued column must be named (else "Variable name row is
// missing an entry" against line 3). The column records are not changed. REQUIRES:
// readVariableRows and readFirstDataRow accepted info. file serves only for messages.
bool fitVariablesToFirstRow(const qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

}  // namespace cvl

#endif  // CVL_ADDON_HEADER_FIRST_DATA_ROW_H
