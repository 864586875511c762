// What the generator writes into each cell: values shaped like those of an engine run (a crank
// angle, a step counter, pressures, temperatures, masses, signed flow rates, heat release, mass
// fractions down to 1e-32), each a pure function of (seed, row, column).
#ifndef CVL_TOOLS_BENCH_GENERATOR_VALUE_MODEL_H
#define CVL_TOOLS_BENCH_GENERATOR_VALUE_MODEL_H

#include <cstdint>

namespace cvl::bench {

enum class ValueKind {
  CrankAngle,   // rises steadily from -378 degrees
  StepCount,    // the row number, an integer
  Pressure,     // 1e5 to 6e6, peaking once per cycle
  Temperature,  // 3e2 to 2.5e3
  Mass,         // 1e-7 to 1e-3, positive
  SignedFlow,   // about +-1e-2, some rows exactly zero
  Density,      // 1 to 60
  Velocity,     // about +-1e2
  Energy,       // zero for the first part of each cycle, then growing
  HeatRate,     // mostly positive, some negative
  Fraction,     // 1 down to 1e-32
  Volume,       // about 5e-4
  Turbulence,   // 1e-1 to 1e3
};

// The value of a floating-point cell. Its decimal exponent lies within -99..99, so that it
// prints in a fixed number of characters. kind must not be StepCount.
double cellValue(ValueKind kind, uint64_t seed, uint64_t row, int32_t column);

// The value of a StepCount cell: the row number (callers keep rows below 2^31).
inline int64_t stepValue(uint64_t row) {
  return static_cast<int64_t>(row);
}

}  // namespace cvl::bench

#endif  // CVL_TOOLS_BENCH_GENERATOR_VALUE_MODEL_H
