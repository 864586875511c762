#include "tools/bench/timing/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace cvl::bench {

MappedFile::~MappedFile() {
  unmap();
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    unmap();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool MappedFile::open(const std::string& path, std::string& error) {
  unmap();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    error = path + " is not a readable regular file";
    ::close(fd);
    return false;
  }
  const auto size = static_cast<size_t>(status.st_size);
  if (size > 0) {
    void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (address == MAP_FAILED) {
      error = "cannot map " + path + ": " + std::strerror(errno);
      ::close(fd);
      return false;
    }
    data_ = static_cast<const char*>(address);
    size_ = size;
  }
  // The mapping keeps the file's pages; the descriptor is no longer needed.
  ::close(fd);
  return true;
}

void MappedFile::unmap() {
  if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
  data_ = nullptr;
  size_ = 0;
}

}  // namespace cvl::bench
