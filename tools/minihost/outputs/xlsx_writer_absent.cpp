// The workbook writer of a build without libxlsxwriter.
#include "tools/minihost/outputs/output_file.h"
#include "tools/minihost/outputs/xlsx_writer.h"

namespace cvl::minihost {

std::string workbookUnavailableReason() {
  return "this minihost was built without libxlsxwriter";
}

bool writeWorkbook(const qvsdkbase::DataSet&, const std::filesystem::path& path, WorkbookSummary&,
                   std::string& error, int64_t) {
  error = cannotWrite(path, workbookUnavailableReason());
  return false;
}

}  // namespace cvl::minihost
