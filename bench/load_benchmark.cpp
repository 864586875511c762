// cvl-bench-load: the loader's throughput against the floor loop, in one process, on one file.
//
// For each file: one warm-up run of each side, then --runs rounds, each a floor run followed by
// a loader run (or only one side with --only). A loader run makes the stand-in host as new,
// registers the add-on and times only its selection callback loading the file into a fresh
// dataset; a floor run times mapping the file and parsing it into an array allocated before.
// Throughput is MB (10^6 bytes) of file per second; the ratio is loader over floor.
//
//   cvl-bench-load --runs 7 single.out regions.out
//   cvl-bench-load --only loader --runs 1 --warmup 0 --check big.out
#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "bench/addon_load.h"
#include "bench/command_line.h"
#include "bench/floor_loop.h"
#include "bench/loaded_values_check.h"
#include "bench/run_statistics.h"
#include "qvsdkbase/host_control.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
  int64_t runs = 5;
  int64_t warmup = 1;
  std::string only = "both";
  std::string modulePath;
  bool check = false;
};

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void printSummary(const char* label, const cvlbench::RunSummary& s, int64_t runs) {
  std::printf("  %-7s MB/s  median %8.1f  min %8.1f  max %8.1f  (%lld runs)\n", label, s.median,
              s.min, s.max, static_cast<long long>(runs));
}

// Benchmarks one file; false after printing why it could not.
bool benchmarkFile(const std::string& path, const Settings& settings, cvlbench::AddOnLoad* addOn) {
  std::string error;
  cvlbench::DataShape shape;
  if (!cvlbench::probeDataShape(path, shape, error)) {
    std::cerr << error << "\n";
    return false;
  }
  struct stat status {};
  ::stat(path.c_str(), &status);
  const double megabytes = static_cast<double>(status.st_size) / 1e6;
  std::printf("%s: %.1f MB, %llu rows x %llu values\n", path.c_str(), megabytes,
              static_cast<unsigned long long>(shape.rows),
              static_cast<unsigned long long>(shape.valuesPerRow));

  const bool doFloor = settings.only != "loader";
  const bool doLoader = settings.only != "floor" && addOn != nullptr;
  // The floor's array is made and touched once, before any timing.
  std::vector<double> values(doFloor ? shape.rows * shape.valuesPerRow : 0);

  auto floorRun = [&](double& seconds) {
    size_t stored = 0;
    const auto start = Clock::now();
    if (!cvlbench::runFloorLoop(path, values, stored, error)) return false;
    seconds = secondsSince(start);
    if (stored != values.size()) {
      error = "the floor loop parsed " + std::to_string(stored) + " values, not " +
              std::to_string(values.size());
      return false;
    }
    return true;
  };
  auto loaderRun = [&](double& seconds, bool check) {
    if (!addOn->prepare(path, error)) return false;
    const auto start = Clock::now();
    addOn->load();
    seconds = secondsSince(start);
    if (!addOn->succeeded(static_cast<int64_t>(shape.rows), error)) return false;
    if (check) {
      std::string summary;
      if (!cvlbench::checkLoadedValues(path, *qvsdkbase::dataSet(), summary, error)) {
        error = "loaded values differ from the file: " + error;
        return false;
      }
      std::printf("  check: %s\n", summary.c_str());
    }
    // Frees the dataset now, so that the next run starts with the same free memory.
    qvsdkbase::reset();
    return true;
  };

  std::vector<double> floorRates;
  std::vector<double> loaderRates;
  std::vector<double> pairRatios;
  const int64_t total = settings.warmup + settings.runs;
  for (int64_t round = 0; round < total; ++round) {
    const bool counted = round >= settings.warmup;
    double floorSeconds = 0.0;
    double loaderSeconds = 0.0;
    if (doFloor && !floorRun(floorSeconds)) {
      std::cerr << error << "\n";
      return false;
    }
    const bool check = settings.check && round == total - 1;
    if (doLoader && !loaderRun(loaderSeconds, check)) {
      std::cerr << error << "\n";
      return false;
    }
    if (!counted) continue;
    if (doFloor) floorRates.push_back(megabytes / floorSeconds);
    if (doLoader) loaderRates.push_back(megabytes / loaderSeconds);
    if (doFloor && doLoader) pairRatios.push_back(floorSeconds / loaderSeconds);
  }

  if (doFloor) printSummary("floor", cvlbench::summarize(floorRates), settings.runs);
  if (doLoader) printSummary("loader", cvlbench::summarize(loaderRates), settings.runs);
  if (doFloor && doLoader) {
    const auto floor = cvlbench::summarize(floorRates);
    const auto loader = cvlbench::summarize(loaderRates);
    const auto pairs = cvlbench::summarize(pairRatios);
    std::printf(
        "  ratio loader/floor: %.2f (of medians); per round median %.2f, min %.2f, max %.2f\n",
        loader.median / floor.median, pairs.median, pairs.min, pairs.max);
  }
  std::fflush(stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  std::vector<std::string> files;
  cvlbench::CommandLine commandLine(
      "cvl-bench-load: throughput of the loader add-on against the floor loop.");
  commandLine.addInteger("runs", &settings.runs, "measured rounds per file (default 5)");
  commandLine.addInteger("warmup", &settings.warmup, "unmeasured rounds before them (default 1)");
  commandLine.addText("only", &settings.only, "floor or loader: measure one side only");
  commandLine.addText("addon", &settings.modulePath,
                      "the add-on module (default: libconvergeoutloader.so beside this program)");
  commandLine.addFlag("check", &settings.check,
                      "after the last load, compare the host's values with the file at its "
                      "first, middle and last rows");
  commandLine.setArguments("FILE...", &files);
  std::string parseError;
  if (!commandLine.parse(argc, argv, parseError)) {
    std::cerr << parseError << "\n";
    return 2;
  }
  if (files.empty() || settings.runs < 1 || settings.warmup < 0 ||
      (settings.only != "both" && settings.only != "floor" && settings.only != "loader")) {
    std::cerr << commandLine.usage();
    return 2;
  }

  cvlbench::AddOnLoad addOn;
  bool haveAddOn = false;
  if (settings.only != "floor") {
    std::string error;
    if (settings.modulePath.empty()) settings.modulePath = cvlbench::AddOnLoad::defaultModulePath();
    if (!addOn.open(settings.modulePath, error)) {
      std::cerr << error << "\n";
      return 1;
    }
    haveAddOn = true;
  }
  for (const std::string& file : files) {
    if (!benchmarkFile(file, settings, haveAddOn ? &addOn : nullptr)) return 1;
  }
  return 0;
}
