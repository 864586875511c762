// ReadOnlyFile: the operating system's side of reading one file, and nothing else.
#ifndef CVL_STANDINS_QORUTILUTIL_UTILS_READ_ONLY_FILE_H
#define CVL_STANDINS_QORUTILUTIL_UTILS_READ_ONLY_FILE_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace qorvian::qorutilutil {

// One regular file opened for reading at 64-bit offsets. The only place where the line file
// meets the operating system: read_only_file_posix.cpp and read_only_file_windows.cpp implement
// it, and one of them is built.
//
// A file that another process still writes (a running solver's output) opens and reads; what
// was written after a read is seen by the next one.
class ReadOnlyFile {
 public:
  ReadOnlyFile() noexcept = default;
  ~ReadOnlyFile() { close(); }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  // The moved-from object holds no file.
  ReadOnlyFile(ReadOnlyFile&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) {}
  ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept {
    if (this != &other) {
      close();
      handle_ = std::exchange(other.handle_, kNoHandle);
    }
    return *this;
  }

  // Opens the file of that name (a narrow string, as the operating system takes it: bytes on
  // POSIX, the process's ANSI code page on Windows). False when it cannot be opened, or is not a
  // regular disk file (a folder, a pipe, a device); opening never waits for another process.
  // A file already open is closed first.
  bool open(const std::string& name);
  // Closes the file; harmless when none is open.
  void close() noexcept;
  bool isOpen() const { return handle_ != kNoHandle; }

  // The file's size in bytes now, or nothing when the system cannot tell.
  std::optional<uint64_t> size() const;
  // Reads up to length bytes at offset into `into`. Returns the number of bytes read, 0 at or
  // past the end of the file, and -1 on a read error or when no file is open. Does not move any
  // position: reads at different offsets are independent.
  int64_t readAt(uint64_t offset, char* into, size_t length) const;

 private:
  // A POSIX file descriptor or a Windows HANDLE; both systems use -1 for none.
  static constexpr intptr_t kNoHandle = -1;
  intptr_t handle_ = kNoHandle;
};

}  // namespace qorvian::qorutilutil

#endif  // CVL_STANDINS_QORUTILUTIL_UTILS_READ_ONLY_FILE_H
