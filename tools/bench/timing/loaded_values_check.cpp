#include "tools/bench/timing/loaded_values_check.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "tools/bench/timing/floor_loop.h"
#include "tools/bench/timing/mapped_file.h"

namespace cvl::bench {
namespace {

std::vector<std::string_view> tokensOf(std::string_view line) {
  std::vector<std::string_view> tokens;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
    const size_t start = i;
    while (i < line.size() && static_cast<unsigned char>(line[i]) > ' ') ++i;
    if (i > start) tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x | 0x20) == (y | 0x20);
         });
}

// Where the values of one column are stored.
struct ColumnPlace {
  size_t zone = 0;      // 0-based zone of the dataset
  size_t variable = 0;  // 0-based variable
};

// The header's reading of the columns: the variable of each column (a name and its unit, or
// the name alone after a marker word), its zone (a run of equal locations; "(none)" columns
// are stored in the first zone), and the counts of variables and zones.
struct HeaderReading {
  std::vector<ColumnPlace> places;
  size_t variables = 0;
  size_t zones = 0;
};

HeaderReading readHeader(const std::vector<std::string_view>& lines, size_t valuesPerRow) {
  const auto names = tokensOf(lines[2]);
  const auto units = tokensOf(lines[3]);
  const auto locations = tokensOf(lines[4]);
  HeaderReading reading;
  // Token 0 of each line is the "#".
  const size_t columns = std::min(names.size(), units.size());
  if (columns == 0) return reading;
  if (locations.size() <= 1) {
    // No locations: one zone, every column its own variable.
    const size_t used = std::min(columns - 1, valuesPerRow);
    for (size_t c = 0; c < used; ++c) reading.places.push_back({0, c});
    reading.variables = used;
    reading.zones = 1;
    return reading;
  }
  std::vector<std::string> variableNames;
  std::string_view previous;
  size_t zone = 0;
  for (size_t c = 1; c < columns && c < locations.size(); ++c) {
    const std::string_view unit = units[c];
    std::string name(names[c]);
    if (!equalsIgnoringCase(unit, "(number)") && !equalsIgnoringCase(unit, "(dimensionless)") &&
        !equalsIgnoringCase(unit, "(none)")) {
      name += " ";
      name += unit;
    }
    const auto found = std::find(variableNames.begin(), variableNames.end(), name);
    const auto variable = static_cast<size_t>(found - variableNames.begin());
    if (found == variableNames.end()) variableNames.push_back(name);
    const bool shared = equalsIgnoringCase(locations[c], "(none)");
    if (!shared && locations[c] != previous) {
      if (!previous.empty()) ++zone;
      previous = locations[c];
    }
    reading.places.push_back({shared ? 0 : zone, variable});
  }
  reading.variables = variableNames.size();
  reading.zones = zone + 1;
  return reading;
}

bool compareRow(std::string_view row, uint64_t rowIndex, const HeaderReading& reading,
                const qvsdkbase::DataSet& dataSet, std::string& error) {
  const auto tokens = tokensOf(row);
  if (tokens.size() < reading.places.size()) {
    error = "row " + std::to_string(rowIndex) + " has too few values";
    return false;
  }
  for (size_t c = 0; c < reading.places.size(); ++c) {
    const ColumnPlace& place = reading.places[c];
    const qvsdkbase::ValueArray& array = *dataSet.zones[place.zone].values[place.variable];
    const auto at = static_cast<int64_t>(rowIndex);
    bool equal = false;
    if (array.type == QV_DATATYPE_INT32) {
      int64_t expected = 0;
      std::from_chars(tokens[c].data(), tokens[c].data() + tokens[c].size(), expected);
      equal = static_cast<int32_t>(expected) == static_cast<const int32_t*>(array.data)[at];
    } else {
      double expected = 0.0;
      std::from_chars(tokens[c].data(), tokens[c].data() + tokens[c].size(), expected);
      equal = expected == static_cast<const double*>(array.data)[at];
    }
    if (!equal) {
      error = "row " + std::to_string(rowIndex) + ", column " + std::to_string(c + 1) + ": file " +
              std::string(tokens[c]) + ", host " + std::to_string(array.asDouble(at));
      return false;
    }
  }
  return true;
}

}  // namespace

bool checkLoadedValues(const std::string& path, const qvsdkbase::DataSet& dataSet,
                       std::string& summary, std::string& error) {
  MappedFile file;
  if (!file.open(path, error)) return false;
  const std::string_view text = file.text();

  // Start of every header line and of the rows to compare, in one pass over the line ends.
  std::vector<std::string_view> header;
  std::string_view rest = text;
  for (int i = 0; i < kHeaderLines; ++i) {
    const size_t end = rest.find('\n');
    if (end == std::string_view::npos) {
      error = "the file ends inside its header";
      return false;
    }
    header.push_back(rest.substr(0, end));
    rest.remove_prefix(end + 1);
  }
  const auto firstRow = tokensOf(rest.substr(0, rest.find('\n')));
  const HeaderReading reading = readHeader(header, firstRow.size());

  std::vector<uint64_t> rowStarts;  // offset in rest of each row
  rowStarts.push_back(0);
  for (const char* p = rest.data(); p != rest.data() + rest.size();) {
    const auto left = static_cast<size_t>(rest.data() + rest.size() - p);
    const auto* newline = static_cast<const char*>(std::memchr(p, '\n', left));
    if (newline == nullptr || newline + 1 == rest.data() + rest.size()) break;
    p = newline + 1;
    rowStarts.push_back(static_cast<uint64_t>(p - rest.data()));
  }
  const uint64_t rows = rowStarts.size();

  if (dataSet.zones.size() != reading.zones || dataSet.variables.size() != reading.variables) {
    error = "the dataset holds " + std::to_string(dataSet.zones.size()) + " zones and " +
            std::to_string(dataSet.variables.size()) + " variables; the header gives " +
            std::to_string(reading.zones) + " and " + std::to_string(reading.variables);
    return false;
  }
  for (const qvsdkbase::Zone& zone : dataSet.zones) {
    if (zone.points != static_cast<int64_t>(rows)) {
      error = "zone " + zone.name + " holds " + std::to_string(zone.points) + " points; the file " +
              std::to_string(rows) + " rows";
      return false;
    }
  }

  // The first two rows, the middle one and the last two, each once.
  std::vector<uint64_t> chosen;
  for (const uint64_t row : {uint64_t{0}, uint64_t{1}, rows / 2, rows - 2, rows - 1}) {
    if (row < rows && std::find(chosen.begin(), chosen.end(), row) == chosen.end()) {
      chosen.push_back(row);
    }
  }
  for (const uint64_t row : chosen) {
    const std::string_view line = rest.substr(rowStarts[row]);
    if (!compareRow(line.substr(0, line.find('\n')), row, reading, dataSet, error)) return false;
  }
  summary = std::to_string(chosen.size()) + " row(s) (first, middle, last) x " +
            std::to_string(reading.places.size()) + " columns equal in " +
            std::to_string(reading.zones) + " zone(s), " + std::to_string(rows) + " points each";
  return true;
}

}  // namespace cvl::bench
