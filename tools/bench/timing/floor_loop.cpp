#include "tools/bench/timing/floor_loop.h"

#include <charconv>
#include <cstring>

#include "tools/bench/timing/mapped_file.h"

namespace cvl::bench {

std::string_view skipLines(std::string_view text, int lines) {
  for (int i = 0; i < lines; ++i) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return {};
    text.remove_prefix(end + 1);
  }
  return text;
}

size_t parseAllValues(std::string_view text, std::span<double> values) {
  const char* p = text.data();
  const char* const end = p + text.size();
  double* out = values.data();
  double* const outEnd = out + values.size();
  while (out != outEnd) {
    while (p != end && static_cast<unsigned char>(*p) <= ' ') ++p;
    if (p == end) break;
    double value = 0.0;
    const std::from_chars_result result = std::from_chars(p, end, value);
    p = result.ptr;
    // Not a number: step over the token so the loop always moves on.
    if (result.ec == std::errc::invalid_argument) {
      while (p != end && static_cast<unsigned char>(*p) > ' ') ++p;
    }
    *out++ = value;
  }
  return static_cast<size_t>(out - values.data());
}

bool probeDataShape(const std::string& path, DataShape& shape, std::string& error) {
  MappedFile file;
  if (!file.open(path, error)) return false;
  const std::string_view data = skipLines(file.text(), kHeaderLines);
  if (data.empty()) {
    error = path + " holds no data row";
    return false;
  }
  uint64_t rows = 0;
  for (const char* p = data.data(); p != data.data() + data.size();) {
    const auto* newline = static_cast<const char*>(
        std::memchr(p, '\n', static_cast<size_t>(data.data() + data.size() - p)));
    ++rows;
    if (newline == nullptr) break;
    p = newline + 1;
  }
  std::string_view firstRow = data.substr(0, data.find('\n'));
  uint64_t tokens = 0;
  bool inToken = false;
  for (const char c : firstRow) {
    const bool isToken = static_cast<unsigned char>(c) > ' ';
    if (isToken && !inToken) ++tokens;
    inToken = isToken;
  }
  shape.rows = rows;
  shape.valuesPerRow = tokens;
  return true;
}

bool runFloorLoop(const std::string& path, std::span<double> values, size_t& stored,
                  std::string& error) {
  MappedFile file;
  if (!file.open(path, error)) return false;
  stored = parseAllValues(skipLines(file.text(), kHeaderLines), values);
  return true;
}

}  // namespace cvl::bench
