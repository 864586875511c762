// The dataset drawn as a picture: one panel per y variable against one x variable, one line per
// zone, drawn by gnuplot into a PNG or SVG file.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_PLOT_WRITER_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_PLOT_WRITER_H

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tools/minihost/outputs/plot/plot_format.h"
#include "tools/minihost/outputs/plot/plot_layout.h"

namespace cvl::minihost {

struct PlotOptions {
  std::filesystem::path path;     // ends in .png or .svg (any case)
  std::string x;                  // the x variable's name; empty: the first variable
  std::vector<std::string> y;     // one panel each; empty: every variable other than x
  std::optional<PixelSize> size;  // the page; empty: sized from the number of panels
};

struct PlotSummary {
  PixelSize page;
  size_t panels = 0;
  std::vector<std::string> notes;  // what was left out, if anything
};

// Empty when this build draws plots; otherwise why it does not, for --help and messages.
std::string plotUnavailableReason();

// Draws dataSet as options say: the x variable across each panel with its name and unit as
// title, the y variable up; zones that share a variable each draw it. Traces longer than their
// plot is wide are thinned to each pixel column's first, lowest, highest and last point, so
// peaks survive. Without --y, at most kMaxPanels panels, the rest noted in summary. The file
// appears complete or not at all. False, with a message, when a variable is not found, the page
// is too small, gnuplot cannot be run or fails, or the file cannot be written.
bool writePlot(const qvsdkbase::DataSet& dataSet, const PlotOptions& options, PlotSummary& summary,
               std::string& error);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_PLOT_WRITER_H
