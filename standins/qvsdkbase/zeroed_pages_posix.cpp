// Zeroed pages on POSIX systems: anonymous private mappings, with transparent huge pages asked
// for where the system has them.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "standins/qvsdkbase/zeroed_pages.h"

namespace qvsdkbase {

void* allocateZeroedPages(size_t bytes) noexcept {
  void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
  madvise(pages, bytes, MADV_HUGEPAGE);  // a hint: without huge pages the block still works
#endif
  return pages;
}

void freeZeroedPages(void* pages, size_t bytes) noexcept {
  munmap(pages, bytes);
}

void prepareForWriting(void* data, size_t bytes) noexcept {
#ifdef __linux__
  // MADV_POPULATE_WRITE, Linux 5.14 on; older systems refuse it, and the pages then come as
  // before, fault by fault.
  constexpr int kPopulateWrite = 23;
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<uintptr_t>(data) + page - 1) / page * page;
  const auto end = (reinterpret_cast<uintptr_t>(data) + bytes) / page * page;
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, kPopulateWrite);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace qvsdkbase
