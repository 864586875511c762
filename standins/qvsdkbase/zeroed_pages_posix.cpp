// Zeroed pages on POSIX systems: anonymous private mappings, with transparent huge pages asked
// for where the system has them.
#include <sys/mman.h>

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

}  // namespace qvsdkbase
