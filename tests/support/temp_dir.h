// TempDir: a fresh folder for one test's files, removed with everything in it at the end.
#ifndef CVL_TESTS_SUPPORT_TEMP_DIR_H
#define CVL_TESTS_SUPPORT_TEMP_DIR_H

#include <stdlib.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace cvltest {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "cvltest-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes content, byte for byte, to the file name in this folder; returns its full path.
  std::string write(const std::string& name, std::string_view content) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

#ifdef CVL_TEST_DATA_DIR
// The folder of the files that the tests read: tests/data.
inline std::filesystem::path testDataDir() {
  return CVL_TEST_DATA_DIR;
}
#endif

}  // namespace cvltest

#endif  // CVL_TESTS_SUPPORT_TEMP_DIR_H
