// Coverage-guided fuzz target for the whole load: the bytes of one input become one or two .out
// files, which are picked together in the stand-in host's dialog and loaded through the add-on's
// selection callback, with the host calls and the allocation that the input's fault plan names
// failing (layout in fuzz_input.h). The load runs once with every row kernel the processor
// supports. After every load the rules of checkLoad must hold; and where no fault struck, every
// kernel must have shown the same messages and left the same dataset, bit for bit, as the
// portable one. A broken rule aborts, so that the fuzzer keeps the input, as it does for a crash
// or a sanitizer report.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "addon/rows/row_kernel.h"
#include "standins/qvsdkbase/host_control.h"
#include "tools/fuzz/fuzz_input.h"

namespace {

// The host's dataset as bytes: every zone's name, points, types, shares and values.
std::string dataSetBytes() {
  std::string bytes;
  const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
  if (dataSet == nullptr) return bytes;
  const auto add = [&bytes](const void* data, size_t size) {
    bytes.append(static_cast<const char*>(data), size);
  };
  for (const qvsdkbase::Zone& zone : dataSet->zones) {
    bytes += zone.name + '\n';
    add(&zone.points, sizeof zone.points);
    add(zone.types.data(), zone.types.size() * sizeof(QvDataType));
    add(zone.shareZones.data(), zone.shareZones.size() * sizeof(QvZoneNum));
    for (const auto& values : zone.values) {
      add(values->data, static_cast<size_t>(values->size) *
                            (values->type == QV_DATATYPE_INT32 ? sizeof(int32_t) : sizeof(double)));
    }
  }
  return bytes;
}

[[noreturn]] void fail(const char* kernel, const std::vector<std::string>& what,
                       const cvl::fuzz::SelectionLoad& load) {
  std::fprintf(stderr, "\nBroken after the load with the %s kernel:\n", kernel);
  for (const std::string& line : what) std::fprintf(stderr, "  - %s\n", line.c_str());
  for (const std::string& message : load.messages)
    std::fprintf(stderr, "  message: %s\n", message.c_str());
  std::abort();
}

// A folder of this process's own for the input files, made at the first input and removed when
// the process ends normally.
class InputFolder {
 public:
  InputFolder() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path folder =
          base / ("cvl-load-fuzzer-" + std::to_string(std::random_device{}()));
      if (std::filesystem::create_directory(folder)) path_ = folder;
    }
    if (path_.empty()) {
      std::fprintf(stderr, "cannot make a folder in %s\n", base.string().c_str());
      std::abort();
    }
  }
  ~InputFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  InputFolder(const InputFolder&) = delete;
  InputFolder& operator=(const InputFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The input files of this process, rewritten for every input, in a folder of their own; the
  // folder goes when the process ends normally.
  static const InputFolder folder;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  bool compared = false;
  std::vector<std::string> firstMessages;
  std::string firstDataSet;
  for (const cvl::rows::RowKernel* kernel : cvl::rows::supportedRowKernels()) {
    cvl::rows::useRowKernel(kernel->name);
    const cvl::fuzz::SelectionLoad load = cvl::fuzz::loadFuzzInput(input, folder.path());
    if (!load.violations.empty()) fail(kernel->name, load.violations, load);
    if (load.faultAt) continue;  // an allocation fault strikes each kernel elsewhere
    if (!compared) {
      compared = true;
      firstMessages = load.messages;
      firstDataSet = dataSetBytes();
    } else if (load.messages != firstMessages || dataSetBytes() != firstDataSet) {
      fail(kernel->name, {"messages or dataset differ from another kernel's"}, load);
    }
  }
  cvl::rows::useRowKernel(cvl::rows::supportedRowKernels()[0]->name);
  return 0;
}
