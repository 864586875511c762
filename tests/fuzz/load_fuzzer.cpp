// Coverage-guided fuzz target for the whole load: the bytes of one input become one or two .out
// files, which are picked together in the stand-in host's dialog and loaded through the add-on's
// selection callback. After every load the rules of checkLoad must hold; a broken rule aborts,
// so that the fuzzer keeps the input, as it does for a crash or a sanitizer report.
//
// Input layout: the bytes up to the first kFileMarker are a.out; the bytes after it are b.out,
// picked after a.out. Nothing after the marker picks a.out twice. Without a marker a.out is
// picked alone.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "tests/fuzz/selection_load.h"

namespace {

constexpr std::string_view kFileMarker = "%%next-file%%";

// The input files of this process, rewritten for every input, in a folder of their own under the
// temporary folder; the folder goes when the process ends normally.
class InputFolder {
 public:
  InputFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "cvlfuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~InputFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  InputFolder(const InputFolder&) = delete;
  InputFolder& operator=(const InputFolder&) = delete;

  // Replaces the file name in the folder by content; returns its full name.
  std::string write(const char* name, std::string_view content) const {
    const std::string file = (path_ / name).string();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", file.c_str());
      std::abort();
    }
    return file;
  }

 private:
  std::filesystem::path path_;
};

const InputFolder& inputFolder() {
  static const InputFolder folder;
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t marker = input.find(kFileMarker);
  const InputFolder& folder = inputFolder();

  std::vector<std::string> picked{folder.write("a.out", input.substr(0, marker))};
  if (marker != std::string_view::npos) {
    const std::string_view second = input.substr(marker + kFileMarker.size());
    picked.push_back(second.empty() ? picked.front() : folder.write("b.out", second));
  }

  const cvltest::SelectionLoad load = cvltest::loadSelection(picked);
  if (!load.violations.empty()) {
    std::fprintf(stderr, "\nBroken after loading %zu file(s):\n", picked.size());
    for (const std::string& violation : load.violations) {
      std::fprintf(stderr, "  - %s\n", violation.c_str());
    }
    for (const std::string& message : load.messages) {
      std::fprintf(stderr, "  message: %s\n", message.c_str());
    }
    std::abort();
  }
  return 0;
}
