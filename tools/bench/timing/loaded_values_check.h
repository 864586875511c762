// Checks what a load put into the stand-in host against the file's own text.
#ifndef CVL_TOOLS_BENCH_TIMING_LOADED_VALUES_CHECK_H
#define CVL_TOOLS_BENCH_TIMING_LOADED_VALUES_CHECK_H

#include <string>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::bench {

// Compares dataSet with the file at path, as a separate reading of the file: the number of
// zones and variables that its header gives, and every value of the first two rows, the middle
// row and the last two rows, parsed from the text and looked up in the zone and variable that
// the header assigns to its column. Exact equality: both sides parse the same digits. Returns
// true when all agree; else false with the first disagreement in error. summary receives what
// was compared.
bool checkLoadedValues(const std::string& path, const qvsdkbase::DataSet& dataSet,
                       std::string& summary, std::string& error);

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_TIMING_LOADED_VALUES_CHECK_H
