#include "tools/bench/generator/out_file_layout.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace cvl::bench {
namespace {

struct Quantity {
  std::string_view name;
  std::string_view unit;
  ValueKind kind;
};

constexpr Quantity kCrank{"Crank", "(DEG)", ValueKind::CrankAngle};
constexpr Quantity kStep{"Cycle_Number", "(number)", ValueKind::StepCount};

// The quantities after the first two columns, in the order they are handed out.
constexpr std::array<Quantity, 14> kQuantities{{
    {"Pressure", "(Pa)", ValueKind::Pressure},
    {"Temperature", "(K)", ValueKind::Temperature},
    {"Mass", "(kg)", ValueKind::Mass},
    {"Mass_Flow_Rate", "(kg/s)", ValueKind::SignedFlow},
    {"Density", "(kg/m3)", ValueKind::Density},
    {"Velocity", "(m/s)", ValueKind::Velocity},
    {"Integrated_HR", "(J)", ValueKind::Energy},
    {"HR_Rate", "(J/DEG)", ValueKind::HeatRate},
    {"Mass_Fraction", "(dimensionless)", ValueKind::Fraction},
    {"Volume", "(m3)", ValueKind::Volume},
    {"TKE", "(m2/s2)", ValueKind::Turbulence},
    {"Parcel_Flow_Rate", "(kg/s)", ValueKind::SignedFlow},
    {"Equiv_Ratio", "(none)", ValueKind::Density},
    {"Wall_Heat_Flux", "(W/m2)", ValueKind::HeatRate},
}};

// The index-th variable of the sequence crank, step counter, then the quantities, numbered
// _1, _2, ... on every pass after the first.
GeneratedColumn variableAt(int32_t index) {
  GeneratedColumn column;
  if (index < 2) {
    const Quantity& quantity = index == 0 ? kCrank : kStep;
    column.name = quantity.name;
    column.unit = quantity.unit;
    column.kind = quantity.kind;
    return column;
  }
  const auto position = static_cast<size_t>(index - 2);
  const Quantity& quantity = kQuantities[position % kQuantities.size()];
  const size_t pass = position / kQuantities.size();
  column.name = quantity.name;
  if (pass > 0) column.name += "_" + std::to_string(pass);
  column.unit = quantity.unit;
  column.kind = quantity.kind;
  return column;
}

int32_t widthFor(const GeneratedColumn& column) {
  const size_t longest = std::max({column.name.size(), column.unit.size(), column.location.size()});
  return std::max(kMinColumnWidth, static_cast<int32_t>(longest) + 2);
}

}  // namespace

bool makeLayout(const LayoutOptions& options, std::vector<GeneratedColumn>& columns,
                std::string& error) {
  columns.clear();
  if (options.columns < 1) {
    error = "the file needs at least one column";
    return false;
  }
  if (options.regions < 0 || options.sharedColumns < 0) {
    error = "regions and shared columns cannot be negative";
    return false;
  }
  if (options.regions == 0) {
    if (options.sharedColumns > 0) {
      error = "shared columns need regions";
      return false;
    }
    for (int32_t c = 0; c < options.columns; ++c) columns.push_back(variableAt(c));
  } else {
    const int32_t regionColumns = options.columns - options.sharedColumns;
    if (regionColumns < options.regions || regionColumns % options.regions != 0) {
      error = "the " + std::to_string(regionColumns) +
              " columns after the shared ones do not divide evenly among " +
              std::to_string(options.regions) + " regions";
      return false;
    }
    for (int32_t c = 0; c < options.sharedColumns; ++c) {
      GeneratedColumn column = variableAt(c);
      column.location = "(none)";
      columns.push_back(std::move(column));
    }
    const int32_t perRegion = regionColumns / options.regions;
    for (int32_t region = 0; region < options.regions; ++region) {
      for (int32_t v = 0; v < perRegion; ++v) {
        GeneratedColumn column = variableAt(options.sharedColumns + v);
        column.location = "Region" + std::to_string(region);
        columns.push_back(std::move(column));
      }
    }
  }
  for (GeneratedColumn& column : columns) column.width = widthFor(column);
  return true;
}

}  // namespace cvl::bench
