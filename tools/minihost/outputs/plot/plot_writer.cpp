// The plot writer: plans the panels, then runs gnuplot on the script that draws them into a
// temporary file, renamed into place when gnuplot succeeded.
#include "tools/minihost/outputs/plot/plot_writer.h"

#include <algorithm>
#include <cmath>

#include "tools/minihost/host/value_view.h"
#include "tools/minihost/host/variable_lookup.h"
#include "tools/minihost/outputs/output_file.h"
#include "tools/minihost/outputs/plot/axis_range.h"
#include "tools/minihost/outputs/plot/gnuplot_script.h"
#include "tools/minihost/platform/program_pipe.h"

namespace cvl::minihost {

namespace {

constexpr const char* kGnuplot = "gnuplot";

// The y variables: those named, or every variable but x, at most kMaxPanels of them.
bool chooseYVariables(const qvsdkbase::DataSet& dataSet, const PlotOptions& options, size_t x,
                      PlotPlan& plan, PlotSummary& summary, std::string& error) {
  for (const std::string& name : options.y) {
    const std::optional<size_t> found = findVariable(dataSet.variables, name, error);
    if (!found) return false;
    plan.y.push_back(*found);
  }
  if (plan.y.size() > kMaxPanels) {
    error = std::to_string(plan.y.size()) + " panels asked for; a plot holds at most " +
            std::to_string(kMaxPanels);
    return false;
  }
  if (!options.y.empty()) return true;
  size_t others = 0;
  for (size_t v = 0; v < dataSet.variables.size(); ++v) {
    if (v == x) continue;
    ++others;
    if (plan.y.size() < kMaxPanels) plan.y.push_back(v);
  }
  if (others > plan.y.size()) {
    summary.notes.push_back("drew the first " + std::to_string(plan.y.size()) + " of " +
                            std::to_string(others) + " variables; choose others with --y NAME");
  }
  if (plan.y.empty()) plan.y.push_back(x);  // a dataset of one variable: it against itself
  return true;
}

// The finite range of variable x over every zone; a unit around a single value, 0 to 1 for none.
void chooseXRange(const qvsdkbase::DataSet& dataSet, PlotPlan& plan) {
  double low = INFINITY;
  double high = -INFINITY;
  for (const qvsdkbase::Zone& zone : dataSet.zones) {
    const ValueView values(*zone.values[plan.x]);
    for (int64_t i = 0; i < zone.points; ++i) {
      const double value = values.at(i);
      if (!std::isfinite(value)) continue;
      low = std::min(low, value);
      high = std::max(high, value);
    }
  }
  const AxisRange range = paddedRange(low, high, 0, {0, 1});
  plan.xFirst = range.first;
  plan.xLast = range.last;
}

}  // namespace

std::string plotUnavailableReason() {
  return {};
}

bool writePlot(const qvsdkbase::DataSet& dataSet, const PlotOptions& options, PlotSummary& summary,
               std::string& error) {
  if (dataSet.variables.empty()) {
    error = "nothing to plot: the dataset has no variables";
    return false;
  }
  PlotPlan plan;
  plan.format = plotFormat(options.path).value_or(PlotFormat::Png);
  if (!options.x.empty()) {
    const std::optional<size_t> x = findVariable(dataSet.variables, options.x, error);
    if (!x) return false;
    plan.x = *x;
  }
  if (!chooseYVariables(dataSet, options, plan.x, plan, summary, error)) return false;
  size_t zones = 0;
  size_t longestName = 0;
  for (const qvsdkbase::Zone& zone : dataSet.zones) {
    if (zone.points == 0) continue;
    ++zones;
    longestName = std::max(longestName, zone.name.size());
  }
  std::optional<PlotLayout> layout =
      layoutPlot(plan.y.size(), zones, longestName, options.size, error);
  if (!layout) return false;
  plan.layout = std::move(*layout);
  chooseXRange(dataSet, plan);

  std::optional<OutputFile> file = OutputFile::create(options.path, error);
  if (!file) return false;
  plan.output = file->temporaryPath();
  std::optional<ProgramPipe> gnuplot = ProgramPipe::start(kGnuplot, {}, error);
  if (!gnuplot) {
    error += " (gnuplot draws the plot: install it, on Debian package gnuplot-nox)";
    return false;
  }
  const bool fed = writeGnuplotScript(dataSet, plan,
                                      [&](std::string_view text) { return gnuplot->write(text); });
  const int status = gnuplot->finish();
  if (!fed || status != 0) {
    error = cannotWrite(options.path,
                        status < 0 ? "gnuplot did not finish"
                                   : "gnuplot failed with exit status " + std::to_string(status));
    return false;
  }
  summary.page = plan.layout.page;
  summary.panels = plan.y.size();
  return file->commit(error);
}

}  // namespace cvl::minihost
