// The data row reader: the hot path of every load. Each value array is looked up once per
// column; the rows are then split and scanned in place, a window of whole lines at a time, and
// every value goes straight into the host's memory.
#include "reader/data_rows.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "host/qorutil_api.h"
#include "reader/line_block_tokens.h"
#include "reader/padded_number.h"

namespace cvl {
namespace {

namespace paddednumber = qorvian::paddednumber;
using qorvian::fastdecimal::Parsed;
using qorvian::qorutilutil::AsciiFile;

constexpr const char* kMissingDouble = "Invalid or missing double precision value";
constexpr const char* kMissingInteger = "Invalid or missing integer value";
constexpr const char* kTooManyValues = "Too many values";
constexpr std::string_view kFileChanged = "File changed or could not be read while loading";
constexpr const char* kNoValueArray = "Unable to access the values of the dataset";

// Where the values of one column go: element r of the array receives row r. The array belongs
// to the host and holds doubles, or 32-bit integers when isInteger is set.
struct ColumnTarget {
  void* values;
  bool isInteger;
};

// Fills targets with one entry per read column, in column order. False when the record does not
// describe a column completely or the host gives no array for one; nothing is reported here.
bool lookUpColumnTargets(const OutFileInfo& info, QvZoneNum firstZone,
                         std::vector<ColumnTarget>& targets) {
  const auto numValues = static_cast<size_t>(info.numValues > 0 ? info.numValues : 0);
  if (info.columnVariable.size() < numValues || info.columnZone.size() < numValues ||
      info.columnShared.size() < numValues) {
    return false;
  }
  targets.reserve(numValues);
  for (size_t column = 0; column < numValues; ++column) {
    const int32_t variable = info.columnVariable[column];
    if (variable < 0 || static_cast<size_t>(variable) >= info.varDataTypes.size()) return false;
    const QvZoneNum zone =
        info.columnShared[column] ? firstZone : firstZone + info.columnZone[column];
    void* values = nullptr;
    // The host's type is not consulted: the zone was made with info.varDataTypes.
    QvDataType hostType = 0;
    QorUtilDataValueGetWritableRawPtr(zone, variable + 1, &values, &hostType);
    if (values == nullptr) return false;
    targets.push_back({values, info.varDataTypes[static_cast<size_t>(variable)] == kTypeInt32});
  }
  return true;
}

// Reports the fault of the row just read and returns false. A row that could not be read at all
// (the file shrank or failed after its lines were counted) is reported as such, not as a value
// fault.
[[gnu::cold, gnu::noinline]] bool reportRowFault(const AsciiFile& file, std::string_view message) {
  file.error(file.readFailed() ? kFileChanged : message);
  return false;
}

// Reads the values of the row at which tokens stands into element row of each column's array,
// and moves tokens on to the next row. The fault's message when the row is faulty, tokens then
// standing within it; else null.
CVL_ALWAYS_INLINE const char* readRow(qorvian::LineBlockTokens& tokens, const ColumnTarget* column,
                                      const ColumnTarget* const last, int64_t row) {
  for (; column != last; ++column) {
    const char* const begin = tokens.nextToken();
    if (column->isInteger) {
      const auto value = begin != nullptr ? paddednumber::readInt64(begin, tokens.cursor())
                                          : Parsed<int64_t>{false, 0};
      if (!value.ok) [[unlikely]] {
        return kMissingInteger;
      }
      // Only the low 32 bits are kept; a value out of range is not refused.
      static_cast<int32_t*>(column->values)[row] = static_cast<int32_t>(value.value);
    } else {
      const auto value = begin != nullptr ? paddednumber::readDouble(begin, tokens.cursor())
                                          : Parsed<double>{false, 0};
      if (!value.ok) [[unlikely]] {
        return kMissingDouble;
      }
      static_cast<double*>(column->values)[row] = value.value;
    }
  }
  // A number after the last value is a fault; any other text there is ignored.
  if (const char* const begin = tokens.nextToken()) [[unlikely]] {
    if (paddednumber::readDouble(begin, tokens.cursor()).ok) return kTooManyValues;
  }
  tokens.nextLine();
  return nullptr;
}

}  // namespace

bool readDataRows(AsciiFile& file, const OutFileInfo& info, QvZoneNum firstZone) {
  std::vector<ColumnTarget> targets;
  if (!lookUpColumnTargets(info, firstZone, targets)) {
    QorUtilDialogErrMsg(kNoValueArray);
    return false;
  }
  const ColumnTarget* const first = targets.data();
  const ColumnTarget* const last = first + targets.size();

  int64_t row = 0;
  while (row < info.numPoints) {
    // The rows that the line file's window holds whole, split and parsed in place.
    const std::string_view lines = file.wholeLines();
    if (lines.empty()) return reportRowFault(file, kFileChanged);
    qorvian::LineBlockTokens tokens(lines);
    const int64_t firstRow = row;
    const char* message = nullptr;
    for (; row < info.numPoints && !tokens.atEnd(); ++row) {
      message = readRow(tokens, first, last, row);
      if (message != nullptr) [[unlikely]] {
        // The faulty row counts as read, so that the message names it.
        tokens.nextLine();
        ++row;
        break;
      }
    }
    file.skipLines(static_cast<size_t>(tokens.cursor() - lines.data()),
                   static_cast<uint64_t>(row - firstRow));
    if (message != nullptr) return reportRowFault(file, message);
  }
  if (file.readFailed()) [[unlikely]] {
    return reportRowFault(file, kFileChanged);
  }
  return true;
}

}  // namespace cvl
