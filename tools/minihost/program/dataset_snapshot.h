// DataSetSnapshot: a copy of the host's dataset that outlives it, to tell whether a replayed
// load gave the same dataset.
#ifndef CVL_TOOLS_MINIHOST_PROGRAM_DATASET_SNAPSHOT_H
#define CVL_TOOLS_MINIHOST_PROGRAM_DATASET_SNAPSHOT_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::minihost {

struct ValueSnapshot {
  std::shared_ptr<const qvsdkbase::ValueArray> copy;  // the array's values, bit for bit
};

struct ZoneSnapshot {
  std::string name;
  int64_t points = 0;
  std::vector<QvDataType> types;
  std::vector<QvZoneNum> shareZones;
  std::vector<ValueSnapshot> values;  // one per variable
};

struct DataSetSnapshot {
  std::string title;
  std::string loaderName;
  std::vector<std::string> variables;
  std::vector<ZoneSnapshot> zones;
};

// A copy of everything in dataSet: names, zones, types, shares and values.
DataSetSnapshot takeSnapshot(const qvsdkbase::DataSet& dataSet);

// Empty when the two are the same bit for bit; otherwise a one-line description of the first
// difference found.
std::string firstDifference(const DataSetSnapshot& before, const DataSetSnapshot& after);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_PROGRAM_DATASET_SNAPSHOT_H
