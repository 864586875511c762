// Writing the outputs that the command line asked for, after a successful load.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_OUTPUTS_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_OUTPUTS_H

#include <ostream>

#include "standins/qvsdkbase/host_control.h"
#include "tools/minihost/outputs/output_options.h"

namespace cvl::minihost {

// Writes the plot, the CSV files and the workbook that options ask for, each independently of
// the others. For each output written, a line to report that says where it went, with its notes
// indented below; for each that failed, "minihost: <message>" to errors. True when every one
// asked for was written; false, after one message, when there is no dataset.
bool writeOutputs(const OutputOptions& options, const qvsdkbase::DataSet* dataSet,
                  std::ostream& report, std::ostream& errors);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_OUTPUTS_H
