// The dataset as an Excel workbook: one worksheet per zone, more for a zone longer than a sheet.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_XLSX_WRITER_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_XLSX_WRITER_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::minihost {

// Rows of an Excel worksheet, the header row included, and its columns.
inline constexpr int64_t kExcelRows = 1048576;
inline constexpr size_t kExcelColumns = 16384;

struct WorkbookSummary {
  size_t sheets = 0;
  // One line per zone continued on further sheets, and one per kind of value that the workbook
  // holds other than as the same number.
  std::vector<std::string> notes;
};

// Empty when this build writes workbooks; otherwise why it does not, for --help and messages.
std::string workbookUnavailableReason();

// Writes dataSet to path as a workbook: one worksheet per zone, named after the zone (see
// SheetNames), with a bold, frozen header row of the variable names and one row per point with
// every variable of the zone, shared ones included, as numbers. A zone with more points than a
// sheet of rowsPerSheet rows holds continues on sheets named with " (2)", " (3)", ... Values
// that are not numbers are written as the text "nan", "inf" or "-inf"; doubles are held to 16
// significant digits. The file appears complete or not at all. False, with a message naming
// path, when it cannot be written, a zone has more variables than a sheet has columns, or this
// build has no workbook writer.
bool writeWorkbook(const qvsdkbase::DataSet& dataSet, const std::filesystem::path& path,
                   WorkbookSummary& summary, std::string& error, int64_t rowsPerSheet = kExcelRows);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_XLSX_WRITER_H
