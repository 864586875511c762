// The list of row kernels, and the one that loads use; the kernels' common reader base.
#include <atomic>
#include <cstddef>
#include <iterator>
#include <span>
#include <string_view>

#include "addon/rows/kernels/kernels_internal.h"
#include "addon/rows/row_kernel.h"

namespace cvl::rows {
namespace {

// Best first; the portable kernel, which runs everywhere, last.
const RowKernel* const kKernels[] = {&avx2::kKernel, &portable::kKernel};

struct Supported {
  const RowKernel* kernels[std::size(kKernels)];
  size_t count = 0;
};

// Asked once: what the processor supports does not change.
const Supported& supported() {
  static const Supported list = [] {
    Supported found;
    for (const RowKernel* kernel : kKernels) {
      if (kernel->supported()) found.kernels[found.count++] = kernel;
    }
    return found;
  }();
  return list;
}

std::atomic<const RowKernel*>& chosen() {
  static std::atomic<const RowKernel*> kernel{supported().kernels[0]};
  return kernel;
}

}  // namespace

RowReader::RowReader() = default;
RowReader::~RowReader() = default;

std::span<const RowKernel* const> rowKernels() {
  return kKernels;
}

const RowKernel* findRowKernel(std::string_view name) {
  for (const RowKernel* kernel : kKernels) {
    if (name == kernel->name) return kernel;
  }
  return nullptr;
}

std::span<const RowKernel* const> supportedRowKernels() {
  const Supported& list = supported();
  return {list.kernels, list.count};
}

const RowKernel& activeRowKernel() {
  return *chosen().load(std::memory_order_relaxed);
}

bool useRowKernel(std::string_view name) {
  const RowKernel* kernel = findRowKernel(name);
  if (kernel == nullptr || !kernel->supported()) return false;
  chosen().store(kernel, std::memory_order_relaxed);
  return true;
}

}  // namespace cvl::rows
