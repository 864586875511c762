#include "tools/fuzz/fuzz_input.h"

#include <cstddef>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace cvl::fuzz {
namespace {

LoadFaults readFaultPlan(std::string_view plan) {
  const std::span<const HostFault> calls = refusableCalls();
  LoadFaults faults;
  for (size_t i = 0; i + 1 < plan.size(); i += 2) {
    const auto choice = static_cast<unsigned char>(plan[i]) % (calls.size() + 1);
    const int64_t nth = static_cast<unsigned char>(plan[i + 1]) + 1;
    if (choice == calls.size()) {
      faults.failingAllocation = nth;
    } else {
      HostFault fault = calls[choice];
      fault.nth = nth;
      faults.hostFaults.push_back(fault);
    }
  }
  return faults;
}

// Writes content, byte for byte, to the file name in folder; returns its full path.
std::string writeFile(const std::filesystem::path& folder, const char* name,
                      std::string_view content) {
  const std::filesystem::path file = folder / name;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
  return file.string();
}

}  // namespace

SelectionLoad loadFuzzInput(std::string_view input, const std::filesystem::path& folder) {
  const size_t faultMarker = input.find(kFaultMarker);
  const std::string_view files = input.substr(0, faultMarker);
  const std::string_view plan = faultMarker == std::string_view::npos
                                    ? std::string_view()
                                    : input.substr(faultMarker + kFaultMarker.size());
  const size_t fileMarker = files.find(kFileMarker);
  std::vector<std::string> picked{writeFile(folder, "a.out", files.substr(0, fileMarker))};
  if (fileMarker != std::string_view::npos) {
    const std::string_view second = files.substr(fileMarker + kFileMarker.size());
    picked.push_back(second.empty() ? picked.front() : writeFile(folder, "b.out", second));
  }
  return loadSelection(picked, readFaultPlan(plan));
}

}  // namespace cvl::fuzz
