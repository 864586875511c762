#include "tools/fuzz/fuzz_input.h"

#include <cstddef>
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

}  // namespace

SelectionLoad loadFuzzInput(std::string_view input, const test::TempDir& folder) {
  const size_t faultMarker = input.find(kFaultMarker);
  const std::string_view files = input.substr(0, faultMarker);
  const std::string_view plan = faultMarker == std::string_view::npos
                                    ? std::string_view()
                                    : input.substr(faultMarker + kFaultMarker.size());
  const size_t fileMarker = files.find(kFileMarker);
  std::vector<std::string> picked{folder.write("a.out", files.substr(0, fileMarker))};
  if (fileMarker != std::string_view::npos) {
    const std::string_view second = files.substr(fileMarker + kFileMarker.size());
    picked.push_back(second.empty() ? picked.front() : folder.write("b.out", second));
  }
  return loadSelection(picked, readFaultPlan(plan));
}

}  // namespace cvl::fuzz
