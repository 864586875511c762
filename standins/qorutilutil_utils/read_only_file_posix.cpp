// ReadOnlyFile on POSIX systems: open(2), fstat(2) and pread(2).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "standins/qorutilutil_utils/read_only_file.h"

namespace qorvian::qorutilutil {

bool ReadOnlyFile::open(const std::string& name) {
  close();
  // O_NONBLOCK: opening a named pipe would otherwise wait for a writer, for ever if none comes;
  // the pipe is refused below as no regular file. Reads of a regular file ignore the flag.
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  handle_ = fd;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close();
    return false;
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);  // a hint; failure changes nothing
  return true;
}

void ReadOnlyFile::close() noexcept {
  if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
  handle_ = kNoHandle;
}

std::optional<uint64_t> ReadOnlyFile::size() const {
  struct stat info {};
  if (handle_ == kNoHandle || ::fstat(static_cast<int>(handle_), &info) != 0 || info.st_size < 0) {
    return std::nullopt;
  }
  return static_cast<uint64_t>(info.st_size);
}

int64_t ReadOnlyFile::readAt(uint64_t offset, char* into, size_t length) const {
  if (handle_ == kNoHandle) return -1;
  // An offset beyond what off_t holds lies past the end of any file.
  if (offset > static_cast<uint64_t>(INT64_MAX)) return 0;
  ssize_t n;
  do {
    n = ::pread(static_cast<int>(handle_), into, length, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  return n;
}

}  // namespace qorvian::qorutilutil
