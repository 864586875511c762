#include "tools/python/native/row_blocks.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "tools/python/native/load_session.h"

namespace cvl::python {

RowBlocks::RowBlocks(HeaderFacts facts) : facts_(std::move(facts)) {
  const size_t numVariables = facts_.variables.size();
  const size_t numZones = facts_.zoneNames.size();
  const auto numValues = static_cast<size_t>(std::max(facts_.numValues, 0));
  if (numValues > facts_.columns.size() || facts_.integer.size() < numVariables) {
    throw std::invalid_argument("the header's read columns are not all described");
  }
  // A variable that a shared column feeds is held by the first zone and shared by the others,
  // also where a column of another zone names it: the host gives that zone the first zone's array.
  std::vector<bool> shared(numVariables, false);
  for (size_t c = 0; c < numValues; ++c) {
    const HeaderColumn& column = facts_.columns[c];
    if (column.variable < 0 || static_cast<size_t>(column.variable) >= numVariables ||
        column.zone < 0 || static_cast<size_t>(column.zone) >= numZones) {
      throw std::invalid_argument("a column of the header names no variable or zone of its own");
    }
    if (column.shared) shared[static_cast<size_t>(column.variable)] = true;
  }
  auto owner = [&](int32_t zone, int32_t variable) {
    return shared[static_cast<size_t>(variable)] ? 0 : zone;
  };
  auto findArray = [&](int32_t zone, int32_t variable) {
    return std::find_if(arrays_.begin(), arrays_.end(), [&](const Array& array) {
      return array.zone == zone && array.variable == variable;
    });
  };
  for (size_t c = 0; c < numValues; ++c) {
    const HeaderColumn& column = facts_.columns[c];
    const int32_t zone = owner(column.zone, column.variable);
    auto found = findArray(zone, column.variable);
    if (found == arrays_.end()) {
      arrays_.push_back(
          {zone, column.variable, facts_.integer[static_cast<size_t>(column.variable)]});
      found = arrays_.end() - 1;
    }
    columnArrays_.push_back(static_cast<size_t>(found - arrays_.begin()));
  }
  for (size_t z = 0; z < numZones; ++z) {
    std::vector<ZoneVariable>& has = zones_.emplace_back();
    for (size_t v = 0; v < numVariables; ++v) {
      const auto variable = static_cast<int32_t>(v);
      const int32_t zone = owner(static_cast<int32_t>(z), variable);
      const auto found = findArray(zone, variable);
      if (found == arrays_.end()) continue;
      has.push_back(
          {variable, static_cast<size_t>(found - arrays_.begin()), z > 0 && shared[v] ? 1 : 0});
    }
  }
}

int64_t RowBlocks::readBlock(std::string_view lines, int64_t rows, std::span<void* const> values,
                             const char*& fault) const {
  fault = nullptr;
  if (values.size() != arrays_.size()) {
    throw std::invalid_argument("readBlock takes one pointer per array");
  }
  if (rows == 0) return 0;
  std::vector<rows::ColumnTarget> targets;
  targets.reserve(columnArrays_.size());
  for (const size_t array : columnArrays_)
    targets.push_back({values[array], arrays_[array].integer});
  return packageApi().readRows(lines.data(), lines.size(), rows, targets.data(),
                               targets.data() + targets.size(), fault);
}

}  // namespace cvl::python
