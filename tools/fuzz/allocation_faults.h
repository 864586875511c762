// Counting and failing the add-on's allocations, for the fuzz harness's fault plans and the fault
// sweep. The program that links allocation_faults.cpp replaces the global operator new and
// delete; while counting is on, on the thread that turned it on and outside the stand-in host's
// own calls, every allocation is counted, and the armed one throws std::bad_alloc as an exhausted
// heap would.
#ifndef CVL_TOOLS_FUZZ_ALLOCATION_FAULTS_H
#define CVL_TOOLS_FUZZ_ALLOCATION_FAULTS_H

#include <cstddef>
#include <cstdint>
#include <span>

namespace cvl::fuzz {

// Starts counting on this thread, from 0. failAt is the number (from 1) of the allocation that
// throws; 0 lets every allocation succeed. With onward set, every allocation after it throws too,
// as when memory stays exhausted.
void startCountingAllocations(int64_t failAt = 0, bool onward = false);
// Stops counting; returns the number of allocations counted, the one that threw included.
int64_t stopCountingAllocations();
// True when the allocation at failAt was reached and threw.
bool allocationFailed();
// For each allocation counted since the start (up to the first 65,536), the length of the
// stand-in host's call log when it was made: allocation k came after the first
// allocationPositions()[k - 1] host calls. Valid until the next start.
std::span<const uint32_t> allocationPositions();

}  // namespace cvl::fuzz

#endif  // CVL_TOOLS_FUZZ_ALLOCATION_FAULTS_H
