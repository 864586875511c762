#include "tools/bench/timing/fair_floor.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <vector>

#include "standins/qorutilutil_utils/ascii_file.h"
#include "standins/qvsdkbase/host_control.h"

namespace cvl::bench {
namespace {

constexpr size_t kBlockSize = size_t{1} << 20;
constexpr int kHeaderLines = 5;

bool isBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

// The file, open for pread; closed with the object.
class FileDescriptor {
 public:
  explicit FileDescriptor(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY)) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Tokens on the first line of text.
uint64_t tokensOnFirstLine(const char* p, const char* end) {
  uint64_t tokens = 0;
  bool inToken = false;
  for (; p != end && *p != '\n'; ++p) {
    const bool token = !isBlank(*p);
    tokens += token && !inToken;
    inToken = token;
  }
  return tokens;
}

}  // namespace

bool runFairFloor(const std::string& path, FairFloorValues& values, std::string& error) {
  // The line count, as the loader counts the points.
  qorvian::qorutilutil::AsciiFile counter;
  if (!counter.open(path)) {
    error = "cannot read " + path;
    return false;
  }
  const uint64_t lines = counter.numLinesInFile();
  counter.close();
  if (lines <= kHeaderLines) {
    error = path + " holds no data row";
    return false;
  }
  values = FairFloorValues{};
  values.rows = lines - kHeaderLines;

  const FileDescriptor file(path);
  std::vector<char> buffer(kBlockSize);
  size_t kept = 0;  // bytes carried over from the last block: a token cut by its end
  uint64_t offset = 0;
  int headerLines = kHeaderLines;
  double* out = nullptr;
  double* outEnd = nullptr;
  for (;;) {
    const ssize_t n =
        ::pread(file.get(), buffer.data() + kept, buffer.size() - kept, static_cast<off_t>(offset));
    if (n < 0) {
      error = "cannot read " + path;
      return false;
    }
    offset += static_cast<uint64_t>(n);
    const bool last = n == 0;
    const char* p = buffer.data();
    const char* const end = p + kept + static_cast<size_t>(n);
    for (; headerLines > 0 && p != end; --headerLines) {
      const void* newline = std::memchr(p, '\n', static_cast<size_t>(end - p));
      if (newline == nullptr) break;
      p = static_cast<const char*>(newline) + 1;
    }
    if (headerLines == 0 && out == nullptr) {
      // The array for every value, once the first data row gives the values per row.
      values.valuesPerRow = tokensOnFirstLine(p, end);
      values.block =
          qvsdkbase::allocateValueBlock(values.rows * values.valuesPerRow * sizeof(double));
      out = static_cast<double*>(values.block.get());
      outEnd = out + values.rows * values.valuesPerRow;
    }
    while (out != outEnd) {
      while (p != end && isBlank(*p)) ++p;
      if (p == end) break;
      double value = 0.0;
      const char* const token = p;
      const std::from_chars_result result = std::from_chars(token, end, value);
      p = result.ptr;
      if (result.ec == std::errc::invalid_argument) {
        while (p != end && !isBlank(*p)) ++p;  // not a number: step over it
      }
      if (p == end && !last) {
        p = token;  // perhaps cut by the block's end: parsed again with the next block
        break;
      }
      *out++ = value;
    }
    if (last || out == outEnd) break;
    kept = static_cast<size_t>(end - p);
    std::memmove(buffer.data(), p, kept);
    if (kept == buffer.size()) {
      error = path + " holds a token longer than a block";
      return false;
    }
  }
  values.parsed = values.block
                      ? static_cast<uint64_t>(out - static_cast<const double*>(values.block.get()))
                      : 0;
  return true;
}

}  // namespace cvl::bench
