// The plot writer of a build without plots. CVL_NO_PLOTS_REASON, set by the build, says why.
#include "tools/minihost/outputs/output_file.h"
#include "tools/minihost/outputs/plot/plot_writer.h"

namespace cvl::minihost {

std::string plotUnavailableReason() {
  return CVL_NO_PLOTS_REASON;
}

bool writePlot(const qvsdkbase::DataSet&, const PlotOptions& options, PlotSummary&,
               std::string& error) {
  error = cannotWrite(options.path, plotUnavailableReason());
  return false;
}

}  // namespace cvl::minihost
