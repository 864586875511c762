// cvl-fair-floor: one fair floor run as a process of its own, for whole-process comparisons.
// Prints the number of values parsed.
//
//   cvl-fair-floor FILE
#include <cstdio>
#include <iostream>
#include <string>

#include "tools/bench/timing/fair_floor.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: cvl-fair-floor FILE\n";
    return 2;
  }
  cvl::bench::FairFloorValues values;
  std::string error;
  if (!cvl::bench::runFairFloor(argv[1], values, error)) {
    std::cerr << error << "\n";
    return 1;
  }
  std::printf("%llu values\n", static_cast<unsigned long long>(values.parsed));
  return 0;
}
