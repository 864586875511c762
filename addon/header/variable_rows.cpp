// Lines 3 to 5: variable names, their qualifiers, and the locations that make the zones.
#include "addon/header/variable_rows.h"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/filesystem/path.hpp>
#include <cstddef>
#include <cstdint>
#include <locale>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "addon/header/comment_lines.h"
#include "standins/common_strutil/scanner.h"

namespace cvl {

namespace {

// Marker words compare without regard to case, under the process's global locale.
bool isMarker(std::string_view entry, std::string_view marker) {
  return boost::algorithm::iequals(entry, marker, std::locale());
}

// The qualifier words that carry no unit; "(number)" also makes the column an integer column.
bool isUnitless(std::string_view qualifier) {
  return isMarker(qualifier, "(number)") || isMarker(qualifier, "(dimensionless)") ||
         isMarker(qualifier, "(none)");
}

// The file's stem: its last path component without the final extension, as path::stem gives it
// for a regular file. path::stem itself compares paths through a function that may not throw
// but allocates, so that running out of memory there would end the host's process; the same rule
// is applied here to the file name as a string instead. (path::stem keeps the names "." and ".."
// whole, but they name folders, which the line file does not open.)
std::string fileStem(const std::string& fileName) {
  std::string name = boost::filesystem::path(fileName).filename().string();
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

// What lines 3 to 5 give for one column before its variable is decided. The views point into the
// scanners' copies of the lines.
struct ColumnEntry {
  std::string_view name;
  std::string_view qualifier;
  int32_t zone;
  bool shared;
};

// Reads the three rows column by column into entries, one per name, and fills info's zones.
// False after the first column that lacks a location or a qualifier, reported against the file.
bool readColumnEntries(const qorvian::qorutilutil::AsciiFile& file, qorvian::Scanner& names,
                       qorvian::Scanner& qualifiers, qorvian::Scanner& locations,
                       std::vector<ColumnEntry>& entries, OutFileInfo& info) {
  const std::string stem = fileStem(file.fileName());
  info.numZones = 1;
  const bool hasLocations = locations.hasNextToken();
  if (!hasLocations) info.zoneNames.push_back(stem);
  std::string previousLocation;

  while (names.hasNextToken()) {
    ColumnEntry entry{{}, {}, 0, false};
    if (hasLocations) {
      if (!locations.hasNextToken()) {
        file.error("Location row is missing an entry");
        return false;
      }
      const std::string_view location = locations.nextToken();
      entry.shared = isMarker(location, "(none)");
      // A shared column leaves the run of locations as it is; any change of location, also back
      // to an earlier one, opens the next zone.
      if (!entry.shared && location != previousLocation) {
        if (!previousLocation.empty()) ++info.numZones;
        previousLocation.assign(location);
        info.zoneNames.push_back(stem + ' ' + previousLocation);
      }
      entry.zone = info.numZones - 1;
    }
    entry.name = names.nextToken();
    if (!qualifiers.hasNextToken()) {
      file.error("Secondary Variable row in header is missing an entry");
      return false;
    }
    entry.qualifier = qualifiers.nextToken();
    entries.push_back(entry);
  }

  // Locations that are all "(none)" name no zone: the file is then one zone named after its
  // stem, as without locations, and its shared columns feed that zone.
  if (info.zoneNames.empty() && !entries.empty()) info.zoneNames.push_back(stem);
  return true;
}

// Makes info's column records and variables from entries, now that the zone count is known.
void numberVariables(const std::vector<ColumnEntry>& entries, OutFileInfo& info) {
  const bool oneZone = info.numZones == 1;
  const auto numColumns = static_cast<size_t>(info.numColumns > 0 ? info.numColumns : 0);
  // Position of each full name among the distinct full names, in the order of their first
  // column, so that a wide header is named in linear time; and the variable of each position.
  std::unordered_map<std::string, size_t> distinctIndex;
  std::vector<VariableRef> distinctVariables;
  // One zone: the variable of each column.
  std::vector<VariableRef> columnVariables;
  (oneZone ? columnVariables : distinctVariables).reserve(entries.size());
  info.reserveColumns(entries.size());
  for (size_t column = 0; column < entries.size(); ++column) {
    const ColumnEntry& entry = entries[column];
    std::string fullName(entry.name);
    if (!isUnitless(entry.qualifier)) {
      fullName += ' ';
      fullName += entry.qualifier;
    }
    const QvDataType dataType = isMarker(entry.qualifier, "(number)") ? kTypeInt32 : kTypeDouble;
    const auto [known, isNew] = distinctIndex.try_emplace(fullName, distinctIndex.size());
    const size_t distinct = known->second;
    // One zone: every column is a variable of its own, in column order. A column past the column
    // row's count is not given its own: it keeps the position of its full name among the
    // distinct names, and so goes to the variable of the column at that position (at or before
    // this one).
    if (oneZone) {
      columnVariables.push_back(info.addVariable(fullName, dataType));
    } else if (isNew) {
      distinctVariables.push_back(info.addVariable(fullName, dataType));
    }
    const VariableRef variable = !oneZone              ? distinctVariables[distinct]
                                 : column < numColumns ? columnVariables.back()
                                                       : columnVariables[distinct];
    info.addColumn({std::move(fullName), dataType, variable, entry.zone, entry.shared});
  }
  info.numVariables = static_cast<int32_t>(info.variableNames().size());
}

}  // namespace

bool readVariableRows(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info) {
  qorvian::Scanner names;
  qorvian::Scanner qualifiers;
  qorvian::Scanner locations;
  if (!readCommentLine(file, names) || !readCommentLine(file, qualifiers) ||
      !readCommentLine(file, locations)) {
    return false;
  }
  // The variables depend on the zone count, which only the whole location row gives: the rows
  // are read first, and the columns numbered after them.
  std::vector<ColumnEntry> entries;
  if (!readColumnEntries(file, names, qualifiers, locations, entries, info)) return false;
  numberVariables(entries, info);
  return true;
}

}  // namespace cvl
