#include "tools/bench/generator/out_file_writer.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>

namespace cvl::bench {
namespace {

// Digits after the point, as in %16.9e.
constexpr int kPrecision = 9;
// Data is written in blocks of about this many bytes.
constexpr size_t kBlockBytes = size_t{4} << 20;

void appendRightAligned(std::string& line, std::string_view text, int32_t width) {
  const auto padding = static_cast<size_t>(width) > text.size()
                           ? static_cast<size_t>(width) - text.size()
                           : size_t{1};
  line.append(padding, ' ');
  line.append(text);
}

// A header line: "#" (or "# column" on the column row) in the first column, then one entry per
// column, each right-aligned to the end of its column.
std::string headerLine(const std::vector<GeneratedColumn>& columns, std::string_view lead,
                       const std::vector<std::string>& entries) {
  std::string line(lead);
  for (size_t c = 0; c < columns.size(); ++c) {
    const int32_t width =
        c == 0 ? columns[c].width - static_cast<int32_t>(lead.size()) : columns[c].width;
    appendRightAligned(line, entries[c], width);
  }
  line += '\n';
  return line;
}

// A file written through the C library in binary mode: "\n" stays LF on every system.
class OutputFile {
 public:
  explicit OutputFile(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
  ~OutputFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  bool isOpen() const { return file_ != nullptr; }
  bool write(const char* data, size_t size) { return std::fwrite(data, 1, size, file_) == size; }
  // Closes now; false when the system reports an error (a late write failure).
  bool close() { return std::fclose(std::exchange(file_, nullptr)) == 0; }

 private:
  std::FILE* file_;
};

}  // namespace

std::string headerText(const std::vector<GeneratedColumn>& columns, uint64_t seed) {
  std::string text = "# CONVERGE 4.0.3/  synthetic benchmark data, seed " + std::to_string(seed) +
                     "       Run Date:Thu Jan  1 00:00:00 2026\n";
  std::vector<std::string> numbers;
  std::vector<std::string> names;
  std::vector<std::string> units;
  std::vector<std::string> locations;
  bool hasLocations = false;
  for (size_t c = 0; c < columns.size(); ++c) {
    numbers.push_back(std::to_string(c + 1));
    names.push_back(columns[c].name);
    units.push_back(columns[c].unit);
    locations.push_back(columns[c].location);
    hasLocations = hasLocations || !columns[c].location.empty();
  }
  text += headerLine(columns, "# column", numbers);
  text += headerLine(columns, "#", names);
  text += headerLine(columns, "#", units);
  text += hasLocations ? headerLine(columns, "#", locations) : std::string("#\n");
  return text;
}

uint64_t rowBytes(const std::vector<GeneratedColumn>& columns) {
  uint64_t bytes = 1;
  for (const GeneratedColumn& column : columns) bytes += static_cast<uint64_t>(column.width);
  return bytes;
}

void formatRow(const std::vector<GeneratedColumn>& columns, uint64_t seed, uint64_t row,
               char* out) {
  char cell[40];
  int32_t index = 0;
  for (const GeneratedColumn& column : columns) {
    std::to_chars_result result{};
    if (column.kind == ValueKind::StepCount) {
      result = std::to_chars(cell, cell + sizeof cell, stepValue(row));
    } else {
      const double value = cellValue(column.kind, seed, row, index);
      result =
          std::to_chars(cell, cell + sizeof cell, value, std::chars_format::scientific, kPrecision);
    }
    const auto length = static_cast<size_t>(result.ptr - cell);
    const auto width = static_cast<size_t>(column.width);
    std::memset(out, ' ', width - length);
    std::memcpy(out + (width - length), cell, length);
    out += width;
    ++index;
  }
  *out = '\n';
}

bool writeOutFile(const GeneratorOptions& options, GeneratedFile& result, std::string& error) {
  std::vector<GeneratedColumn> columns;
  if (!makeLayout(options.layout, columns, error)) return false;
  const std::string header = headerText(columns, options.seed);
  const uint64_t lineBytes = rowBytes(columns);

  uint64_t rows = options.rows;
  if (rows == 0) {
    rows =
        options.targetBytes > header.size() ? (options.targetBytes - header.size()) / lineBytes : 0;
    if (rows == 0) rows = 1;
  }
  // The step counter is read into a 32-bit integer.
  if (rows > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    error = "too many rows: the integer column would exceed 32 bits";
    return false;
  }

  OutputFile file(options.outputPath);
  if (!file.isOpen()) {
    error = "cannot create " + options.outputPath + ": " + std::strerror(errno);
    return false;
  }
  auto fail = [&](const char* what) {
    error = std::string(what) + " " + options.outputPath + ": " + std::strerror(errno);
    std::remove(options.outputPath.c_str());
    return false;
  };
  if (!file.write(header.data(), header.size())) return fail("cannot write");

  const uint64_t rowsPerBlock = std::max<uint64_t>(1, kBlockBytes / lineBytes);
  const auto block = std::make_unique<char[]>(rowsPerBlock * lineBytes);
  for (uint64_t first = 0; first < rows; first += rowsPerBlock) {
    const uint64_t count = std::min(rowsPerBlock, rows - first);
    for (uint64_t i = 0; i < count; ++i) {
      formatRow(columns, options.seed, first + i, block.get() + i * lineBytes);
    }
    if (!file.write(block.get(), count * lineBytes)) return fail("cannot write");
  }
  if (!file.close()) return fail("cannot finish");

  result.bytes = header.size() + rows * lineBytes;
  result.rows = rows;
  result.columns = static_cast<int32_t>(columns.size());
  result.zones = options.layout.regions > 0 ? options.layout.regions : 1;
  return true;
}

}  // namespace cvl::bench
