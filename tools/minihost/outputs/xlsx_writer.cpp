// The workbook writer over libxlsxwriter, in its constant-memory mode: each row goes to a
// temporary file as it is written, so memory stays flat whatever the size of the dataset.
#include "tools/minihost/outputs/xlsx_writer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "tools/minihost/host/value_view.h"
#include "tools/minihost/outputs/output_file.h"
#include "tools/minihost/outputs/printable_text.h"
#include "tools/minihost/outputs/sheet_names.h"

namespace cvl::minihost {

namespace {

// Above this many cells in one sheet its part of the file may pass 4 GiB, which needs ZIP64.
constexpr int64_t kZip64Cells = 100'000'000;

// The workbook being written; closed (written out and freed) at the latest when it goes.
class Workbook {
 public:
  Workbook(const std::string& path, bool zip64) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = zip64 ? LXW_TRUE : LXW_FALSE;
    workbook_ = workbook_new_opt(path.c_str(), &options);
  }
  ~Workbook() { close(); }
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  lxw_workbook* get() const { return workbook_; }
  lxw_error close() {
    lxw_workbook* workbook = std::exchange(workbook_, nullptr);
    return workbook != nullptr ? workbook_close(workbook) : LXW_NO_ERROR;
  }

 private:
  lxw_workbook* workbook_ = nullptr;
};

// Counts of the values that the workbook holds other than as the same number.
struct ValueCounts {
  int64_t notNumbers = 0;  // NaN and infinities, written as text
  int64_t rounded = 0;     // doubles that need 17 significant digits
};

// Significant digits of the shortest text that reads back to value: the digits before any
// exponent, from the first to the last that is not 0.
int significantDigits(double value) {
  char text[32];
  const char* const end = std::to_chars(text, text + sizeof text, value).ptr;
  int digits = 0;       // digits seen since the first that is not 0
  int significant = 0;  // digits up to the last that is not 0
  for (const char* c = text; c != end && *c != 'e'; ++c) {
    if (*c < '0' || *c > '9') continue;
    if (digits > 0 || *c != '0') ++digits;
    if (*c != '0') significant = digits;
  }
  return significant;
}

lxw_error writeNumber(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, int32_t value,
                      ValueCounts&) {
  return worksheet_write_number(sheet, row, column, value, nullptr);
}

lxw_error writeNumber(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, double value,
                      ValueCounts& counts) {
  if (!std::isfinite(value)) {
    ++counts.notNumbers;
    const char* text = std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
    return worksheet_write_string(sheet, row, column, text, nullptr);
  }
  if (significantDigits(value) > 16) ++counts.rounded;
  return worksheet_write_number(sheet, row, column, value, nullptr);
}

lxw_error writeValue(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const ValueView& values,
                     int64_t index, ValueCounts& counts) {
  return values.visit([&](auto numbers) {
    return writeNumber(sheet, row, column, numbers[static_cast<size_t>(index)], counts);
  });
}

// The header row, bold and frozen, with columns wide enough for their names.
lxw_error writeHeader(lxw_worksheet* sheet, const std::vector<std::string>& variables,
                      lxw_format* bold) {
  for (size_t v = 0; v < variables.size(); ++v) {
    const std::string name = printableText(variables[v]);
    const auto column = static_cast<lxw_col_t>(v);
    const double width = std::clamp(static_cast<double>(name.size()) + 2, 12.0, 50.0);
    worksheet_set_column(sheet, column, column, width, nullptr);
    if (lxw_error result = worksheet_write_string(sheet, 0, column, name.c_str(), bold)) {
      return result;
    }
  }
  worksheet_freeze_panes(sheet, 1, 0);
  return LXW_NO_ERROR;
}

// Points first to last - 1 of zone as rows 1, 2, ... of sheet.
lxw_error writeRows(lxw_worksheet* sheet, const qvsdkbase::Zone& zone, size_t variables,
                    int64_t first, int64_t last, ValueCounts& counts) {
  std::vector<ValueView> columns;
  for (size_t v = 0; v < variables && v < zone.values.size(); ++v) {
    columns.emplace_back(*zone.values[v]);
  }
  for (int64_t point = first; point < last; ++point) {
    const auto row = static_cast<lxw_row_t>(point - first + 1);
    for (size_t v = 0; v < columns.size(); ++v) {
      const lxw_error result =
          writeValue(sheet, row, static_cast<lxw_col_t>(v), columns[v], point, counts);
      if (result != LXW_NO_ERROR) return result;
    }
  }
  return LXW_NO_ERROR;
}

std::string inQuotes(const std::string& text) {
  return "\"" + text + "\"";
}

}  // namespace

std::string workbookUnavailableReason() {
  return {};
}

bool writeWorkbook(const qvsdkbase::DataSet& dataSet, const std::filesystem::path& path,
                   WorkbookSummary& summary, std::string& error, int64_t rowsPerSheet) {
  const size_t variables = dataSet.variables.size();
  if (variables > kExcelColumns) {
    error = cannotWrite(path, std::to_string(variables) + " variables are more than the " +
                                  std::to_string(kExcelColumns) + " columns of a worksheet");
    return false;
  }
  const int64_t rowsPerSheetData = std::max<int64_t>(rowsPerSheet - 1, 1);
  std::optional<OutputFile> file = OutputFile::create(path, error);
  if (!file) return false;
  const int64_t sheetCells = rowsPerSheetData * static_cast<int64_t>(variables);
  Workbook workbook(file->temporaryPath().string(), sheetCells > kZip64Cells);
  if (workbook.get() == nullptr) {
    error = cannotWrite(path, "the workbook could not be started");
    return false;
  }
  lxw_format* bold = workbook_add_format(workbook.get());
  format_set_bold(bold);

  SheetNames names;
  ValueCounts counts;
  lxw_error result = LXW_NO_ERROR;
  for (size_t z = 0; z < dataSet.zones.size() && result == LXW_NO_ERROR; ++z) {
    const qvsdkbase::Zone& zone = dataSet.zones[z];
    const int64_t sheets =
        std::max<int64_t>((zone.points + rowsPerSheetData - 1) / rowsPerSheetData, 1);
    std::vector<std::string> sheetNames;
    for (int64_t s = 0; s < sheets && result == LXW_NO_ERROR; ++s) {
      sheetNames.push_back(names.add(zone.name, s == 0 ? "" : " (" + std::to_string(s + 1) + ")"));
      lxw_worksheet* sheet = workbook_add_worksheet(workbook.get(), sheetNames.back().c_str());
      if (sheet == nullptr) {
        error = cannotWrite(path, "worksheet " + inQuotes(sheetNames.back()) + " was refused");
        return false;
      }
      const int64_t first = s * rowsPerSheetData;
      result = writeHeader(sheet, dataSet.variables, bold);
      if (result == LXW_NO_ERROR) {
        result = writeRows(sheet, zone, variables, first,
                           std::min(zone.points, first + rowsPerSheetData), counts);
      }
    }
    summary.sheets += sheetNames.size();
    if (sheets > 1) {
      summary.notes.push_back("zone " + std::to_string(z + 1) + " " + inQuotes(zone.name) + ": " +
                              std::to_string(zone.points) + " points, more than a sheet holds, " +
                              "on sheets " + inQuotes(sheetNames.front()) + " to " +
                              inQuotes(sheetNames.back()));
    }
  }
  const lxw_error closed = workbook.close();
  if (result == LXW_NO_ERROR) result = closed;
  if (result != LXW_NO_ERROR) {
    error = cannotWrite(path, lxw_strerror(result));
    return false;
  }
  if (counts.rounded > 0) {
    summary.notes.push_back(std::to_string(counts.rounded) +
                            " values need 17 significant digits and are held to 16 (the CSV "
                            "files hold them exactly)");
  }
  if (counts.notNumbers > 0) {
    summary.notes.push_back(std::to_string(counts.notNumbers) +
                            " values that are not numbers are written as the text nan, inf or "
                            "-inf");
  }
  return file->commit(error);
}

}  // namespace cvl::minihost
