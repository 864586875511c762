#include "tools/minihost/outputs/outputs.h"

#include <string>
#include <vector>

#include "tools/minihost/outputs/csv_writer.h"
#include "tools/minihost/outputs/xlsx_writer.h"

namespace cvl::minihost {

namespace {

void printNotes(std::ostream& report, const std::vector<std::string>& notes) {
  for (const std::string& note : notes) report << "  " << note << '\n';
}

std::string plural(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

bool writeOutputs(const OutputOptions& options, const qvsdkbase::DataSet* loaded,
                  std::ostream& report, std::ostream& errors) {
  if (loaded == nullptr) {
    errors << "minihost: nothing written: the load left no dataset\n";
    return false;
  }
  const qvsdkbase::DataSet& dataSet = *loaded;
  bool all = true;
  std::string error;
  const auto failed = [&] {
    errors << "minihost: " << error << '\n';
    error.clear();
    all = false;
  };
  if (!options.plot.path.empty()) {
    PlotSummary plot;
    if (writePlot(dataSet, options.plot, plot, error)) {
      report << "Plot: " << options.plot.path.string() << " (" << plot.page.width << "x"
             << plot.page.height << " pixels, " << plural(plot.panels, "panel", "panels") << ")\n";
      printNotes(report, plot.notes);
    } else {
      failed();
    }
  }
  if (!options.csvFolder.empty()) {
    std::vector<std::string> files;
    if (writeCsvFolder(dataSet, options.csvFolder, files, error)) {
      report << "CSV: " << options.csvFolder.string() << " ("
             << plural(files.size(), "file", "files");
      if (!files.empty()) report << ": " << files.front();
      if (files.size() > 1) report << (files.size() > 2 ? " to " : " and ") << files.back();
      report << ")\n";
    } else {
      failed();
    }
  }
  if (!options.workbook.empty()) {
    WorkbookSummary workbook;
    if (writeWorkbook(dataSet, options.workbook, workbook, error)) {
      report << "Workbook: " << options.workbook.string() << " ("
             << plural(workbook.sheets, "sheet", "sheets") << ")\n";
      printNotes(report, workbook.notes);
    } else {
      failed();
    }
  }
  return all;
}

}  // namespace cvl::minihost
