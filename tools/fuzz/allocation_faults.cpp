// The program's global operator new and delete, over malloc and free, with the counting of
// allocation_faults.h. Every form is replaced, so that a sanitizer runtime linked statically
// contributes none of its own.
#include "tools/fuzz/allocation_faults.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::fuzz {
namespace {

constexpr size_t kMaxRecorded = size_t{1} << 16;

// Only the thread that started counting counts; the others allocate as usual.
thread_local bool countingHere = false;
struct {
  int64_t counted = 0;
  int64_t failAt = 0;
  bool onward = false;
  bool failed = false;
} state;
std::array<uint32_t, kMaxRecorded> positions{};

// Counts one allocation of the add-on; false when it is the one that must fail.
bool admit() noexcept {
  if (!countingHere || qvsdkbase::insideHostCall()) return true;
  if (state.counted < static_cast<int64_t>(kMaxRecorded))
    positions[static_cast<size_t>(state.counted)] =
        static_cast<uint32_t>(qvsdkbase::calls().size());
  ++state.counted;
  if (state.failAt == 0 || state.counted < state.failAt) return true;
  if (state.counted > state.failAt && !state.onward) return true;
  state.failed = true;
  return false;
}

// A block from malloc; an over-aligned one (alignment given) with the block's own address kept
// just before the aligned address: std::aligned_alloc is not in every C runtime (Windows has
// none).
void* allocate(size_t size, std::align_val_t alignment = {}) {
  if (!admit()) throw std::bad_alloc();
  const auto align = static_cast<size_t>(alignment);
  void* block = std::malloc(align == 0 ? (size == 0 ? 1 : size) : size + align + sizeof(void*));
  if (block == nullptr) throw std::bad_alloc();
  if (align == 0) return block;
  const auto first = reinterpret_cast<uintptr_t>(block) + sizeof(void*);
  void* aligned = reinterpret_cast<void*>((first + align - 1) & ~(uintptr_t{align} - 1));
  static_cast<void**>(aligned)[-1] = block;
  return aligned;
}

void freeAligned(void* p) noexcept {
  if (p != nullptr) std::free(static_cast<void**>(p)[-1]);
}

template <typename... Alignment>
void* allocateOrNull(size_t size, Alignment... alignment) noexcept {
  try {
    return allocate(size, alignment...);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void startCountingAllocations(int64_t failAt, bool onward) {
  state = {0, failAt, onward, false};
  countingHere = true;
}

int64_t stopCountingAllocations() {
  countingHere = false;
  return state.counted;
}

bool allocationFailed() {
  return state.failed;
}

std::span<const uint32_t> allocationPositions() {
  return {positions.data(), std::min(static_cast<size_t>(state.counted), kMaxRecorded)};
}

}  // namespace cvl::fuzz

// Visible outside the program, so that its shared libraries allocate through it too.
#if defined(__GNUC__)
#define CVL_REPLACED __attribute__((visibility("default")))
#else
#define CVL_REPLACED
#endif

using cvl::fuzz::allocate;
using cvl::fuzz::allocateOrNull;
using cvl::fuzz::freeAligned;

// Each form of operator new and delete, for single objects (brackets empty) and for arrays.
#define CVL_REPLACE_NEW_AND_DELETE(brackets)                                               \
  CVL_REPLACED void* operator new brackets(size_t size) {                                  \
    return allocate(size);                                                                 \
  }                                                                                        \
  CVL_REPLACED void* operator new brackets(size_t size, const std::nothrow_t&) noexcept {  \
    return allocateOrNull(size);                                                           \
  }                                                                                        \
  CVL_REPLACED void* operator new brackets(size_t size, std::align_val_t alignment) {      \
    return allocate(size, alignment);                                                      \
  }                                                                                        \
  CVL_REPLACED void* operator new brackets(size_t size, std::align_val_t alignment,        \
                                           const std::nothrow_t&) noexcept {               \
    return allocateOrNull(size, alignment);                                                \
  }                                                                                        \
  CVL_REPLACED void operator delete brackets(void* p) noexcept {                           \
    std::free(p);                                                                          \
  }                                                                                        \
  CVL_REPLACED void operator delete brackets(void* p, size_t) noexcept {                   \
    std::free(p);                                                                          \
  }                                                                                        \
  CVL_REPLACED void operator delete brackets(void* p, const std::nothrow_t&) noexcept {    \
    std::free(p);                                                                          \
  }                                                                                        \
  CVL_REPLACED void operator delete brackets(void* p, std::align_val_t) noexcept {         \
    freeAligned(p);                                                                        \
  }                                                                                        \
  CVL_REPLACED void operator delete brackets(void* p, size_t, std::align_val_t) noexcept { \
    freeAligned(p);                                                                        \
  }                                                                                        \
  CVL_REPLACED void operator delete brackets(void* p, std::align_val_t,                    \
                                             const std::nothrow_t&) noexcept {             \
    freeAligned(p);                                                                        \
  }

CVL_REPLACE_NEW_AND_DELETE()
CVL_REPLACE_NEW_AND_DELETE([])
