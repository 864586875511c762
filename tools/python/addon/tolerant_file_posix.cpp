// ReadOnlyFile for the Python package's build of the add-on: the line file's door to the system,
// as read_only_file_posix.cpp has it, and under the calling thread's read options a view of the
// file that reads a solver-written header ("#___________Crank") as the loader's rules expect it,
// and ends at the file's last whole line. The view changes bytes in place and never their
// positions, so that the line file and the loader above it see one consistent file; with every
// option off, it passes each byte through as the file holds it and costs one table lookup per
// read. A file whose bytes the package holds (threadHeldFile) is read from them, not from disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "standins/qorutilutil_utils/read_only_file.h"
#include "tools/python/addon/read_options_internal.h"

namespace cvl::python {

ReadOptions& threadReadOptions() {
  thread_local ReadOptions options;
  return options;
}

std::vector<ReadNote>& threadReadNotes() {
  thread_local std::vector<ReadNote> notes;
  return notes;
}

std::optional<HeldFile>& threadHeldFile() {
  thread_local std::optional<HeldFile> held;
  return held;
}

}  // namespace cvl::python

namespace qorvian::qorutilutil {

namespace {

using cvl::python::ReadNote;
using cvl::python::ReadOptions;

constexpr int kHeaderLines = 5;
// How far into a file its header is looked for: a header longer than this is left as it is.
constexpr size_t kHeaderSearch = size_t{1} << 20;
constexpr size_t kTailBlock = size_t{1} << 16;

// Where a file's bytes come from: its descriptor, or the bytes the package holds for it.
struct Source {
  int fd = -1;
  std::optional<std::string_view> held;
};

// What a file opened under read options, or held, reads as.
struct FileView {
  uint64_t end = 0;                                   // bytes at or past it are not read
  std::vector<std::pair<uint64_t, uint64_t>> blanks;  // [first, last) read as ' '
  std::optional<std::string_view> held;               // the bytes of a held file
};

// The views of the files this thread opened under options or held, by their handles: a
// descriptor, or for a held file a number below -1 that no descriptor has. A file is opened,
// read and closed by the thread that loads it.
std::unordered_map<intptr_t, FileView>& threadViews() {
  thread_local std::unordered_map<intptr_t, FileView> views;
  return views;
}

intptr_t newHeldHandle() {
  thread_local intptr_t last = -1;
  return --last;
}

bool isWhiteSpace(char c) {
  return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

// One read of up to length bytes at offset, as pread(2) gives it (-1 on an error).
int64_t readOnce(const Source& source, uint64_t offset, char* into, size_t length) {
  if (source.held) {
    if (offset >= source.held->size()) return 0;
    const auto count =
        static_cast<size_t>(std::min<uint64_t>(length, source.held->size() - offset));
    std::memcpy(into, source.held->data() + offset, count);
    return static_cast<int64_t>(count);
  }
  ssize_t n;
  do {
    n = ::pread(source.fd, into, length, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  return n;
}

int64_t readFully(const Source& source, uint64_t offset, char* into, size_t length) {
  size_t done = 0;
  while (done < length) {
    const int64_t n = readOnce(source, offset + done, into + done, length - done);
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

// Header lines whose first token is "#" followed at once by underscores: the underscores are read
// as blanks, and each such line is noted.
void tolerateHeader(const Source& source, uint64_t size, FileView& view, ReadNote& note) {
  std::string head(static_cast<size_t>(std::min<uint64_t>(size, kHeaderSearch)), '\0');
  const int64_t got = readFully(source, 0, head.data(), head.size());
  if (got <= 0) return;
  head.resize(static_cast<size_t>(got));
  size_t lineStart = 0;
  for (int line = 1; line <= kHeaderLines && lineStart < head.size(); ++line) {
    const size_t newline = head.find('\n', lineStart);
    const size_t lineEnd = newline == std::string::npos ? head.size() : newline;
    size_t at = lineStart;
    while (at < lineEnd && isWhiteSpace(head[at])) ++at;
    if (at + 1 < lineEnd && head[at] == '#' && head[at + 1] == '_') {
      size_t after = at + 1;
      while (after < lineEnd && head[after] == '_') ++after;
      size_t tokenEnd = after;
      while (tokenEnd < lineEnd && !isWhiteSpace(head[tokenEnd]) && head[tokenEnd] != '\0') {
        ++tokenEnd;
      }
      view.blanks.emplace_back(at + 1, after);
      note.header.push_back({static_cast<uint64_t>(line), head.substr(at, tokenEnd - at)});
    }
    if (newline == std::string::npos) break;
    lineStart = newline + 1;
  }
}

// The offset just past the last '\n' before `end`, or 0 when there is none.
int64_t afterLastNewline(const Source& source, uint64_t end) {
  std::vector<char> block(kTailBlock);
  while (end > 0) {
    const uint64_t from = end > kTailBlock ? end - kTailBlock : 0;
    const auto length = static_cast<size_t>(end - from);
    if (readFully(source, from, block.data(), length) != static_cast<int64_t>(length)) return -1;
    for (size_t i = length; i > 0; --i) {
      if (block[i - 1] == '\n') return static_cast<int64_t>(from + i);
    }
    end = from;
  }
  return 0;
}

// Ends the view after the file's last whole line, and, for a file named in leaveOutLastLine,
// before that line. False when the file cannot be read.
bool completeTail(const Source& source, uint64_t size, const ReadOptions& options, FileView& view,
                  ReadNote& note) {
  int64_t end = afterLastNewline(source, size);
  if (end < 0) return false;
  note.unfinishedBytes = size - static_cast<uint64_t>(end);
  if (options.leaveOutLastLine.count(note.fileName) != 0 && end > 0) {
    end = afterLastNewline(source, static_cast<uint64_t>(end) - 1);
    if (end < 0) return false;
    note.lastLineLeftOut = true;
  }
  view.end = static_cast<uint64_t>(end);
  return true;
}

}  // namespace

bool ReadOnlyFile::open(const std::string& name) {
  close();
  const ReadOptions& options = cvl::python::threadReadOptions();
  const std::optional<cvl::python::HeldFile>& held = cvl::python::threadHeldFile();
  Source source;
  uint64_t size = 0;
  if (held && held->name == name) {
    handle_ = newHeldHandle();
    source.held = held->text;
    size = held->text.size();
  } else {
    // O_NONBLOCK: opening a named pipe would otherwise wait for a writer, for ever if none
    // comes; the pipe is refused below as no regular file. Reads of a regular file ignore it.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    handle_ = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      close();
      return false;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);  // a hint; failure changes nothing
    if (!options.lenientHeader && !options.completeTail) return true;
    source.fd = fd;
    size = static_cast<uint64_t>(info.st_size);
  }
  FileView view{size, {}, source.held};
  ReadNote note;
  note.fileName = name;
  if (options.lenientHeader) tolerateHeader(source, size, view, note);
  if (options.completeTail && !completeTail(source, size, options, view, note)) {
    close();
    return false;
  }
  // What the view cuts off the end cannot be read as header.
  for (auto& blank : view.blanks) blank.second = std::min(blank.second, view.end);
  if (!note.header.empty() || note.unfinishedBytes > 0 || note.lastLineLeftOut) {
    cvl::python::threadReadNotes().push_back(std::move(note));
  }
  threadViews()[handle_] = std::move(view);
  return true;
}

void ReadOnlyFile::close() noexcept {
  if (handle_ == kNoHandle) return;
  auto& views = threadViews();
  const auto found = views.find(handle_);
  const bool held = found != views.end() && found->second.held;
  if (found != views.end()) views.erase(found);
  if (!held) ::close(static_cast<int>(handle_));
  handle_ = kNoHandle;
}

std::optional<uint64_t> ReadOnlyFile::size() const {
  if (handle_ == kNoHandle) return std::nullopt;
  const auto& views = threadViews();
  const auto found = views.find(handle_);
  if (found != views.end() && found->second.held) return found->second.end;
  struct stat info {};
  if (::fstat(static_cast<int>(handle_), &info) != 0 || info.st_size < 0) return std::nullopt;
  const auto size = static_cast<uint64_t>(info.st_size);
  return found == views.end() ? size : std::min(size, found->second.end);
}

int64_t ReadOnlyFile::readAt(uint64_t offset, char* into, size_t length) const {
  if (handle_ == kNoHandle) return -1;
  // An offset beyond what off_t holds lies past the end of any file.
  if (offset > static_cast<uint64_t>(INT64_MAX)) return 0;
  const auto& views = threadViews();
  const auto found = views.find(handle_);
  const FileView* view = found == views.end() ? nullptr : &found->second;
  if (view != nullptr) {
    if (offset >= view->end) return 0;
    length = static_cast<size_t>(std::min<uint64_t>(length, view->end - offset));
  }
  Source source{static_cast<int>(handle_), {}};
  if (view != nullptr) source.held = view->held;
  const int64_t n = readOnce(source, offset, into, length);
  if (view != nullptr && n > 0) {
    const uint64_t last = offset + static_cast<uint64_t>(n);
    for (const auto& [first, end] : view->blanks) {
      const uint64_t from = std::max(first, offset), to = std::min(end, last);
      if (from < to) std::memset(into + (from - offset), ' ', static_cast<size_t>(to - from));
    }
  }
  return n;
}

}  // namespace qorvian::qorutilutil
