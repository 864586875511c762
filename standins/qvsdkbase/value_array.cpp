#include <cstdint>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "standins/qvsdkbase/host_control.h"
#include "standins/qvsdkbase/zeroed_pages.h"

namespace qvsdkbase {

namespace {

size_t valueSize(QvDataType type) {
  return type == QV_DATATYPE_INT32 ? sizeof(int32_t) : sizeof(double);
}

// Arrays from this size on get pages of their own from the system, huge pages where it gives
// them: on a virtual machine every 4 KiB page fault is expensive, and writing the values of a
// large zone page by page would cost more than reading them.
constexpr size_t kMappedFrom = size_t{2} << 20;

}  // namespace

// The system's zeroed pages and calloc both leave the pages of a large array unmapped until they
// are written, so a zone of billions of points costs memory only for the values actually stored.
ValueArray::ValueArray(QvDataType valueType, int64_t valueCount)
    : type(valueType), size(valueCount), data(nullptr) {
  if (type != QV_DATATYPE_DOUBLE && type != QV_DATATYPE_INT32) {
    throw std::invalid_argument("unknown data type " + std::to_string(type));
  }
  if (size < 0) throw std::invalid_argument("negative array size");
  // No object may be larger than PTRDIFF_MAX bytes; refusing here also keeps an oversized
  // request away from allocators that abort instead of failing.
  if (static_cast<uint64_t>(size) > static_cast<uint64_t>(PTRDIFF_MAX) / valueSize(type)) {
    throw std::bad_alloc();
  }
  // At least one value, so that an empty array still has an address of its own.
  const auto elements = size == 0 ? size_t{1} : static_cast<size_t>(size);
  const size_t bytes = elements * valueSize(type);
  if (bytes >= kMappedFrom) {
    void* pages = allocateZeroedPages(bytes);
    if (pages == nullptr) throw std::bad_alloc();
    data = pages;
    mappedBytes = bytes;
    return;
  }
  data = std::calloc(elements, valueSize(type));
  if (data == nullptr) throw std::bad_alloc();
}

ValueArray::ValueArray(QvDataType valueType, int64_t valueCount, std::shared_ptr<void> sharedBlock,
                       void* values)
    : type(valueType), size(valueCount), data(values), block(std::move(sharedBlock)) {}

ValueArray::~ValueArray() {
  if (block) return;  // the block goes with its last array
  if (mappedBytes != 0) {
    freeZeroedPages(data, mappedBytes);
  } else {
    std::free(data);
  }
}

std::shared_ptr<void> allocateValueBlock(size_t bytes) {
  if (bytes > static_cast<size_t>(PTRDIFF_MAX)) throw std::bad_alloc();
  const size_t length = bytes == 0 ? size_t{1} : bytes;
  if (length >= kMappedFrom) {
    void* pages = allocateZeroedPages(length);
    if (pages == nullptr) throw std::bad_alloc();
    return std::shared_ptr<void>(pages, [length](void* p) { freeZeroedPages(p, length); });
  }
  void* allocated = std::calloc(length, 1);
  if (allocated == nullptr) throw std::bad_alloc();
  return std::shared_ptr<void>(allocated, [](void* p) { std::free(p); });
}

size_t ValueArray::bytes() const {
  return static_cast<size_t>(size) * valueSize(type);
}

double ValueArray::asDouble(int64_t index) const {
  if (index < 0 || index >= size) {
    throw std::out_of_range("value index " + std::to_string(index) + " of " + std::to_string(size));
  }
  const auto at = static_cast<size_t>(index);
  if (type == QV_DATATYPE_INT32) return static_cast<const int32_t*>(data)[at];
  return static_cast<const double*>(data)[at];
}

}  // namespace qvsdkbase
