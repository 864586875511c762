// The benchmark's build of the add-on: the add-on's library as it ships (its entry point and
// every kernel) and two functions more, which only this build exports, so that cvl-bench-load can
// name the row kernel it measures and choose another one.
#include "addon/rows/row_kernel.h"

#if defined(_WIN32)
#define CVL_BENCH_EXPORT __declspec(dllexport)
#else
#define CVL_BENCH_EXPORT __attribute__((visibility("default")))
#endif

// Makes the row kernel of that name the one loads use; 0 when no kernel has that name or this
// processor does not support it.
extern "C" CVL_BENCH_EXPORT int cvlBenchUseRowKernel(const char* name) {
  return cvl::rows::useRowKernel(name) ? 1 : 0;
}

// The name of the row kernel that loads use.
extern "C" CVL_BENCH_EXPORT const char* cvlBenchRowKernel() {
  return cvl::rows::activeRowKernel().name;
}
