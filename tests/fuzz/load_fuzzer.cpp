// Coverage-guided fuzz target for the whole load: the bytes of one input become one or two .out
// files, which are picked together in the stand-in host's dialog and loaded through the add-on's
// selection callback. After every load the rules of checkLoad must hold; a broken rule aborts,
// so that the fuzzer keeps the input, as it does for a crash or a sanitizer report.
//
// Input layout: the bytes up to the first kFileMarker are a.out; the bytes after it are b.out,
// picked after a.out. Nothing after the marker picks a.out twice. Without a marker a.out is
// picked alone.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tests/fuzz/selection_load.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr std::string_view kFileMarker = "%%next-file%%";

// The input files of this process, rewritten for every input, in a folder of their own; the
// folder goes when the process ends normally.
const cvltest::TempDir& inputFolder() {
  static const cvltest::TempDir folder;
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t marker = input.find(kFileMarker);
  const cvltest::TempDir& folder = inputFolder();

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
