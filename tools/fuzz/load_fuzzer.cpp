// Coverage-guided fuzz target for the whole load: the bytes of one input become one or two .out
// files, which are picked together in the stand-in host's dialog and loaded through the add-on's
// selection callback, with the host calls and the allocation that the input's fault plan names
// failing (layout in fuzz_input.h). After every load the rules of checkLoad must hold; a broken
// rule aborts, so that the fuzzer keeps the input, as it does for a crash or a sanitizer report.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/support/temp_dir.h"
#include "tools/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The input files of this process, rewritten for every input, in a folder of their own; the
  // folder goes when the process ends normally.
  static const cvl::test::TempDir folder;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const cvl::fuzz::SelectionLoad load = cvl::fuzz::loadFuzzInput(input, folder);
  if (!load.violations.empty()) {
    std::fprintf(stderr, "\nBroken after the load:\n");
    for (const std::string& violation : load.violations)
      std::fprintf(stderr, "  - %s\n", violation.c_str());
    for (const std::string& message : load.messages)
      std::fprintf(stderr, "  message: %s\n", message.c_str());
    std::abort();
  }
  return 0;
}
