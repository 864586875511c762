#include "tools/bench/generator/value_model.h"

#include "tools/bench/generator/splitmix64.h"

namespace cvl::bench {
namespace {

// Rows per engine cycle: every periodic quantity repeats with this period.
constexpr uint64_t kRowsPerCycle = 7200;

// 0 at the start and end of the cycle, 1 at its middle, sharply peaked.
double cyclePeak(uint64_t row) {
  const double phase =
      static_cast<double>(row % kRowsPerCycle) / static_cast<double>(kRowsPerCycle);
  double bump = 4.0 * phase * (1.0 - phase);
  bump *= bump;  // ^2
  bump *= bump;  // ^4
  return bump * bump;
}

double cyclePhase(uint64_t row) {
  return static_cast<double>(row % kRowsPerCycle) / static_cast<double>(kRowsPerCycle);
}

// 10 to the power -n for n in 0..31, without a library call whose last bit might differ
// between systems.
double negativePowerOfTen(int n) {
  double value = 1.0;
  for (int i = 0; i < n; ++i) value /= 10.0;
  return value;
}

}  // namespace

double cellValue(ValueKind kind, uint64_t seed, uint64_t row, int32_t column) {
  const uint64_t key = splitMix64(seed ^ splitMix64(row)) + static_cast<uint64_t>(column);
  const uint64_t bits = splitMix64(key);
  const double noise = unitInterval(bits);  // [0, 1)
  const double peak = cyclePeak(row);
  switch (kind) {
    case ValueKind::CrankAngle:
      return -378.0 + static_cast<double>(row) * 0.0104345;
    case ValueKind::StepCount:
      return static_cast<double>(row);
    case ValueKind::Pressure:
      return 1.0e5 * (1.0 + 60.0 * peak) * (1.0 + 0.02 * (noise - 0.5));
    case ValueKind::Temperature:
      return 300.0 + 2200.0 * peak + 5.0 * (noise - 0.5);
    case ValueKind::Mass:
      // Four orders of magnitude between columns.
      return 1.0e-3 * (0.5 + noise) * negativePowerOfTen(column % 4);
    case ValueKind::SignedFlow:
      if ((bits & 15U) == 0) return 0.0;
      return (noise - 0.5) * 4.0e-3 * (1.0 + 10.0 * peak);
    case ValueKind::Density:
      return 1.0 + 59.0 * peak + 0.1 * noise;
    case ValueKind::Velocity:
      return (noise - 0.5) * 200.0 * (0.2 + peak);
    case ValueKind::Energy: {
      const double phase = cyclePhase(row);
      if (phase < 0.4) return 0.0;
      const double burnt = phase - 0.4;
      return 1.0e3 * burnt * burnt * (1.0 + 0.01 * noise);
    }
    case ValueKind::HeatRate:
      return 50.0 * peak * (noise - 0.2) + 1.0e-6 * noise;
    case ValueKind::Fraction:
      // Bits 4 to 8 lie outside those that make noise.
      return (0.1 + 0.9 * noise) * negativePowerOfTen(static_cast<int>((bits >> 4) & 31U));
    case ValueKind::Volume:
      return 5.0e-4 * (1.0 + 0.5 * (1.0 - peak)) + 1.0e-9 * noise;
    case ValueKind::Turbulence:
      return 0.1 + 1.0e3 * peak * noise;
  }
  return 0.0;
}

}  // namespace cvl::bench
