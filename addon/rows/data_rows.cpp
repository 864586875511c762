// The data row dispatcher: the hot path of every load. Each value array is looked up once per
// column; the rows are then read in place, a window of whole lines of the line file at a time, by
// a row kernel (row_kernel.h), and every value goes straight into the host's memory. A faulty row
// is reported here, against its line.
#include "addon/rows/data_rows.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "standins/qorutil/qorutil_api.h"

namespace cvl {
namespace {

using qorvian::qorutilutil::AsciiFile;
using rows::ColumnTarget;
using rows::RowCursor;

constexpr std::string_view kFileChanged = "File changed or could not be read while loading";
constexpr const char* kNoValueArray = "Unable to access the values of the dataset";

// Fills targets with one entry per read column, in column order. False when the record does not
// describe a column completely or the host gives no array for one; nothing is reported here.
bool lookUpColumnTargets(const OutFileInfo& info, QvZoneNum firstZone,
                         std::vector<ColumnTarget>& targets) {
  const auto numValues = static_cast<size_t>(info.numValues > 0 ? info.numValues : 0);
  if (info.columns().size() < numValues) return false;
  targets.reserve(numValues);
  for (size_t column = 0; column < numValues; ++column) {
    const Column& described = info.columns()[column];
    const QvZoneNum zone = described.shared ? firstZone : firstZone + described.zone;
    void* values = nullptr;
    // The host's type is not consulted: the zone was made with info.variableTypes().
    QvDataType hostType = 0;
    QorUtilDataValueGetWritableRawPtr(zone, described.variable.index() + 1, &values, &hostType);
    if (values == nullptr) return false;
    targets.push_back({values, info.typeOf(described.variable) == kTypeInt32});
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

}  // namespace

bool readDataRows(AsciiFile& file, const OutFileInfo& info, QvZoneNum firstZone) {
  return readDataRows(file, info, firstZone, rows::activeRowKernel());
}

bool readDataRows(AsciiFile& file, const OutFileInfo& info, QvZoneNum firstZone,
                  const rows::RowKernel& kernel) {
  std::vector<ColumnTarget> targets;
  if (!lookUpColumnTargets(info, firstZone, targets)) {
    QorUtilDialogErrMsg(kNoValueArray);
    return false;
  }
  const std::unique_ptr<rows::RowReader> reader =
      rows::makeRowReader(kernel, targets.data(), targets.data() + targets.size());

  RowCursor cursor{0, info.numPoints, 0};
  while (cursor.row < info.numPoints) {
    // The rows that the line file's window holds whole, read in place.
    const std::string_view lines = file.wholeLines();
    if (lines.empty()) return reportRowFault(file, kFileChanged);
    const int64_t firstRow = cursor.row;
    cursor.from = 0;
    const char* const message = reader->readRows(lines.data(), lines.size(), cursor);
    file.skipLines(cursor.from, static_cast<uint64_t>(cursor.row - firstRow));
    if (message != nullptr) return reportRowFault(file, message);
  }
  if (file.readFailed()) [[unlikely]] {
    return reportRowFault(file, kFileChanged);
  }
  return true;
}

}  // namespace cvl
