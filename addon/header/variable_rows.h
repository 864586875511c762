// Lines 3 to 5: variable names, their qualifiers, and the locations that make the zones.
#ifndef CVL_ADDON_HEADER_VARIABLE_ROWS_H
#define CVL_ADDON_HEADER_VARIABLE_ROWS_H

#include "addon/header/out_file_info.h"
#include "standins/qorutilutil_utils/ascii_file.h"

namespace cvl {

// Reads the variable name row, the secondary variable row and the location row of file (whose
// next line is line 3) and fills info's variables, zones and column lists: one column per name,
// one variable per distinct full name ("name unit", or the name alone for a marker word), one
// zone per run of equal locations. info must be fresh: its lists are only appended to. False
// after a fault, which has been reported against the file: the comment line's own message, or
// "Location row is missing an entry" / "Secondary Variable row in header is missing an entry"
// (naming line 5). Entries on lines 4 and 5 past the last name are not read.
bool readVariableRows(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

}  // namespace cvl

#endif  // CVL_ADDON_HEADER_VARIABLE_ROWS_H
