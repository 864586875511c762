// Lines 3 to 5: variable names, their qualifiers, and the locations that make the zones.
#ifndef CVL_READER_VARIABLE_ROWS_H
#define CVL_READER_VARIABLE_ROWS_H

#include "reader/ascii_file.h"
#include "reader/out_file_info.h"

namespace cvl {

// Reads the variable name row, the secondary variable row and the location row of file (whose
// next line is line 3) and fills info's variables, zones and column lists. info must be fresh.
// False after a fault, which has been reported against the file.
bool readVariableRows(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info);

}  // namespace cvl

#endif  // CVL_READER_VARIABLE_ROWS_H
