// ReadOnlyFile on Windows: CreateFileA, GetFileSizeEx and ReadFile at an offset. The C runtime's
// _open is not used: without _O_BINARY it turns "\r\n" into "\n" and stops at Ctrl-Z, and its
// sizes are 32-bit.
#include <windows.h>

#include <algorithm>

#include "standins/qorutilutil_utils/read_only_file.h"

namespace qorvian::qorutilutil {

namespace {

HANDLE asHandle(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool ReadOnlyFile::open(const std::string& name) {
  close();
  // Read, write and delete sharing: a file that the solver still writes, or that another
  // program has open, opens all the same. The name goes through the ANSI code page, as the
  // host's narrow names are meant.
  const HANDLE file = ::CreateFileA(
      name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<intptr_t>(file);
  // Only a disk file: a pipe, a console or a device could block a read or never end.
  if (::GetFileType(file) != FILE_TYPE_DISK) {
    close();
    return false;
  }
  return true;
}

void ReadOnlyFile::close() noexcept {
  if (handle_ != kNoHandle) ::CloseHandle(asHandle(handle_));
  handle_ = kNoHandle;
}

std::optional<uint64_t> ReadOnlyFile::size() const {
  LARGE_INTEGER size{};
  if (handle_ == kNoHandle || !::GetFileSizeEx(asHandle(handle_), &size) || size.QuadPart < 0) {
    return std::nullopt;
  }
  return static_cast<uint64_t>(size.QuadPart);
}

int64_t ReadOnlyFile::readAt(uint64_t offset, char* into, size_t length) const {
  if (handle_ == kNoHandle) return -1;
  if (offset > static_cast<uint64_t>(INT64_MAX)) return 0;
  // ReadFile takes at most a DWORD; the callers' blocks are far smaller.
  const auto wanted = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  if (!::ReadFile(asHandle(handle_), into, wanted, &read, &at)) {
    return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  }
  return static_cast<int64_t>(read);
}

}  // namespace qorvian::qorutilutil
