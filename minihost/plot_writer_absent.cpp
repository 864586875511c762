// The plot writer of a build without plots.
#include "minihost/output_file.h"
#include "minihost/plot_writer.h"

namespace minihost {

std::string plotUnavailableReason() {
  return "this minihost was built without plots (they are drawn by gnuplot)";
}

bool writePlot(const qvsdkbase::DataSet&, const PlotOptions& options, PlotSummary&,
               std::string& error) {
  error = cannotWrite(options.path, plotUnavailableReason());
  return false;
}

}  // namespace minihost
