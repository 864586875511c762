// TempDir: a fresh folder for one test's files, removed with everything in it at the end; and
// reading a file whole.
#ifndef CVL_TESTS_SUPPORT_TEMP_DIR_H
#define CVL_TESTS_SUPPORT_TEMP_DIR_H

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace cvl::test {

class TempDir {
 public:
  // A folder of a random name in the system's temporary folder; creating it fails when the name
  // is taken, so that no two tests, in one process or several, share one.
  TempDir() {
    static std::mt19937_64 random{std::random_device{}()};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path folder = base / ("cvltest-" + std::to_string(random()));
      if (std::filesystem::create_directory(folder)) path_ = folder;
    }
    if (path_.empty())
      throw std::runtime_error("cannot make a temporary folder in " + base.string());
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

// The bytes of the file at path; empty when it cannot be read.
inline std::string readWholeFile(const std::filesystem::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

#ifdef CVL_TEST_DATA_DIR
// The folder of the files that the tests read: tests/data.
inline std::filesystem::path testDataDir() {
  return CVL_TEST_DATA_DIR;
}
#endif

}  // namespace cvl::test

#endif  // CVL_TESTS_SUPPORT_TEMP_DIR_H
