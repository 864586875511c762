// The plot writer of a build without plots. CVL_NO_PLOTS_REASON, set by the build, says why.
#include "minihost/output_file.h"
#include "minihost/plot_writer.h"

namespace minihost {

std::string plotUnavailableReason() {
  return CVL_NO_PLOTS_REASON;
}

bool writePlot(const qvsdkbase::DataSet&, const PlotOptions& options, PlotSummary&,
               std::string& error) {
  error = cannotWrite(options.path, plotUnavailableReason());
  return false;
}

}  // namespace minihost
