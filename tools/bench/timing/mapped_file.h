// MappedFile: a whole file mapped read-only into memory.
#ifndef CVL_TOOLS_BENCH_TIMING_MAPPED_FILE_H
#define CVL_TOOLS_BENCH_TIMING_MAPPED_FILE_H

#include <cstddef>
#include <string>
#include <string_view>

namespace cvl::bench {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();  // unmaps
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;

  // Maps the whole of path, unmapping what was mapped before. False with a message in error
  // when the file cannot be opened or mapped. An empty file maps to an empty text.
  bool open(const std::string& path, std::string& error);
  // The file's bytes; valid until this object is destroyed, moved from or opened again.
  std::string_view text() const { return {data_, size_}; }

 private:
  void unmap();

  const char* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_TIMING_MAPPED_FILE_H
