// The workbook writer of a build without libxlsxwriter.
#include "minihost/output_file.h"
#include "minihost/xlsx_writer.h"

namespace minihost {

std::string workbookUnavailableReason() {
  return "this minihost was built without libxlsxwriter";
}

bool writeWorkbook(const qvsdkbase::DataSet&, const std::filesystem::path& path, WorkbookSummary&,
                   std::string& error, int64_t) {
  error = cannotWrite(path, workbookUnavailableReason());
  return false;
}

}  // namespace minihost
