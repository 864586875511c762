// The data rows: every value of a file, straight into the host's value arrays.
#ifndef CVL_ADDON_ROWS_DATA_ROWS_H
#define CVL_ADDON_ROWS_DATA_ROWS_H

#include "addon/header/out_file_info.h"
#include "addon/rows/row_kernel.h"
#include "standins/qorutilutil_utils/ascii_file.h"

namespace cvl {

// Reads info.numPoints rows of file (standing after line 5) for info.numValues values each and
// writes them into the value arrays of the zones numbered from firstZone, which addZones has just
// added for info, with the active row kernel (rows::activeRowKernel). False after the first
// faulty row, reported against that row; the values written before it stay.
bool readDataRows(qorvian::qorutilutil::AsciiFile& file, const OutFileInfo& info,
                  QvZoneNum firstZone);

// The same with the given kernel. REQUIRES: kernel.supported().
bool readDataRows(qorvian::qorutilutil::AsciiFile& file, const OutFileInfo& info,
                  QvZoneNum firstZone, const rows::RowKernel& kernel);

}  // namespace cvl

#endif  // CVL_ADDON_ROWS_DATA_ROWS_H
