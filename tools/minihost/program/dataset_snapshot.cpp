#include "tools/minihost/program/dataset_snapshot.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>
#include <sstream>
#include <utility>

#include "tools/minihost/host/value_view.h"
#include "tools/minihost/reports/number_text.h"

namespace cvl::minihost {

namespace {

// The values' bytes, bit for bit.
std::span<const std::byte> bytesOf(const ValueView& values) {
  return values.visit([](auto numbers) { return std::as_bytes(numbers); });
}

ValueSnapshot copyValues(const qvsdkbase::ValueArray& array) {
  auto copy = std::make_shared<qvsdkbase::ValueArray>(array.type, array.size);
  const std::span<const std::byte> bytes = bytesOf(ValueView(array));
  if (!bytes.empty()) std::memcpy(copy->data, bytes.data(), bytes.size());
  return {std::move(copy)};
}

std::string text(int32_t value) {
  return std::to_string(value);
}

std::string text(double value) {
  return numberText(value);
}

// The value at index of an array, as text: an integer as an integer.
std::string valueText(const ValueView& values, size_t index) {
  return values.visit([&](auto numbers) { return text(numbers[index]); });
}

template <typename T>
std::string listText(const std::vector<T>& list) {
  std::ostringstream text;
  for (size_t i = 0; i < list.size(); ++i) text << (i == 0 ? "" : ", ") << list[i];
  return text.str();
}

std::string compareValues(const ValueSnapshot& beforeCopy, const ValueSnapshot& afterCopy,
                          const std::string& where) {
  const qvsdkbase::ValueArray& before = *beforeCopy.copy;
  const qvsdkbase::ValueArray& after = *afterCopy.copy;
  if (before.type != after.type || before.size != after.size) {
    return where + ": value array of type " + std::to_string(before.type) + " and size " +
           std::to_string(before.size) + " became type " + std::to_string(after.type) +
           " and size " + std::to_string(after.size);
  }
  const ValueView beforeValues(before);
  const ValueView afterValues(after);
  const std::span<const std::byte> beforeBytes = bytesOf(beforeValues);
  const std::span<const std::byte> afterBytes = bytesOf(afterValues);
  const auto differs = std::ranges::mismatch(beforeBytes, afterBytes).in1;
  if (differs == beforeBytes.end()) return {};
  // Arrays of the same type and size: the byte at which they first differ is in the same value.
  const auto byte = static_cast<size_t>(differs - beforeBytes.begin());
  const size_t index = byte / (beforeBytes.size() / static_cast<size_t>(before.size));
  return where + ", point " + std::to_string(index + 1) + ": " + valueText(beforeValues, index) +
         " became " + valueText(afterValues, index);
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
