// cvl-bench-load: the loader's throughput against the floor loops, in one process, on one file
// at a time or on a case of files loaded one after another (--case).
//
// Sides, each timed on the same file in every round, in an order that turns by one each round:
//   floor     the mapped floor loop: maps the file and parses it into an array made beforehand
//   fair      the fair floor: reads the file with pread, counts its lines, allocates the values
//             as the stand-in host does, parses every token with std::from_chars
//   loader    the add-on (the benchmark's build of it, the shipped code with a row kernel that can
//             be chosen: --kernel, by default the best that the processor supports): the
//             stand-in host made as new, the add-on registered, then only its selection callback
//             timed, loading the file into a fresh dataset
//   baseline  a second add-on (--baseline), loaded the same way, for a before-and-after
// One warm-up round, then --runs rounds. Each run is timed as wall time and as the CPU time of
// the thread (which a busy machine's waiting does not count). Throughput is MB (10^6 bytes) of
// file per second; ratios are the loader's speed over another side's: the ratio of the medians,
// and the median and range of the ratios of single rounds.
//
//   cvl-bench-load --runs 7 single.out regions.out
//   cvl-bench-load --baseline old/libconvergeoutloader.so --only loader,baseline single.out
//   cvl-bench-load --only loader --runs 1 --warmup 0 --check big.out
//   cvl-bench-load --kernel portable --only loader,fair single.out
//   cvl-bench-load --case --runs 11 case/*.out
#include <sys/stat.h>
#include <time.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "standins/qvsdkbase/host_control.h"
#include "tools/bench/timing/addon_load.h"
#include "tools/bench/timing/fair_floor.h"
#include "tools/bench/timing/floor_loop.h"
#include "tools/bench/timing/loaded_values_check.h"
#include "tools/bench/timing/run_statistics.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
  int64_t runs = 5;
  int64_t warmup = 1;
  std::string only;
  std::string modulePath;
  std::string baselinePath;
  std::string kernel;
  bool check = false;
  bool asCase = false;
};

double threadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// One run's times, in seconds.
struct Times {
  double wall = 0.0;
  double cpu = 0.0;
};

// Times one call of run, which returns false after setting error.
template <typename Run>
bool timed(Run&& run, Times& times) {
  const auto start = Clock::now();
  const double cpuStart = threadSeconds();
  if (!run()) return false;
  times.cpu = threadSeconds() - cpuStart;
  times.wall = std::chrono::duration<double>(Clock::now() - start).count();
  return true;
}

// One side of the comparison and its times, one per measured round.
struct Side {
  std::string name;
  std::function<bool(Times&)> run;
  std::vector<Times> times;
};

std::vector<double> ratesOf(const Side& side, double megabytes, bool cpu) {
  std::vector<double> rates;
  for (const Times& t : side.times) rates.push_back(megabytes / (cpu ? t.cpu : t.wall));
  return rates;
}

void printSide(const Side& side, double megabytes) {
  for (const bool cpu : {false, true}) {
    const auto s = cvl::bench::summarize(ratesOf(side, megabytes, cpu));
    std::printf("  %-8s %s MB/s  median %7.1f  min %7.1f  max %7.1f\n", side.name.c_str(),
                cpu ? "cpu " : "wall", s.median, s.min, s.max);
  }
}

// The loader's speed over other's: ratio of the medians, and the per-round ratios.
void printRatio(const Side& loader, const Side& other, double megabytes) {
  for (const bool cpu : {false, true}) {
    std::vector<double> rounds;
    for (size_t i = 0; i < loader.times.size(); ++i) {
      rounds.push_back(cpu ? other.times[i].cpu / loader.times[i].cpu
                           : other.times[i].wall / loader.times[i].wall);
    }
    const auto pairs = cvl::bench::summarize(rounds);
    const auto a = cvl::bench::summarize(ratesOf(loader, megabytes, cpu));
    const auto b = cvl::bench::summarize(ratesOf(other, megabytes, cpu));
    std::printf("  loader/%-8s %s: %.2f (of medians); per round median %.2f, min %.2f, max %.2f\n",
                other.name.c_str(), cpu ? "cpu " : "wall", a.median / b.median, pairs.median,
                pairs.min, pairs.max);
  }
}

bool wanted(const Settings& settings, const std::string& side) {
  return ("," + settings.only + ",").find("," + side + ",") != std::string::npos;
}

// One file of a case: its name, size and shape.
struct CaseFile {
  std::string path;
  double megabytes = 0;
  cvl::bench::DataShape shape;
};

// Benchmarks the files as one case: each side's run loads (or parses) every file once, one after
// another, and is timed as the sum. A single file is a case of one. False after printing why it
// could not.
bool benchmarkCase(const std::vector<std::string>& paths, const Settings& settings,
                   cvl::bench::AddOnLoad* addOn, cvl::bench::AddOnLoad* baseline) {
  std::string error;
  std::vector<CaseFile> files;
  double megabytes = 0;
  for (const std::string& path : paths) {
    CaseFile file{path, 0, {}};
    if (!cvl::bench::probeDataShape(path, file.shape, error)) {
      std::cerr << error << "\n";
      return false;
    }
    struct stat status {};
    ::stat(path.c_str(), &status);
    file.megabytes = static_cast<double>(status.st_size) / 1e6;
    megabytes += file.megabytes;
    files.push_back(file);
  }
  if (files.size() == 1) {
    std::printf("%s: %.1f MB, %llu rows x %llu values\n", paths[0].c_str(), megabytes,
                static_cast<unsigned long long>(files[0].shape.rows),
                static_cast<unsigned long long>(files[0].shape.valuesPerRow));
  } else {
    std::printf("a case of %zu files, %.1f MB, loaded one after another:\n", files.size(),
                megabytes);
    for (const CaseFile& file : files) {
      std::printf("  %s: %.1f MB, %llu rows x %llu values\n", file.path.c_str(), file.megabytes,
                  static_cast<unsigned long long>(file.shape.rows),
                  static_cast<unsigned long long>(file.shape.valuesPerRow));
    }
  }

  // The mapped floor's arrays are made and touched once, before any timing.
  std::vector<std::vector<double>> values(files.size());
  if (wanted(settings, "floor")) {
    for (size_t f = 0; f < files.size(); ++f) {
      values[f].resize(files[f].shape.rows * files[f].shape.valuesPerRow);
    }
  }
  // Runs one file's part of a side's run, adding its times to times.
  const auto add = [](Times part, Times& times) {
    times.wall += part.wall;
    times.cpu += part.cpu;
  };
  const auto floorRun = [&](Times& times) {
    for (size_t f = 0; f < files.size(); ++f) {
      size_t stored = 0;
      Times part;
      if (!timed([&] { return cvl::bench::runFloorLoop(files[f].path, values[f], stored, error); },
                 part)) {
        return false;
      }
      add(part, times);
      if (stored != values[f].size()) {
        error = "the floor loop parsed " + std::to_string(stored) + " values of " + files[f].path +
                ", not " + std::to_string(values[f].size());
        return false;
      }
    }
    return true;
  };
  const auto fairRun = [&](Times& times) {
    for (const CaseFile& file : files) {
      cvl::bench::FairFloorValues parsed;
      Times part;
      if (!timed([&] { return cvl::bench::runFairFloor(file.path, parsed, error); }, part)) {
        return false;
      }
      add(part, times);
      const uint64_t expected = file.shape.rows * file.shape.valuesPerRow;
      if (parsed.parsed != expected) {
        error = "the fair floor parsed " + std::to_string(parsed.parsed) + " values of " +
                file.path + ", not " + std::to_string(expected);
        return false;
      }
    }
    return true;
  };
  bool checkNext = false;
  const auto loaderRun = [&](cvl::bench::AddOnLoad* module, Times& times) {
    for (const CaseFile& file : files) {
      if (!module->prepare(file.path, error)) return false;
      Times part;
      timed(
          [&] {
            module->load();
            return true;
          },
          part);
      add(part, times);
      if (!module->succeeded(static_cast<int64_t>(file.shape.rows), error)) return false;
      if (checkNext) {
        std::string summary;
        if (!cvl::bench::checkLoadedValues(file.path, *qvsdkbase::dataSet(), summary, error)) {
          error = "loaded values of " + file.path + " differ from the file: " + error;
          return false;
        }
        std::printf("  check: %s\n", summary.c_str());
      }
      // Frees the dataset now, so that the next run starts with the same free memory.
      qvsdkbase::reset();
    }
    return true;
  };

  std::vector<Side> sides;
  if (wanted(settings, "floor")) sides.push_back({"floor", floorRun, {}});
  if (wanted(settings, "fair")) sides.push_back({"fair", fairRun, {}});
  if (wanted(settings, "baseline") && baseline != nullptr) {
    sides.push_back({"baseline", [&](Times& t) { return loaderRun(baseline, t); }, {}});
  }
  if (wanted(settings, "loader") && addOn != nullptr) {
    sides.push_back({"loader", [&](Times& t) { return loaderRun(addOn, t); }, {}});
  }
  const int64_t total = settings.warmup + settings.runs;
  for (int64_t round = 0; round < total; ++round) {
    for (size_t i = 0; i < sides.size(); ++i) {
      Side& side = sides[(i + static_cast<size_t>(round)) % sides.size()];
      checkNext = settings.check && round == total - 1 && side.name == "loader";
      Times times;
      if (!side.run(times)) {
        std::cerr << side.name << ": " << error << "\n";
        return false;
      }
      if (round >= settings.warmup) side.times.push_back(times);
    }
  }

  std::printf("  (%lld rounds after %lld warm-up)\n", static_cast<long long>(settings.runs),
              static_cast<long long>(settings.warmup));
  for (const Side& side : sides) printSide(side, megabytes);
  for (const Side& side : sides) {
    if (side.name != "loader" && sides.back().name == "loader") {
      printRatio(sides.back(), side, megabytes);
    }
  }
  std::fflush(stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  std::vector<std::string> files;
  CLI::App app("cvl-bench-load: throughput of the loader add-on against the floor loops.");
  app.add_option("--runs", settings.runs, "measured rounds per file (default 5)");
  app.add_option("--warmup", settings.warmup, "unmeasured rounds before them (default 1)");
  app.add_option("--only", settings.only,
                 "the sides to run, comma-separated: floor, fair, loader, baseline (default: all "
                 "that are available)");
  app.add_option("--addon", settings.modulePath,
                 "the add-on module (default: the benchmark's build of the add-on, "
                 "libconvergeoutloader_bench.so, beside this program)");
  app.add_option("--kernel", settings.kernel,
                 "the row kernel of the side 'loader' (default: the best that this processor "
                 "supports)");
  app.add_option("--baseline", settings.baselinePath,
                 "a second add-on module to compare with, run as the side 'baseline'");
  app.add_flag("--case", settings.asCase,
               "time the files as one case: each run loads every file once, one after another");
  app.add_flag("--check", settings.check,
               "after the last load, compare the host's values with the file at its first, "
               "middle and last rows");
  app.add_option("FILE", files, "the files to load")->type_name("FILE...");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  if (settings.only.empty()) settings.only = "floor,fair,baseline,loader";
  if (files.empty() || settings.runs < 1 || settings.warmup < 0) {
    std::cerr << app.help();
    return 2;
  }

  cvl::bench::AddOnLoad addOn;
  cvl::bench::AddOnLoad baseline;
  bool haveAddOn = false;
  bool haveBaseline = false;
  std::string error;
  if (wanted(settings, "loader")) {
    if (settings.modulePath.empty())
      settings.modulePath = cvl::bench::AddOnLoad::defaultModulePath();
    if (!addOn.open(settings.modulePath, error)) {
      std::cerr << error << "\n";
      return 1;
    }
    if (!settings.kernel.empty() && !addOn.useRowKernel(settings.kernel, error)) {
      std::cerr << error << "\n";
      return 3;  // no such kernel here: callers that try every kernel pass over it
    }
    std::printf("loader: %s, row kernel %s\n", settings.modulePath.c_str(),
                addOn.rowKernel().c_str());
    haveAddOn = true;
  }
  if (wanted(settings, "baseline") && !settings.baselinePath.empty()) {
    if (!baseline.open(settings.baselinePath, error)) {
      std::cerr << error << "\n";
      return 1;
    }
    haveBaseline = true;
  }
  cvl::bench::AddOnLoad* const loader = haveAddOn ? &addOn : nullptr;
  cvl::bench::AddOnLoad* const before = haveBaseline ? &baseline : nullptr;
  if (settings.asCase) return benchmarkCase(files, settings, loader, before) ? 0 : 1;
  for (const std::string& file : files) {
    if (!benchmarkCase({file}, settings, loader, before)) return 1;
  }
  return 0;
}
