// Zero-filled memory straight from the operating system, for large value arrays. The only place
// where the stand-in host meets the operating system: zeroed_pages_posix.cpp and
// zeroed_pages_windows.cpp implement it, and one of them is built.
#ifndef CVL_STANDINS_QVSDKBASE_ZEROED_PAGES_H
#define CVL_STANDINS_QVSDKBASE_ZEROED_PAGES_H

#include <cstddef>

namespace qvsdkbase {

// A fresh block of bytes (more than zero) of zeroed, writable pages, or null when the system has
// none to give. Pages cost memory only once written; large pages are asked for where the system
// gives them without special rights. The caller frees the block with freeZeroedPages.
void* allocateZeroedPages(size_t bytes) noexcept;

// Gives back a block from allocateZeroedPages, with the same length.
void freeZeroedPages(void* pages, size_t bytes) noexcept;

// A hint that the bytes [data, data + bytes) of writable memory are about to be written whole:
// the system makes the pages that lie wholly inside present now, in one step, rather than one
// fault at a time as they are first written (each fault costs several microseconds on a virtual
// machine). Changes no byte; where the system has no such step, does nothing.
void prepareForWriting(void* data, size_t bytes) noexcept;

}  // namespace qvsdkbase

#endif  // CVL_STANDINS_QVSDKBASE_ZEROED_PAGES_H
