// The outputs a load can be handed on as, and where each goes: a plot, CSV files, a workbook.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_OUTPUT_OPTIONS_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_OUTPUT_OPTIONS_H

#include <filesystem>

#include "tools/minihost/outputs/plot/plot_writer.h"

namespace cvl::minihost {

struct OutputOptions {
  PlotOptions plot;                 // no plot when plot.path is empty
  std::filesystem::path csvFolder;  // empty: no CSV files
  std::filesystem::path workbook;   // empty: no workbook
  // True when any output is asked for.
  bool any() const { return !plot.path.empty() || !csvFolder.empty() || !workbook.empty(); }
};

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_OUTPUT_OPTIONS_H
