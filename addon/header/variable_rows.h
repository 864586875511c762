// Lines 3 to 5: variable names, their qualifiers, and the locations that make the zones.
#ifndef CVL_ADDON_HEADER_VARIABLE_ROWS_H
#define CVL_ADDON_HEADER_VARIABLE_ROWS_H

#include "addon/header/out_file_info.h"
#include "standins/qorutilutil_utils/ascii_file.h"

namespace cvl {

// Reads the variable name row, the secondary variable row and the location row of file (whose
// next line is line 3) and fills info's zones, variables and columns: one column per name, one
// zone per run of equal locations. The variables: with several zones one per distinct full name
// ("name unit", or the name alone for a marker word), typed by the first column that bears it;
// with one zone one per column, in column order, repeated names included. Each column names the
// variable its values go to: with several zones the one of its full name; with one zone its own,
// except that a column at or past info.numColumns goes to the variable whose index its full name
// has among the distinct full names. REQUIRES: info is fresh but for numColumns (the column
// row's count), which must be set: its lists are only appended to. False after a fault, which
// has been reported against the file: the comment line's own message, or "Location row is missing
// an entry" / "Secondary Variable row in header is missing an entry" (naming line 5) for the
// first column that lacks one, checked in that order. Entries on lines 4 and 5 past the last name
// are not read.
bool readVariableRows(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

}  // namespace cvl

#endif  // CVL_ADDON_HEADER_VARIABLE_ROWS_H
