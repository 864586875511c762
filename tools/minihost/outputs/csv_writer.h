// The dataset as CSV files, one per zone (RFC 4180 with LF line ends on every platform).
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_CSV_WRITER_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_CSV_WRITER_H

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::minihost {

// The file name of zone zoneNumber (from 1) among zoneCount zones: the number zero-padded to
// the width of zoneCount, '_', then the zone name with every character other than a letter, a
// digit, '-', '_' or '.' replaced by '_', and ".csv" ("02_case_Region0.csv").
std::string csvFileName(size_t zoneNumber, size_t zoneCount, std::string_view zoneName);

// Writes one file per zone of dataSet into folder, created when missing: a header row of the
// variable names, then one row per point with every variable of the zone, shared ones
// included; doubles in the shortest form that reads back to the same double ("nan", "inf" and
// "-inf" for values that are not numbers), integers as integers. Each file appears complete
// or not at all, replacing a file of the same name. Appends the names written to written.
// False, with a message naming the folder or file, at the first that cannot be written.
bool writeCsvFolder(const qvsdkbase::DataSet& dataSet, const std::filesystem::path& folder,
                    std::vector<std::string>& written, std::string& error);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_CSV_WRITER_H
