// The gnuplot commands, data included, that draw a planned plot.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_GNUPLOT_SCRIPT_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_GNUPLOT_SCRIPT_H

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tools/minihost/outputs/plot/plot_layout.h"
#include "tools/minihost/outputs/plot/plot_writer.h"

namespace cvl::minihost {

// A plot ready to be drawn: which variables go where, on which layout.
struct PlotPlan {
  PlotFormat format = PlotFormat::Png;
  std::filesystem::path output;  // where gnuplot writes the picture
  PlotLayout layout;             // one plot area per entry of y
  size_t x = 0;                  // variable across every panel
  std::vector<size_t> y;         // variable up each panel
  double xFirst = 0;             // the x range shown
  double xLast = 1;
};

// Receives the script piece by piece; false stops the writing.
using ScriptSink = std::function<bool(std::string_view)>;

// Writes to sink a gnuplot script that draws plan from dataSet's values and ends gnuplot: the
// legend of every zone with points at the top of the page, then each panel with one line per
// zone, decimated to its plot area's pixel columns. False as soon as sink returns false.
bool writeGnuplotScript(const qvsdkbase::DataSet& dataSet, const PlotPlan& plan,
                        const ScriptSink& sink);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_GNUPLOT_SCRIPT_H
