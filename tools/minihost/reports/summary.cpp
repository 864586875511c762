#include "tools/minihost/reports/summary.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <span>

#include "tools/minihost/host/value_view.h"
#include "tools/minihost/reports/number_text.h"
#include "tools/minihost/reports/text_table.h"

namespace cvl::minihost {

namespace {

using Align = TextTable::Align;

const char* typeName(const ValueView& values) {
  return values.holdsIntegers() ? "int32" : "double";
}

// "from zone 1: Crank (DEG), Time (s)", one group per zone shared; "-" when nothing is shared.
std::string sharesText(const qvsdkbase::Zone& zone, const std::vector<std::string>& variables) {
  std::map<QvZoneNum, std::string> byZone;
  for (size_t v = 0; v < zone.shareZones.size() && v < variables.size(); ++v) {
    if (zone.shareZones[v] == 0) continue;
    std::string& names = byZone[zone.shareZones[v]];
    names += (names.empty() ? "" : ", ") + variables[v];
  }
  if (byZone.empty()) return "-";
  std::string text;
  for (const auto& [shared, names] : byZone) {
    text += (text.empty() ? "" : "; ") + ("from zone " + std::to_string(shared) + ": ") + names;
  }
  return text;
}

// The smallest and largest value, "-" for both when there is none.
std::pair<std::string, std::string> rangeText(std::span<const int32_t> values) {
  if (values.empty()) return {"-", "-"};
  const auto [low, high] = std::ranges::minmax_element(values);
  return {std::to_string(*low), std::to_string(*high)};
}

// The smallest and largest value, NaN left out; "-" for both when none is left.
std::pair<std::string, std::string> rangeText(std::span<const double> values) {
  const double* data = values.data();
  const auto size = static_cast<int64_t>(values.size());
  // Without a branch per value, and in four independent chains, so that the comparisons of
  // successive values overlap (and the compiler may use vector minimum and maximum): a NaN fails
  // both comparisons and leaves low and high as they were.
  constexpr int kChains = 4;
  double lows[kChains];
  double highs[kChains];
  for (int k = 0; k < kChains; ++k) {
    lows[k] = std::numeric_limits<double>::infinity();
    highs[k] = -lows[k];
  }
  int64_t i = 0;
  for (; i + kChains <= size; i += kChains) {
    for (int k = 0; k < kChains; ++k) {
      const double value = data[i + k];
      lows[k] = value < lows[k] ? value : lows[k];
      highs[k] = value > highs[k] ? value : highs[k];
    }
  }
  for (; i < size; ++i) {
    lows[0] = data[i] < lows[0] ? data[i] : lows[0];
    highs[0] = data[i] > highs[0] ? data[i] : highs[0];
  }
  double low = lows[0];
  double high = highs[0];
  for (int k = 1; k < kChains; ++k) {
    low = lows[k] < low ? lows[k] : low;
    high = highs[k] > high ? highs[k] : high;
  }
  // Nothing passed the comparisons: every value is NaN (or there is none).
  if (low > high) return {"-", "-"};
  return {numberText(low), numberText(high)};
}

void printVariables(std::ostream& out, const qvsdkbase::DataSet& dataSet) {
  out << "Variables: " << dataSet.variables.size() << '\n';
  TextTable table({{"#", Align::Right}, {"Name", Align::Left}, {"Type", Align::Left}});
  // Every zone holds a variable in the same type: the first zone's tells it.
  const qvsdkbase::Zone* first = dataSet.zones.empty() ? nullptr : &dataSet.zones.front();
  for (size_t v = 0; v < dataSet.variables.size(); ++v) {
    const bool typed = first != nullptr && v < first->values.size();
    table.addRow({std::to_string(v + 1), dataSet.variables[v],
                  typed ? typeName(ValueView(*first->values[v])) : "-"});
  }
  table.print(out, "  ");
}

void printZones(std::ostream& out, const qvsdkbase::DataSet& dataSet) {
  out << "Zones: " << dataSet.zones.size() << '\n';
  if (dataSet.zones.empty()) return;
  TextTable table({{"#", Align::Right},
                   {"Name", Align::Left},
                   {"Points", Align::Right},
                   {"Shared variables", Align::Left}});
  for (size_t z = 0; z < dataSet.zones.size(); ++z) {
    const qvsdkbase::Zone& zone = dataSet.zones[z];
    table.addRow({std::to_string(z + 1), zone.name, std::to_string(zone.points),
                  sharesText(zone, dataSet.variables)});
  }
  table.print(out, "  ");
}

void printRanges(std::ostream& out, const qvsdkbase::DataSet& dataSet) {
  if (dataSet.zones.empty()) return;
  out << "Ranges:\n";
  TextTable table({{"Zone", Align::Right},
                   {"Variable", Align::Left},
                   {"Type", Align::Left},
                   {"Min", Align::Right},
                   {"Max", Align::Right},
                   {"Values", Align::Left}});
  for (size_t z = 0; z < dataSet.zones.size(); ++z) {
    const qvsdkbase::Zone& zone = dataSet.zones[z];
    for (size_t v = 0; v < zone.values.size() && v < dataSet.variables.size(); ++v) {
      const ValueView values(*zone.values[v]);
      const auto [low, high] = values.visit([](auto numbers) { return rangeText(numbers); });
      const QvZoneNum shared = v < zone.shareZones.size() ? zone.shareZones[v] : 0;
      table.addRow({std::to_string(z + 1), dataSet.variables[v], typeName(values), low, high,
                    shared == 0 ? "own" : "zone " + std::to_string(shared)});
    }
  }
  table.print(out, "  ");
}

void printInstructions(std::ostream& out,
                       const std::optional<std::vector<std::string>>& instructions) {
  if (!instructions) {
    out << "Load instructions: none handed back\n";
    return;
  }
  out << "Load instructions: " << instructions->size() << '\n';
  TextTable table({{"#", Align::Right}, {"Entry", Align::Left}});
  for (size_t i = 0; i < instructions->size(); ++i) {
    table.addRow({std::to_string(i + 1), (*instructions)[i]});
  }
  table.print(out, "  ");
}

}  // namespace

void printSummary(std::ostream& out, const qvsdkbase::DataSet* dataSet,
                  const std::optional<std::vector<std::string>>& instructions) {
  if (dataSet == nullptr) {
    out << "Dataset: none\n";
  } else {
    out << "Dataset: " << dataSet->title << '\n';
    out << "Loader: " << dataSet->loaderName << '\n';
    printVariables(out, *dataSet);
    printZones(out, *dataSet);
    printRanges(out, *dataSet);
  }
  printInstructions(out, instructions);
}

}  // namespace cvl::minihost
