#include "tools/minihost/outputs/csv_writer.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <system_error>

#include "tools/minihost/host/value_view.h"
#include "tools/minihost/outputs/output_file.h"

namespace cvl::minihost {

namespace {

// Room for the text of one value and its separator: "-2.2250738585072014e-308," is 25.
constexpr size_t kValueRoom = 32;
constexpr size_t kFlushSize = size_t{1} << 20;

bool isNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.';
}

// field as one RFC 4180 field: quoted, with its quotes doubled, when it holds a comma, a quote
// or a line break.
void appendField(std::string& line, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    line += field;
    return;
  }
  line += '"';
  for (char c : field) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

// Writes the rows of one zone through a buffer of whole rows, flushed when full.
class ZoneRows {
 public:
  ZoneRows(const qvsdkbase::Zone& zone, size_t variables) {
    for (size_t v = 0; v < variables && v < zone.values.size(); ++v) {
      columns_.emplace_back(*zone.values[v]);
    }
    const size_t rowRoom = kValueRoom * std::max<size_t>(columns_.size(), 1) + 1;
    buffer_.resize(kFlushSize + rowRoom);
  }

  bool write(std::ofstream& out, int64_t points) {
    char* next = buffer_.data();
    for (int64_t row = 0; row < points; ++row) {
      for (size_t v = 0; v < columns_.size(); ++v) {
        if (v != 0) *next++ = ',';
        next = appendValue(next, columns_[v], row);
      }
      *next++ = '\n';
      if (static_cast<size_t>(next - buffer_.data()) >= kFlushSize) {
        out.write(buffer_.data(), next - buffer_.data());
        next = buffer_.data();
      }
    }
    out.write(buffer_.data(), next - buffer_.data());
    return static_cast<bool>(out);
  }

 private:
  // The value at row in its own type's shortest text: an integer as an integer.
  static char* appendValue(char* next, const ValueView& values, int64_t row) {
    return values.visit([&](auto numbers) {
      return std::to_chars(next, next + kValueRoom, numbers[static_cast<size_t>(row)]).ptr;
    });
  }

  std::vector<ValueView> columns_;
  std::vector<char> buffer_;
};

bool writeZoneFile(const qvsdkbase::DataSet& dataSet, const qvsdkbase::Zone& zone,
                   const std::filesystem::path& path, std::string& error) {
  std::optional<OutputFile> file = OutputFile::create(path, error);
  if (!file) return false;
  std::ofstream out(file->temporaryPath(), std::ios::binary | std::ios::trunc);
  std::string header;
  for (size_t v = 0; v < dataSet.variables.size(); ++v) {
    if (v != 0) header += ',';
    appendField(header, dataSet.variables[v]);
  }
  header += '\n';
  out.write(header.data(), static_cast<std::streamsize>(header.size()));
  errno = 0;
  ZoneRows rows(zone, dataSet.variables.size());
  if (!rows.write(out, zone.points) || !out.flush()) {
    error = cannotWrite(path, errno != 0 ? std::strerror(errno) : "write failed");
    return false;
  }
  out.close();
  return file->commit(error);
}

}  // namespace

std::string csvFileName(size_t zoneNumber, size_t zoneCount, std::string_view zoneName) {
  const std::string number = std::to_string(zoneNumber);
  const size_t width = std::to_string(zoneCount).size();
  std::string name(width > number.size() ? width - number.size() : 0, '0');
  name += number;
  name += '_';
  bool inSequence = false;  // inside a multi-byte UTF-8 character, which gives one '_'
  for (char c : zoneName) {
    const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
    if (!(continuation && inSequence)) name += isNameCharacter(c) ? c : '_';
    inSequence = (static_cast<unsigned char>(c) & 0x80) != 0;
  }
  return name + ".csv";
}

bool writeCsvFolder(const qvsdkbase::DataSet& dataSet, const std::filesystem::path& folder,
                    std::vector<std::string>& written, std::string& error) {
  std::error_code code;
  if (std::filesystem::exists(folder, code) && !std::filesystem::is_directory(folder, code)) {
    error = cannotWrite(folder, "it is not a folder");
    return false;
  }
  std::filesystem::create_directories(folder, code);
  if (code) {
    error = cannotWrite(folder, code.message());
    return false;
  }
  for (size_t z = 0; z < dataSet.zones.size(); ++z) {
    const std::string name = csvFileName(z + 1, dataSet.zones.size(), dataSet.zones[z].name);
    if (!writeZoneFile(dataSet, dataSet.zones[z], folder / name, error)) return false;
    written.push_back(name);
  }
  return true;
}

}  // namespace cvl::minihost
