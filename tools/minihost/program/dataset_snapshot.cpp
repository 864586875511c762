#include "tools/minihost/program/dataset_snapshot.h"

#include <cstring>
#include <sstream>

#include "tools/minihost/reports/number_text.h"

namespace cvl::minihost {

namespace {

size_t valueSize(QvDataType type) {
  return type == QV_DATATYPE_INT32 ? sizeof(int32_t) : sizeof(double);
}

ValueSnapshot copyValues(const qvsdkbase::ValueArray& array) {
  ValueSnapshot copy;
  copy.type = array.type;
  copy.size = array.size;
  copy.bytes.resize(static_cast<size_t>(array.size) * valueSize(array.type));
  if (!copy.bytes.empty()) std::memcpy(copy.bytes.data(), array.data, copy.bytes.size());
  return copy;
}

// The value at index of a snapshot, as text.
std::string valueText(const ValueSnapshot& values, size_t index) {
  if (values.type == QV_DATATYPE_INT32) {
    int32_t value = 0;
    std::memcpy(&value, values.bytes.data() + index * sizeof(int32_t), sizeof value);
    return std::to_string(value);
  }
  double value = 0;
  std::memcpy(&value, values.bytes.data() + index * sizeof(double), sizeof value);
  return numberText(value);
}

template <typename T>
std::string listText(const std::vector<T>& list) {
  std::ostringstream text;
  for (size_t i = 0; i < list.size(); ++i) text << (i == 0 ? "" : ", ") << list[i];
  return text.str();
}

std::string compareValues(const ValueSnapshot& before, const ValueSnapshot& after,
                          const std::string& where) {
  if (before.type != after.type || before.size != after.size) {
    return where + ": value array of type " + std::to_string(before.type) + " and size " +
           std::to_string(before.size) + " became type " + std::to_string(after.type) +
           " and size " + std::to_string(after.size);
  }
  if (before.bytes == after.bytes) return {};
  size_t byte = 0;
  while (before.bytes[byte] == after.bytes[byte]) ++byte;
  const size_t index = byte / valueSize(before.type);
  return where + ", point " + std::to_string(index + 1) + ": " + valueText(before, index) +
         " became " + valueText(after, index);
}

std::string compareZones(const ZoneSnapshot& before, const ZoneSnapshot& after,
                         const std::vector<std::string>& variables, size_t zoneNumber) {
  const std::string where = "zone " + std::to_string(zoneNumber);
  if (before.name != after.name) {
    return where + ": name \"" + before.name + "\" became \"" + after.name + "\"";
  }
  if (before.points != after.points) {
    return where + ": " + std::to_string(before.points) + " points became " +
           std::to_string(after.points);
  }
  if (before.types != after.types) {
    return where + ": data types " + listText(before.types) + " became " + listText(after.types);
  }
  if (before.shareZones != after.shareZones) {
    return where + ": shared zones " + listText(before.shareZones) + " became " +
           listText(after.shareZones);
  }
  for (size_t v = 0; v < before.values.size() && v < after.values.size(); ++v) {
    const std::string name = v < variables.size() ? variables[v] : std::to_string(v + 1);
    std::string difference =
        compareValues(before.values[v], after.values[v], where + ", variable \"" + name + "\"");
    if (!difference.empty()) return difference;
  }
  return {};
}

}  // namespace

DataSetSnapshot takeSnapshot(const qvsdkbase::DataSet& dataSet) {
  DataSetSnapshot copy{dataSet.title, dataSet.loaderName, dataSet.variables, {}};
  for (const qvsdkbase::Zone& zone : dataSet.zones) {
    ZoneSnapshot& zoneCopy = copy.zones.emplace_back();
    zoneCopy.name = zone.name;
    zoneCopy.points = zone.points;
    zoneCopy.types = zone.types;
    zoneCopy.shareZones = zone.shareZones;
    for (const auto& values : zone.values) zoneCopy.values.push_back(copyValues(*values));
  }
  return copy;
}

std::string firstDifference(const DataSetSnapshot& before, const DataSetSnapshot& after) {
  if (before.title != after.title) {
    return "title \"" + before.title + "\" became \"" + after.title + "\"";
  }
  if (before.loaderName != after.loaderName) {
    return "loader name \"" + before.loaderName + "\" became \"" + after.loaderName + "\"";
  }
  if (before.variables != after.variables) {
    return "variables \"" + listText(before.variables) + "\" became \"" +
           listText(after.variables) + "\"";
  }
  if (before.zones.size() != after.zones.size()) {
    return std::to_string(before.zones.size()) + " zones became " +
           std::to_string(after.zones.size());
  }
  for (size_t z = 0; z < before.zones.size(); ++z) {
    std::string difference = compareZones(before.zones[z], after.zones[z], before.variables, z + 1);
    if (!difference.empty()) return difference;
  }
  return {};
}

}  // namespace cvl::minihost
