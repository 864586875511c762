// Lines 3 to 5: variable names, their qualifiers, and the locations that make the zones.
#include "addon/header/variable_rows.h"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/filesystem/path.hpp>
#include <cstdint>
#include <locale>
#include <string>
#include <string_view>
#include <unordered_map>

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

}  // namespace

bool readVariableRows(qorvian::qorutilutil::AsciiFile& file, OutFileInfo& info) {
  qorvian::Scanner names;
  qorvian::Scanner qualifiers;
  qorvian::Scanner locations;
  if (!readCommentLine(file, names) || !readCommentLine(file, qualifiers) ||
      !readCommentLine(file, locations)) {
    return false;
  }

  const std::string stem = fileStem(file.fileName());
  info.numZones = 1;
  info.numVariables = 0;
  const bool hasLocations = locations.hasNextToken();
  if (!hasLocations) info.zoneNames.push_back(stem);
  std::string previousLocation;

  // Index of each full name in varNames, so that a wide header is named in linear time; the
  // first column that bears a name decides its variable.
  std::unordered_map<std::string, int32_t> variableIndex;
  std::string fullName;

  while (names.hasNextToken()) {
    if (!hasLocations) {
      info.columnShared.push_back(false);
      info.columnZone.push_back(0);
    } else if (!locations.hasNextToken()) {
      file.error("Location row is missing an entry");
      return false;
    } else {
      const std::string_view location = locations.nextToken();
      const bool shared = isMarker(location, "(none)");
      info.columnShared.push_back(shared);
      // A shared column leaves the run of locations as it is; any change of location, also back
      // to an earlier one, opens the next zone.
      if (!shared && location != previousLocation) {
        if (!previousLocation.empty()) ++info.numZones;
        previousLocation.assign(location);
        info.zoneNames.push_back(stem + ' ' + previousLocation);
      }
      info.columnZone.push_back(info.numZones - 1);
    }

    const std::string_view name = names.nextToken();
    if (!qualifiers.hasNextToken()) {
      file.error("Secondary Variable row in header is missing an entry");
      return false;
    }
    const std::string_view qualifier = qualifiers.nextToken();
    const QvDataType dataType = isMarker(qualifier, "(number)") ? kTypeInt32 : kTypeDouble;
    fullName.assign(name);
    if (!isUnitless(qualifier)) {
      fullName += ' ';
      fullName += qualifier;
    }
    info.columnNames.push_back(fullName);
    info.columnDataTypes.push_back(dataType);

    const auto [entry, isNew] =
        variableIndex.try_emplace(fullName, static_cast<int32_t>(info.varNames.size()));
    if (isNew) {
      info.varNames.push_back(fullName);
      info.varDataTypes.push_back(dataType);
    }
    info.columnVariable.push_back(entry->second);
  }

  // Locations that are all "(none)" name no zone: the file is then one zone named after its
  // stem, as without locations, and its shared columns feed that zone.
  if (info.zoneNames.empty() && !info.columnNames.empty()) info.zoneNames.push_back(stem);

  info.numVariables = static_cast<int32_t>(info.varNames.size());
  return true;
}

}  // namespace cvl
