// The CONVERGE output file (*.out) as this loader reads it, and OutFileInfo, the description of
// one such file.
//
// A file is a plain-text table: five header lines, then one data row per point. Lines count
// from 1; every line is read as white-space separated tokens.
//
//   line 1  banner line             "#", then "CONVERGE" in any case; the rest is ignored
//   line 2  column row              "#", "column" in any case, then the numbers 1, 2, 3, ...
//   line 3  variable name row       "#", then one name per column
//   line 4  secondary variable row  "#", then per column a unit, or one of the marker words
//                                   "(number)" (32-bit integer, no unit), "(dimensionless)" or
//                                   "(none)" (no unit); any case
//   line 5  location row            "#", then nothing, or per column a location; "(none)"
//                                   (any case) marks a column shared by all of the file's zones
//   line 6+ data rows               one value per column; every line after the fifth is a point
//
// Example, a file case.out with one shared column and two regions:
//
//   # CONVERGE 4.0.3/  Aug  6 2024       Run Date:Wed Jun  4 14:16:41 2025
//   # column        1                2                3                4                5
//   #           Crank             Mass             Temp             Mass             Temp
//   #           (DEG)             (kg)              (K)             (kg)              (K)
//   #          (none)          Region0          Region0          Region1          Region1
//      -3.7800000e+02    1.2000000e-03    3.0000000e+02    1.1000000e-03    3.1000000e+02
//
// Variables are named by name and unit ("Crank (DEG)", "Mass (kg)"); a marker word adds no unit.
// Each run of columns with the same location is one zone, named after the file's stem and the
// location ("case Region0", "case Region1"); a location that comes back after another opens a
// new zone of the same name. A file without locations, or whose locations are all "(none)", is
// one zone named after its stem ("case"). Here the variables are Crank (DEG), Mass (kg) and
// Temp (K); "Crank (DEG)" is stored once, in zone "case Region0", and shared by zone
// "case Region1".
//
// With one zone, trailing columns may lack values: the first data row decides how many columns
// are read, and every column it fills is a variable of its own (repeated names included). With
// several zones the first data row must fill every column of the column row, and every one of
// them must be named on the variable name row.
#ifndef CVL_ADDON_HEADER_OUT_FILE_INFO_H
#define CVL_ADDON_HEADER_OUT_FILE_INFO_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "standins/qorutil/qorutil_api.h"

namespace cvl {

// The host's data type codes (QV_DATATYPE_DOUBLE, QV_DATATYPE_INT32) as typed constants.
inline constexpr QvDataType kTypeDouble = 2;  // 8-byte double: every column but "(number)"
inline constexpr QvDataType kTypeInt32 = 3;   // 4-byte integer: a "(number)" column

// The dataset title that an accepted banner line gives.
inline constexpr const char* kDataSetTitle = "CONVERGE Data";

// Which variable of its file a column's values go to. Only OutFileInfo::addVariable makes one,
// and a record's variables are never removed, so that a column's reference always names a
// variable of the record it was added to.
class VariableRef {
 public:
  // 0-based position of the variable in the record's variable order.
  int32_t index() const { return index_; }
  bool operator==(const VariableRef&) const = default;

 private:
  friend class OutFileInfo;
  explicit VariableRef(int32_t index) : index_(index) {}
  int32_t index_;
};

// One column of a file as lines 3 to 5 describe it: one per name on the variable name row, in
// column order. readVariableRows makes each record whole; nothing changes it afterwards.
struct Column {
  std::string name;                   // its full variable name: "name unit", or the name alone
  QvDataType dataType = kTypeDouble;  // the type its own qualifier gives
  VariableRef variable;               // the variable its values go to
  int32_t zone = 0;                   // 0-based zone within the file
  bool shared = false;                // location "(none)": its values go to the file's first
                                      // zone, shared by the file's other zones

  bool operator==(const Column&) const = default;
};

// The description of one file, filled by readOutFileHeader. Comes in fresh (empty title, no
// variable, column or zone name); every list is appended to, never cleared.
//
// The variables are every variable that the header describes, in order, each with its full name
// and the type its values are read as. The dataset gets the first numVariables of them: their
// names name the dataset's variables and are compared between files; the types of all of them
// go to the host with each zone and are compared between files. Each column refers to its
// variable, and the values of a column are read by its variable's type.
//
// Where the file format makes the record irregular, it stays so:
// - A column's own name and type may differ from its variable's. Two columns with one full name
//   feed one variable, which has the type of the first of them: a "(number)" column whose name
//   first came on a double column is read as doubles. In a one-zone file a column past the
//   column row's count feeds the variable at the position of its name among the distinct names,
//   whatever that variable is called.
// - In a one-zone file every named column is a variable of its own, but the dataset gets only the
//   first numValues of them (numVariables is then below the number of variables): the others,
//   trailing columns without values, stay listed for their types, so that two one-zone files
//   whose headers differ there are refused as having different data types.
class OutFileInfo {
 public:
  std::string title;         // "CONVERGE Data" once the banner line is accepted
  int64_t numPoints = 0;     // number of data rows: the file's line count minus 5
  int32_t numColumns = 0;    // count of the numbers on the column row
  int32_t numValues = 0;     // values on the first data row; every row is read for this many
  int32_t numVariables = 0;  // the dataset's variables: the first numVariables of variableNames
  int32_t numZones = 0;      // zones of the file as the location row gives them; at least 1
  std::vector<std::string> zoneNames;  // name of each zone, in zone order

  // Adds a variable after the others and returns the reference to it.
  VariableRef addVariable(std::string name, QvDataType dataType) {
    variableNames_.push_back(std::move(name));
    variableTypes_.push_back(dataType);
    return VariableRef(static_cast<int32_t>(variableTypes_.size() - 1));
  }
  // Adds a column after the others. REQUIRES: column.variable was made by this record.
  void addColumn(Column column) { columns_.push_back(std::move(column)); }
  // Makes room for count columns.
  void reserveColumns(size_t count) { columns_.reserve(count); }

  // Every variable's full name and data type, in variable order.
  const std::vector<std::string>& variableNames() const { return variableNames_; }
  const std::vector<QvDataType>& variableTypes() const { return variableTypes_; }
  // The names of the dataset's variables: the first numVariables (at most all of them).
  std::span<const std::string> dataSetVariableNames() const {
    const auto count = static_cast<size_t>(
        std::clamp<int64_t>(numVariables, 0, static_cast<int64_t>(variableNames_.size())));
    return {variableNames_.data(), count};
  }
  // The type of the variable that ref names.
  QvDataType typeOf(VariableRef ref) const {
    return variableTypes_[static_cast<size_t>(ref.index())];
  }

  // Every named column, in column order.
  const std::vector<Column>& columns() const { return columns_; }

 private:
  std::vector<std::string> variableNames_;
  std::vector<QvDataType> variableTypes_;
  std::vector<Column> columns_;
};

}  // namespace cvl

#endif  // CVL_ADDON_HEADER_OUT_FILE_INFO_H
