#include "standins/qorutilutil_utils/ascii_file.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "standins/qorutil/qorutil_api.h"

namespace qorvian::qorutilutil {
namespace {

// The window's first size, for a file at least that large (a smaller file gets a window of its
// own size); it doubles only while one line does not fit.
constexpr size_t kWindowSize = size_t{1} << 20;
// What the first read of a file read whole takes: its header, and the first rows, without the
// rest of the file when only the header is wanted.
constexpr size_t kFirstBlock = size_t{1} << 16;
constexpr size_t kSmallestBlock = size_t{1} << 12;
// Block sizes for the line count (a pass over the whole file; a block that stays in the core's
// cache while it is counted) and for readLineAtOffset (a short walk from the start of the file).
constexpr size_t kCountBlockSize = size_t{1} << 18;
constexpr size_t kOffsetBlockSize = size_t{1} << 16;

// A buffer for reading a file of fileSize bytes in blocks of at most largest bytes: a small file
// needs no more than its own size (and one byte to see its end).
size_t blockSizeFor(uint64_t fileSize, size_t largest) {
  const uint64_t wanted = std::min<uint64_t>(fileSize, UINT64_MAX - 1) + 1;
  return static_cast<size_t>(std::clamp<uint64_t>(wanted, kSmallestBlock, largest));
}

// Number of '\n' bytes in [data, data + size).
uint64_t countNewlines(const char* data, size_t size) {
  uint64_t count = 0;
  size_t i = 0;
#if defined(__SSE2__)
  // Four vectors of 16 bytes per step. Each byte lane counts its own matches for at most 255
  // steps before the lanes are summed, so that no lane overflows.
  const __m128i newline = _mm_set1_epi8('\n');
  const __m128i zero = _mm_setzero_si128();
  const auto matches = [&](size_t at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    return _mm_cmpeq_epi8(bytes, newline);  // -1 in each matching lane
  };
  while (size - i >= 64) {
    const size_t steps = std::min<size_t>((size - i) / 64, 255);
    __m128i lanes0 = zero, lanes1 = zero, lanes2 = zero, lanes3 = zero;
    for (size_t step = 0; step < steps; ++step, i += 64) {
      lanes0 = _mm_sub_epi8(lanes0, matches(i));
      lanes1 = _mm_sub_epi8(lanes1, matches(i + 16));
      lanes2 = _mm_sub_epi8(lanes2, matches(i + 32));
      lanes3 = _mm_sub_epi8(lanes3, matches(i + 48));
    }
    const __m128i sums =
        _mm_add_epi64(_mm_add_epi64(_mm_sad_epu8(lanes0, zero), _mm_sad_epu8(lanes1, zero)),
                      _mm_add_epi64(_mm_sad_epu8(lanes2, zero), _mm_sad_epu8(lanes3, zero)));
    count += static_cast<uint64_t>(_mm_cvtsi128_si64(sums)) +
             static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
  }
#endif
  count += static_cast<uint64_t>(std::count(data + i, data + size, '\n'));
  return count;
}

// The storage of the last image this thread read, kept for the next file read whole: fresh
// memory costs a page fault per page on first write (several microseconds each on a virtual
// machine, more than reading the page's text), and a process that loads one file after another
// would otherwise pay it for every file. At most kWholeFileLimit bytes and the padding, freed
// when the thread ends.
struct SpareImage {
  std::unique_ptr<char[]> storage;
  size_t bytes = 0;
};
thread_local SpareImage spareImage;

// The text of a line: up to its first NUL byte, if any.
std::string_view textOf(std::string_view line) {
  return line.substr(0, line.find('\0'));
}

}  // namespace

AsciiFile::~AsciiFile() {
  close();
}

bool AsciiFile::open(const std::string& fileName, uint64_t wholeFileLimit) {
  close();
  state_ = State{};
  state_.fileName = fileName;
  if (!state_.file.open(fileName)) return false;
  const std::optional<uint64_t> size = state_.file.size();
  // A file that says it is empty (or a system file of no size that still holds text) is read
  // through the window, until a read finds its end.
  if (size && *size > 0 && *size <= std::min(wholeFileLimit, kWholeFileLimit)) {
    state_.whole = true;
    allocateWindow(static_cast<size_t>(*size));
  } else {
    allocateWindow(blockSizeFor(size.value_or(0), kWindowSize));
  }
  state_.atEnd = false;
  // The first read proves the file readable and lets isEOF answer for an empty file.
  refill();
  if (state_.failed) {
    close();
    return false;
  }
  return true;
}

void AsciiFile::close() {
  state_.file.close();
  // An image's storage is kept for the thread's next file read whole, the larger of two.
  if (state_.whole && state_.storage && state_.storageBytes > spareImage.bytes) {
    spareImage.storage = std::move(state_.storage);
    spareImage.bytes = state_.storageBytes;
  }
  state_.storage.reset();
  state_.window = nullptr;
  state_.capacity = 0;
  state_.begin = 0;
  state_.end = 0;
  state_.atEnd = true;
  state_.lineAtOffset = std::string();
}

void AsciiFile::allocateWindow(size_t capacity) {
  // The padding after the window is twice kPadding: a view may end one byte past the window (a
  // last line's added '\n'), and 64-byte steps may start at its end. The paddings are zeroed, and
  // the bytes after each read's end (clearAfterEnd), so that no byte read around a view was never
  // written; the window itself is not, as a file's image of many megabytes would be written twice.
  const size_t bytes = capacity + 3 * kPadding;
  if (state_.whole && spareImage.bytes >= bytes) {
    state_.storage = std::move(spareImage.storage);
    state_.storageBytes = std::exchange(spareImage.bytes, 0);
  } else {
    state_.storage = std::make_unique_for_overwrite<char[]>(bytes);
    state_.storageBytes = bytes;
  }
  std::memset(state_.storage.get(), 0, kPadding);
  std::memset(state_.storage.get() + kPadding + capacity, 0, 2 * kPadding);
  state_.window = state_.storage.get() + kPadding;
  state_.capacity = capacity;
}

namespace {

// Zeroes the bytes that a view ending at window[end] may read past its end.
void clearAfterEnd(char* window, size_t end) {
  std::memset(window + end, 0, 2 * AsciiFile::kPadding);
}

}  // namespace

void AsciiFile::readImage(size_t upTo) const {
  const State& s = state_;
  while (!s.atEnd && s.end < upTo) {
    const int64_t n = s.file.readAt(s.readOffset, s.window + s.end, upTo - s.end);
    if (n > 0) {
      s.end += static_cast<size_t>(n);
      s.readOffset += static_cast<uint64_t>(n);
    }
    // The image ends with the file as it was opened: what a file grew by since is not read.
    if (n <= 0 || s.end == s.capacity) s.atEnd = true;
    if (n < 0) s.failed = true;
  }
  clearAfterEnd(s.window, s.end);
}

void AsciiFile::refill() {
  State& s = state_;
  if (s.whole) {
    // The first read takes the first block alone, any later one the rest.
    readImage(s.end == 0 ? std::min(s.capacity, kFirstBlock) : s.capacity);
    return;
  }
  const size_t pending = s.end - s.begin;
  if (s.begin > 0) {
    std::memmove(s.window, s.window + s.begin, pending);
    s.begin = 0;
    s.end = pending;
  }
  if (s.end == s.capacity) {
    // One line fills the whole window: double it.
    std::unique_ptr<char[]> old = std::move(s.storage);
    const char* const oldWindow = s.window;
    allocateWindow(s.capacity * 2);
    std::memcpy(s.window, oldWindow, s.end);
  }
  const int64_t n = s.file.readAt(s.readOffset, s.window + s.end, s.capacity - s.end);
  if (n <= 0) {
    s.atEnd = true;
    if (n < 0) {
      // Lines after a read error cannot be trusted: drop what is left.
      s.failed = true;
      s.begin = 0;
      s.end = 0;
    }
    return;
  }
  s.end += static_cast<size_t>(n);
  s.readOffset += static_cast<uint64_t>(n);
  clearAfterEnd(s.window, s.end);
}

std::string_view AsciiFile::readLine() {
  State& s = state_;
  size_t scanFrom = s.begin;
  for (;;) {
    const char* base = s.window;
    const char* newline = nullptr;
    if (scanFrom < s.end) {
      newline = static_cast<const char*>(std::memchr(base + scanFrom, '\n', s.end - scanFrom));
    }
    // A terminator in the window's last byte ends the line only when the file is known to end
    // there, or isEOF() could not tell without a read that moves the window.
    if (newline != nullptr && (newline + 1 < base + s.end || s.atEnd)) {
      const size_t start = s.begin;
      size_t stop = static_cast<size_t>(newline - base);
      s.begin = stop + 1;
      if (stop > start && base[stop - 1] == '\r') --stop;
      ++s.lineNumber;
      return textOf({base + start, stop - start});
    }
    if (newline == nullptr && s.atEnd) {
      if (s.begin == s.end) {
        s.failed = true;
        return {};
      }
      // The last line, without terminator.
      const size_t start = s.begin;
      s.begin = s.end;
      ++s.lineNumber;
      return textOf({base + start, s.end - start});
    }
    // The line runs past the window: read more, without scanning its known part again.
    const size_t scanned =
        (newline != nullptr ? static_cast<size_t>(newline - base) : s.end) - s.begin;
    refill();
    scanFrom = s.begin + scanned;
  }
}

std::string_view AsciiFile::wholeLines() {
  State& s = state_;
  // A file read whole hands out all its rows at once.
  if (s.whole) readImage(s.capacity);
  for (;;) {
    const std::string_view unread(s.window + s.begin, s.end - s.begin);
    // As in readLine, a terminator in the window's last byte is left for the next read until
    // the file is known to end there, so that isEOF() stays exact.
    const size_t last = unread.substr(0, s.atEnd ? unread.size() : unread.size() - 1).rfind('\n');
    if (last != std::string_view::npos) return unread.substr(0, last + 1);
    if (s.atEnd) {
      if (unread.empty()) {
        s.failed = true;
        return {};
      }
      // The last line, without terminator: the padding after it takes one.
      s.window[s.end] = '\n';
      return {unread.data(), unread.size() + 1};
    }
    refill();
  }
}

std::string_view AsciiFile::readLineAtOffset(uint64_t offset) const {
  const State& s = state_;
  if (s.whole && s.window != nullptr) return lineOfImage(offset);
  s.lineAtOffset.clear();
  auto block = std::make_unique_for_overwrite<char[]>(kOffsetBlockSize);
  uint64_t toSkip = offset;  // terminators still to pass before the line starts
  uint64_t fileOffset = 0;
  for (;;) {
    const int64_t n = s.file.readAt(fileOffset, block.get(), kOffsetBlockSize);
    if (n < 0) {
      s.failed = true;
      s.lineAtOffset.clear();
      return {};
    }
    if (n == 0) break;
    fileOffset += static_cast<uint64_t>(n);
    const char* p = block.get();
    const char* const end = p + n;
    while (toSkip > 0 && p < end) {
      const void* newline = std::memchr(p, '\n', static_cast<size_t>(end - p));
      if (newline == nullptr) {
        p = end;
      } else {
        p = static_cast<const char*>(newline) + 1;
        --toSkip;
      }
    }
    if (toSkip > 0) continue;
    const void* newline = std::memchr(p, '\n', static_cast<size_t>(end - p));
    if (newline != nullptr) {
      s.lineAtOffset.append(p, static_cast<const char*>(newline));
      if (!s.lineAtOffset.empty() && s.lineAtOffset.back() == '\r') s.lineAtOffset.pop_back();
      return textOf(s.lineAtOffset);
    }
    s.lineAtOffset.append(p, end);
  }
  // The end of the file: the line exists only when it has text after the last terminator.
  if (toSkip > 0 || s.lineAtOffset.empty()) {
    s.failed = true;
    return {};
  }
  return textOf(s.lineAtOffset);
}

std::string_view AsciiFile::lineOfImage(uint64_t offset) const {
  const State& s = state_;
  for (;;) {
    const char* p = s.window;
    const char* const end = s.window + s.end;
    uint64_t toSkip = offset;
    while (toSkip > 0 && p < end) {
      const void* newline = std::memchr(p, '\n', static_cast<size_t>(end - p));
      p = newline == nullptr ? end : static_cast<const char*>(newline) + 1;
      if (newline != nullptr) --toSkip;
    }
    const void* newline = toSkip > 0 ? nullptr : std::memchr(p, '\n', static_cast<size_t>(end - p));
    if (newline == nullptr && !s.atEnd) {
      // The line lies past what the image holds yet.
      readImage(s.capacity);
      continue;
    }
    // At the end of the image the line exists only when it has text after the last terminator.
    if (toSkip > 0 || (newline == nullptr && p == end)) {
      s.failed = true;
      return {};
    }
    std::string_view line(
        p, static_cast<size_t>((newline != nullptr ? static_cast<const char*>(newline) : end) - p));
    if (newline != nullptr && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    return textOf(line);
  }
}

uint64_t AsciiFile::numLinesInFile() const {
  const State& s = state_;
  if (s.counted) return s.numLines;
  if (s.whole && s.window != nullptr) {
    readImage(s.capacity);
    s.numLines = countNewlines(s.window, s.end);
    if (s.end > 0 && s.window[s.end - 1] != '\n') ++s.numLines;  // a last line without one
    s.counted = true;
    return s.numLines;
  }
  const size_t blockSize = blockSizeFor(s.file.size().value_or(0), kCountBlockSize);
  auto block = std::make_unique_for_overwrite<char[]>(blockSize);
  uint64_t lines = 0;
  uint64_t offset = 0;
  char last = '\n';
  for (;;) {
    const int64_t n = s.file.readAt(offset, block.get(), blockSize);
    if (n < 0) s.failed = true;
    if (n <= 0) break;
    const size_t size = static_cast<size_t>(n);
    lines += countNewlines(block.get(), size);
    last = block[size - 1];
    offset += size;
  }
  if (last != '\n') ++lines;  // a last line without terminator
  s.numLines = lines;
  s.counted = true;
  return lines;
}

void AsciiFile::error(std::string_view message) const {
  std::string text = "File \"" + state_.fileName + "\"";
  if (state_.lineNumber > 0) text += ", line " + std::to_string(state_.lineNumber);
  text += ": ";
  text += message;
  QorUtilDialogErrMsg(text.c_str());
}

void AsciiFile::error(std::string_view message, uint64_t lineNumber) const {
  std::string text = "File \"" + state_.fileName + "\", line " + std::to_string(lineNumber) + ": ";
  text += message;
  QorUtilDialogErrMsg(text.c_str());
}

}  // namespace qorvian::qorutilutil
