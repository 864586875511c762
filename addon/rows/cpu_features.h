// What the processor offers beyond the baseline of x86-64 (SSE2), asked once.
#ifndef CVL_ADDON_ROWS_CPU_FEATURES_H
#define CVL_ADDON_ROWS_CPU_FEATURES_H

namespace cvl {

// True when the processor and the operating system support AVX2 with the bit instructions that
// come with it (BMI1, POPCNT), as the code built for AVX2 needs; false on other processors and
// architectures.
bool processorHasAvx2();

}  // namespace cvl

#endif  // CVL_ADDON_ROWS_CPU_FEATURES_H
