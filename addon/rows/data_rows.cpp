// The data row reader: the hot path of every load. Each value array is looked up once per
// column; the rows are then split and scanned in place, a window of whole lines at a time, and
// every value goes straight into the host's memory. Where the processor has AVX2 the rows go
// through the indexed reader (indexed_rows.h); this file walks them one token at a time, for every
// row elsewhere and for the rows that the indexed reader leaves to it.
#include "addon/rows/data_rows.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "addon/numbers/padded_number.h"
#include "addon/rows/cpu_features.h"
#include "addon/rows/indexed_rows.h"
#include "addon/rows/line_block_tokens.h"
#include "standins/qorutil/qorutil_api.h"

namespace cvl {
namespace {

namespace paddednumber = cvl::paddednumber;
using cvl::fastdecimal::Parsed;
using qorvian::qorutilutil::AsciiFile;

constexpr const char* kMissingDouble = "Invalid or missing double precision value";
constexpr const char* kMissingInteger = "Invalid or missing integer value";
constexpr const char* kTooManyValues = "Too many values";
constexpr std::string_view kFileChanged = "File changed or could not be read while loading";
constexpr const char* kNoValueArray = "Unable to access the values of the dataset";

std::atomic<bool> indexedRowsPreferred{true};

// Fills targets with one entry per read column, in column order. False when the record does not
// describe a column completely or the host gives no array for one; nothing is reported here.
bool lookUpColumnTargets(const OutFileInfo& info, QvZoneNum firstZone,
                         std::vector<ColumnTarget>& targets) {
  const auto numValues = static_cast<size_t>(info.numValues > 0 ? info.numValues : 0);
  if (info.columns.size() < numValues) return false;
  targets.reserve(numValues);
  for (size_t column = 0; column < numValues; ++column) {
    const Column& described = info.columns[column];
    const int32_t variable = described.variable;
    if (variable < 0 || static_cast<size_t>(variable) >= info.varDataTypes.size()) return false;
    const QvZoneNum zone = described.shared ? firstZone : firstZone + described.zone;
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
CVL_ALWAYS_INLINE const char* readRow(cvl::LineBlockTokens& tokens, const ColumnTarget* column,
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

const char* walkRows(const char* lines, size_t size, RowCursor& cursor, int64_t maxRows,
                     const ColumnTarget* first, const ColumnTarget* last) {
  cvl::LineBlockTokens tokens({lines + cursor.from, size - cursor.from});
  const char* message = nullptr;
  for (int64_t walked = 0; walked < maxRows && cursor.row < cursor.rowLimit && !tokens.atEnd();
       ++walked) {
    message = readRow(tokens, first, last, cursor.row);
    ++cursor.row;
    if (message != nullptr) {
      // The faulty row counts as read, so that the message names it.
      tokens.nextLine();
      break;
    }
  }
  cursor.from = static_cast<size_t>(tokens.cursor() - lines);
  return message;
}

bool readDoubleToken(const char* begin, const char* end, double& value) {
  const Parsed<double> parsed = paddednumber::readDouble(begin, end);
  value = parsed.value;
  return parsed.ok;
}

bool exactPowerProduct(uint64_t mantissa, int exponent, bool negative, double& value) {
  const Parsed<double> parsed = paddednumber::exactProduct(mantissa, exponent, negative);
  value = parsed.value;
  return parsed.ok;
}

bool readIntegerToken(const char* begin, const char* end, int32_t& value) {
  const Parsed<int64_t> parsed = paddednumber::readInt64(begin, end);
  // Only the low 32 bits are kept; a value out of range is not refused.
  value = static_cast<int32_t>(parsed.value);
  return parsed.ok;
}

RowIndexMemory::RowIndexMemory(size_t numColumns)
    : bounds_(std::make_unique_for_overwrite<uint32_t[]>(kBoundCapacity + kSlack)),
      rowEnds_(std::make_unique_for_overwrite<RowEnd[]>(kRowCapacity + kSlack)),
      groupStorage_(std::make_unique_for_overwrite<unsigned char[]>(32 * numColumns + 32)),
      groupValues_(groupStorage_.get() +
                   (32 - reinterpret_cast<uintptr_t>(groupStorage_.get()) % 32)) {}

void preferIndexedRows(bool prefer) {
  indexedRowsPreferred.store(prefer, std::memory_order_relaxed);
}

bool readDataRows(AsciiFile& file, const OutFileInfo& info, QvZoneNum firstZone) {
  std::vector<ColumnTarget> targets;
  if (!lookUpColumnTargets(info, firstZone, targets)) {
    QorUtilDialogErrMsg(kNoValueArray);
    return false;
  }
  const ColumnTarget* const first = targets.data();
  const ColumnTarget* const last = first + targets.size();
  const bool indexed = indexedRowsPreferred.load(std::memory_order_relaxed) && processorHasAvx2();
  std::unique_ptr<RowIndexMemory> memory;
  if (indexed) memory = std::make_unique<RowIndexMemory>(targets.size());

  RowCursor cursor{0, info.numPoints, 0};
  while (cursor.row < info.numPoints) {
    // The rows that the line file's window holds whole, read in place.
    const std::string_view lines = file.wholeLines();
    if (lines.empty()) return reportRowFault(file, kFileChanged);
    const int64_t firstRow = cursor.row;
    cursor.from = 0;
    const char* const message =
        indexed ? readIndexedRows(lines.data(), lines.size(), cursor, first, last, *memory)
                : walkRows(lines.data(), lines.size(), cursor, INT64_MAX, first, last);
    file.skipLines(cursor.from, static_cast<uint64_t>(cursor.row - firstRow));
    if (message != nullptr) return reportRowFault(file, message);
  }
  if (file.readFailed()) [[unlikely]] {
    return reportRowFault(file, kFileChanged);
  }
  return true;
}

}  // namespace cvl
