// Zeroed pages on Windows: VirtualAlloc reserves and commits in one step; committed pages are
// zero-filled on first touch and cost physical memory only then. Large pages need a privilege
// that processes do not normally hold, so none are asked for.
#include <windows.h>

#include "standins/qvsdkbase/zeroed_pages.h"

namespace qvsdkbase {

void* allocateZeroedPages(size_t bytes) noexcept {
  return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void freeZeroedPages(void* pages, size_t /*bytes*/) noexcept {
  ::VirtualFree(pages, 0, MEM_RELEASE);  // a whole reservation is released by its base alone
}

// Committed pages come zeroed on first touch; nothing makes them present sooner without
// writing them.
void prepareForWriting(void* /*data*/, size_t /*bytes*/) noexcept {}

}  // namespace qvsdkbase
