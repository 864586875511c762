// The readable summary that minihost prints after a load.
#ifndef CVL_TOOLS_MINIHOST_REPORTS_SUMMARY_H
#define CVL_TOOLS_MINIHOST_REPORTS_SUMMARY_H

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::minihost {

// Prints the dataset (or that there is none): its title, the variables with their types, the
// zones with their point counts and the variables each shares with which zone, the minimum and
// maximum of every variable in every zone; then the stored load instructions, or that none were
// handed back. Values themselves are never listed, so the summary stays short for large files.
void printSummary(std::ostream& out, const qvsdkbase::DataSet* dataSet,
                  const std::optional<std::vector<std::string>>& instructions);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_REPORTS_SUMMARY_H
