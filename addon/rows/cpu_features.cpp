// The processor check: the compiler's own where it has one, else CPUID and XGETBV.
#include "addon/rows/cpu_features.h"

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <immintrin.h>
#include <intrin.h>
#endif

namespace cvl {
namespace {

bool askProcessor() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  // Checks the operating system's support for the AVX registers too.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
         __builtin_cpu_supports("popcnt");
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
  int leaf1[4];
  int leaf7[4];
  __cpuid(leaf1, 1);
  __cpuidex(leaf7, 7, 0);
  const bool osSavesAvx = (leaf1[2] & (1 << 27)) != 0 && (_xgetbv(0) & 6) == 6;
  const bool avx = (leaf1[2] & (1 << 28)) != 0;
  const bool popcnt = (leaf1[2] & (1 << 23)) != 0;
  const bool avx2 = (leaf7[1] & (1 << 5)) != 0;
  const bool bmi1 = (leaf7[1] & (1 << 3)) != 0;
  return osSavesAvx && avx && popcnt && avx2 && bmi1;
#else
  return false;
#endif
}

}  // namespace

bool processorHasAvx2() {
  static const bool has = askProcessor();
  return has;
}

}  // namespace cvl
