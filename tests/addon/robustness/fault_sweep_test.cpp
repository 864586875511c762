// Every failure path of a set of loads, taken in turn. Each load runs clean first, to list the
// host calls whose result the add-on looks at and to count the allocations the add-on makes; then
// once more for each of them, with that host call refused as the host refuses it and with that
// allocation throwing std::bad_alloc. After each run the load rules hold (checkLoad), and the
// host shows what the clean run showed up to the fault and nothing it should not: the failing
// step's own message (kStepMessages) or, for out of memory, none; the instructions only when
// they were handed back before the fault; the zones and values made before the fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tests/support/allocation_faults.h"
#include "tests/support/temp_dir.h"
#include "tools/fuzz/selection_load.h"

extern "C" void InitQorAddOn113(void);

namespace {

using cvl::test::Route;
using qvsdkbase::Call;

constexpr const char* kInvalid = "Invalid FILELIST command.";
constexpr const char* kMissing = "Missing FILELIST command.";

// What the user is told when a host call is refused: by the refused function (or any, "*"), by
// the entry read for a refused instruction entry (or any), and by the first of the landmark calls
// (kLandmarks) at or after the refused one in the clean run (or any): the step that was going on.
struct StepMessage {
  std::string_view function;
  std::string_view entry;
  std::string_view before;
  std::vector<std::string> messages;
};

const char* const kLandmarks[] = {"QorUtilPleaseWait", "QorUtilDataSetCreateX",
                                  "QorUtilDataSetAddZoneX"};

const StepMessage kStepMessages[] = {
    // The selection callback counts the picked names; the driver parses the instructions: the
    // count, the keyword, the file count, a name.
    {"QorUtilStringListGetCount", "*", "QorUtilPleaseWait", {"No files selected"}},
    {"QorUtilStringListGetCount", "*", "*", {kMissing}},
    {"QorUtilStringListGetRawStringPtr", "3", "*", {kMissing}},
    {"QorUtilStringListGetRawStringPtr", "4", "*", {kInvalid, kMissing}},
    {"QorUtilStringListGetRawStringPtr", "*", "*", {"Unable to open datafile: "}},
    // The load sequence numbers a later file's zones; the data rows need the value arrays.
    {"QorUtilDataSetGetNumZones", "*", "*", {"Unable to add zones to the dataset"}},
    {"QorUtilDataValueGetWritableRawPtr", "*", "*", {"Unable to access the values of the dataset"}},
    // The driver hands the instructions back and finishes the load: no message of its own.
    {"QorUtilImportSetLoaderInstr", "*", "*", {}},
    {"QorUtilDataLoadFinishX", "*", "*", {}},
    // Before the load: no instruction list, an append refused, no arg list for the load.
    {"*", "*", "QorUtilPleaseWait", {}},
    // Dataset creation and zone creation, whichever of their calls is refused.
    {"*", "*", "QorUtilDataSetCreateX", {"Unable to create the dataset"}},
    {"*", "*", "QorUtilDataSetAddZoneX", {"Unable to add zones to the dataset"}},
};

bool fits(std::string_view pattern, std::string_view value) {
  return pattern == "*" || pattern == value;
}

// The messages of the step that calls[at] belongs to, from kStepMessages.
std::vector<std::string> stepMessages(const std::vector<Call>& calls, size_t at) {
  auto landmark =
      std::find_if(calls.begin() + static_cast<ptrdiff_t>(at), calls.end(), [](const Call& call) {
        return std::ranges::find(kLandmarks, call.function) != std::end(kLandmarks);
      });
  const std::string before = landmark == calls.end() ? "" : landmark->function;
  for (const StepMessage& step : kStepMessages) {
    if (fits(step.function, calls[at].function) && fits(step.entry, calls[at].detail) &&
        fits(step.before, before)) {
      return step.messages;
    }
  }
  ADD_FAILURE() << "no step for " << calls[at].function << " " << calls[at].detail;
  return {};
}

size_t callsOf(const std::vector<Call>& calls, std::string_view function, size_t from, size_t to) {
  return static_cast<size_t>(std::count_if(calls.begin() + static_cast<ptrdiff_t>(from),
                                           calls.begin() + static_cast<ptrdiff_t>(to),
                                           [&](const Call& c) { return c.function == function; }));
}

// A clean run's call log and, for each allocation of the add-on, the log's length when it came.
struct CleanRun {
  std::vector<Call> calls = qvsdkbase::calls();
  std::vector<uint32_t> allocationPositions{cvl::test::allocationPositions().begin(),
                                            cvl::test::allocationPositions().end()};
};

// Calls run(faults, at, what) once per fault of a clean run from position from of its call log
// on: each refusable host call refused as the host refuses it, each allocation failing, and with
// lasting set also each allocation failing with every later one; at is where the fault strikes
// in the clean log. Returns the number of runs.
template <typename Run>
int64_t forEachFault(const CleanRun& clean, size_t from, bool lasting, const Run& run) {
  int64_t runs = 0;
  for (size_t at = from; at < clean.calls.size(); ++at) {
    for (cvl::test::HostFault fault : cvl::test::refusableCalls()) {
      if (fault.function != clean.calls[at].function) continue;
      fault.nth = static_cast<int64_t>(callsOf(clean.calls, fault.function, from, at + 1));
      run(cvl::test::LoadFaults{{fault}}, at,
          fault.function + " #" + std::to_string(fault.nth) + " refused (" +
              std::to_string(fault.result) + ")");
      ++runs;
    }
  }
  for (size_t k = 1; k <= clean.allocationPositions.size(); ++k) {
    for (const bool onward : {false, true}) {
      if (onward && !lasting) continue;
      run(cvl::test::LoadFaults{{}, static_cast<int64_t>(k), onward},
          clean.allocationPositions[k - 1],
          "allocation " + std::to_string(k) + (onward ? " and every later one" : "") + " failing");
      ++runs;
    }
  }
  return runs;
}

// The position after the contiguous run of value-pointer calls that holds the first one for zone
// (from 1): once the clean run got there, the zone's file had its rows read.
size_t rowsReadAfter(const std::vector<Call>& calls, size_t zone) {
  const std::string prefix = "zone " + std::to_string(zone) + " ";
  auto call = std::find_if(calls.begin(), calls.end(), [&](const Call& c) {
    return c.function == "QorUtilDataValueGetWritableRawPtr" && c.detail.starts_with(prefix);
  });
  while (call != calls.end() && call->function == "QorUtilDataValueGetWritableRawPtr") ++call;
  return static_cast<size_t>(call - calls.begin());
}

// Checks the dataset that a load faulted at position faultAt of the clean call log left: the
// zones the clean run had added before it, each with the clean values once its rows were read
// before the fault, and untouched (zeros; the first and last rows are looked at) before. A
// failing allocation may also stop the rows part way: then each array holds the clean values up
// to some row and zeros after.
void expectDataSetUpTo(const std::vector<Call>& calls, const std::vector<qvsdkbase::Zone>& zones,
                       size_t faultAt, bool byAllocation, const std::string& what) {
  const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
  const size_t zonesMade = callsOf(calls, "QorUtilDataSetAddZoneX", 0, faultAt);
  ASSERT_EQ(dataSet == nullptr ? 0 : dataSet->zones.size(), zonesMade) << what;
  for (size_t z = 0; z < zonesMade; ++z) {
    const qvsdkbase::Zone& expected = zones[z];
    const qvsdkbase::Zone& zone = dataSet->zones[z];
    ASSERT_EQ(zone.name + " " + std::to_string(zone.points),
              expected.name + " " + std::to_string(expected.points))
        << what;
    // No host call comes between the value arrays' look-up and the end of the file's rows.
    const bool rowsBegun = rowsReadAfter(calls, z + 1) <= faultAt;
    for (size_t v = 0; v < zone.values.size(); ++v) {
      const qvsdkbase::ValueArray& array = *zone.values[v];
      const auto value = [&](int64_t i) { return array.asDouble(i); };
      const int64_t size = expected.points;
      int64_t same = 0;
      int64_t zeros = 0;
      if (rowsBegun) {
        while (same < size && value(same) == expected.values[v]->asDouble(same)) ++same;
        zeros = same;
        while (zeros < size && value(zeros) == 0) ++zeros;
      }
      const bool untouched = value(0) == 0 && value(size - 1) == 0;
      EXPECT_TRUE(!rowsBegun     ? untouched
                  : byAllocation ? zeros == size
                                 : same == size)
          << what << ": zone " << z + 1 << " variable " << v + 1 << " differs from row " << same;
    }
  }
}

// Where the load of a run faulted at calls[at] parts from the clean run. A refused file-name entry
// of the instructions is no fault to the parser: the name reads as empty, and the files before it
// load before that file cannot be opened, where the clean run went on to its zones (the nth later
// file's first host call is the nth zone count).
size_t partsAt(const std::vector<Call>& calls, size_t at) {
  if (calls[at].function != "QorUtilStringListGetRawStringPtr") return at;
  const int laterFile = std::stoi(calls[at].detail) - 5;  // entry 5 names the first file
  if (laterFile < 1) return at;
  size_t count = 0;
  for (size_t i = at; i < calls.size(); ++i) {
    if (calls[i].function == "QorUtilDataSetGetNumZones" &&
        ++count == static_cast<size_t>(laterFile))
      return i;
  }
  return calls.size();
}

struct SweepLoad {
  const char* name;
  std::vector<std::string> files;  // in tests/data, or in the test's folder when not found there
  // Each allocation fails also with every allocation after it failing. The real files take the
  // same ways out as the examples at ten to fifty times the size, so they are spared this.
  bool lastingOutOfMemory = true;
};

// Runs files clean through route, then once per fault of the clean run (forEachFault); returns
// the number of faulted runs.
int64_t sweep(const std::vector<std::string>& files, Route route, const std::string& name,
              bool lasting) {
  // A first load warms up what the runtime allocates once per process (a locale's facets,
  // thread-local storage on some systems), so that the counted load allocates as every later
  // one does.
  cvl::test::loadSelection(files, {}, route);
  const cvl::test::SelectionLoad cleanLoad = cvl::test::loadSelection(files, {}, route);
  EXPECT_TRUE(cleanLoad.violations.empty()) << name << testing::PrintToString(cleanLoad.violations);
  const CleanRun clean;
  const std::vector<qvsdkbase::Zone> zones = qvsdkbase::dataSet() == nullptr
                                                 ? std::vector<qvsdkbase::Zone>{}
                                                 : qvsdkbase::dataSet()->zones;

  // Each faulted run is compared with the clean run cut where the two part (partsAt), followed by
  // the failing step's own messages (none for out of memory).
  return forEachFault(
      clean, cleanLoad.armedAt, lasting,
      [&](const cvl::test::LoadFaults& faults, size_t at, std::string what) {
        what = name + ": " + what;
        const bool byAllocation = faults.failingAllocation > 0;
        const size_t parted = byAllocation ? at : partsAt(clean.calls, at);
        const cvl::test::SelectionLoad load = cvl::test::loadSelection(files, faults, route);
        EXPECT_TRUE(load.violations.empty()) << what << testing::PrintToString(load.violations);
        EXPECT_EQ(load.faultAt, at) << what << ": the fault did not strike where it was aimed";
        std::vector<std::string> messages;
        for (size_t i = cleanLoad.armedAt; i < parted; ++i) {
          if (clean.calls[i].function == "QorUtilDialogErrMsg")
            messages.push_back(clean.calls[i].detail);
        }
        if (!byAllocation) {
          const std::vector<std::string> step = stepMessages(clean.calls, at);
          messages.insert(messages.end(), step.begin(), step.end());
        }
        EXPECT_EQ(load.messages, messages) << what;
        EXPECT_EQ(load.handedBack,
                  cleanLoad.handedBack &&
                      callsOf(clean.calls, "QorUtilImportSetLoaderInstr", 0, parted) > 0)
            << what;
        // Once refused, the add-on asks nothing more of the dataset or the loader.
        for (size_t i = parted + 1; i < qvsdkbase::calls().size(); ++i) {
          const std::string& function = qvsdkbase::calls()[i].function;
          EXPECT_TRUE(function != "QorUtilDataSetCreateX" && function != "QorUtilDataSetAddZoneX" &&
                      function != "QorUtilImportSetLoaderInstr")
              << what << ": " << function << " after the fault";
        }
        expectDataSetUpTo(clean.calls, zones, parted, byAllocation, what);
      });
}

TEST(FaultSweep, EveryRefusedHostCallAndFailedAllocationOfALoad) {
  const cvl::test::TempDir folder;
  const std::string header = "# CONVERGE\n# column 1 2\n# Crank Steps\n# (DEG) (number)\n#\n";
  folder.write("good.out", header + "1 10\n2 20\n3 30\n");
  folder.write("badrow.out", header + "4 40\n5 5.5\n6 60\n");
  const SweepLoad loads[] = {
      {"engine example", {"../../examples/engine_cycle.out"}},
      {"regions example, shared columns", {"../../examples/regions_cycle1.out"}},
      {"regions example, second cycle", {"../../examples/regions_cycle2.out"}},
      {"amr", {"realdata/amr.out"}, false},
      {"cell counts", {"realdata/cell_count_regions.out"}, false},
      {"mass balance", {"realdata/mass_balance.out"}, false},
      {"source energy", {"realdata/source_energy.out"}, false},
      {"two files", {"../../examples/regions_cycle1.out", "../../examples/regions_cycle2.out"}},
      {"three files", {"good.out", "good.out", "good.out"}},
      {"bad data row in the second file", {"good.out", "badrow.out"}},
  };
  int64_t runs = 0;
  for (const SweepLoad& load : loads) {
    std::vector<std::string> paths;
    for (const std::string& name : load.files) {
      const auto data = cvl::test::testDataDir() / name;
      paths.push_back((std::filesystem::exists(data) ? data : folder.path() / name).string());
    }
    for (const Route route : {Route::Selection, Route::Replay}) {
      runs +=
          sweep(paths, route, std::string(load.name) + (route == Route::Replay ? " (replay)" : ""),
                load.lastingOutOfMemory);
    }
  }
  RecordProperty("faulted_runs", std::to_string(runs));
  std::printf("%lld faulted loads\n", static_cast<long long>(runs));
}

}  // namespace

// The entry point's registration with each of its refusable host calls refused and each of its
// allocations failing: the lock is released and the arg list freed, the add-on and its loader
// are registered only when their calls came before the fault, and nothing is shown but, for out
// of memory, "Unexpected error: std::bad_alloc". The add-on's handle is kept without a check, so
// the loader is registered also when the host gave none.
TEST(FaultSweepRegistration, EveryRefusedHostCallAndFailedAllocation) {
  const auto registerCounted = [](const cvl::test::LoadFaults& faults) {
    qvsdkbase::reset();
    for (const cvl::test::HostFault& f : faults.hostFaults)
      qvsdkbase::injectFault(f.function, f.nth, f.kind, f.result);
    cvl::test::startCountingAllocations(faults.failingAllocation, faults.allocationsFailOnward);
    InitQorAddOn113();
    cvl::test::stopCountingAllocations();
  };
  registerCounted({});
  const CleanRun clean;
  ASSERT_EQ(qvsdkbase::loaders().size(), 1u);
  // Without memory for the message, a shortened copy of it is shown.
  const int64_t runs = forEachFault(
      clean, 0, true, [&](const cvl::test::LoadFaults& faults, size_t at, const std::string& what) {
        registerCounted(faults);
        const auto made = [&](const char* function) {
          return callsOf(clean.calls, function, 0, at);
        };
        const bool outOfMemory = faults.failingAllocation > 0;
        EXPECT_EQ(qvsdkbase::addOns().size(), made("QorUtilAddOnRegister")) << what;
        const bool noHandle = clean.calls[at].function == "QorUtilAddOnRegister" && !outOfMemory;
        EXPECT_EQ(qvsdkbase::loaders().size(), noHandle ? 1u : made("QorUtilImportAddLoaderX"))
            << what;
        EXPECT_EQ(qvsdkbase::messages(),
                  outOfMemory ? std::vector<std::string>{"Unexpected error: std::bad_alloc"}
                              : std::vector<std::string>{})
            << what;
        EXPECT_EQ(qvsdkbase::lockDepth(), 0) << what;
        EXPECT_EQ(qvsdkbase::lockViolations(), std::vector<std::string>{}) << what;
        EXPECT_EQ(qvsdkbase::openArgLists(), 0u) << what;
      });
  std::printf("%lld faulted registrations\n", static_cast<long long>(runs));
}

// A host whose error dialog throws, or whose call throws std::bad_alloc while the selection's
// instruction list is made: the callbacks close the load and release the lock, report an
// exception other than out of memory once as "Unexpected error: " and its text, and let nothing
// reach the host.
TEST(HostExceptions, AreReportedOnceAndKeptFromTheHost) {
  const cvl::test::TempDir dir;
  const std::string good = dir.write("good.out", "# CONVERGE\n# column 1\n# T\n# (s)\n#\n0.5\n");
  const std::string gone = (dir.path() / "gone.out").string();
  const std::string open = "Unable to open datafile: " + gone;
  const auto throwing = [](int kind) {
    return [kind, thrown = false](const std::string&) mutable {
      if (std::exchange(thrown, true) && kind != 2) return;
      if (kind == 1) throw 42;
      throw std::runtime_error("dialog failed");
    };
  };
  const struct {
    Route route;
    int sinkThrows;  // -1 never; at the first message: 0 std::runtime_error, 1 an int; 2 always
    std::vector<cvl::test::HostFault> faults;
    std::vector<std::string> messages;
  } cases[] = {
      {Route::Selection, 0, {}, {open, "Unexpected error: dialog failed"}},
      {Route::Replay, 0, {}, {open, "Unexpected error: dialog failed"}},
      {Route::Selection, 1, {}, {open, "Unexpected error: unknown exception"}},
      {Route::Replay, 2, {}, {open, "Unexpected error: dialog failed"}},
      {Route::Selection,
       -1,
       {{"QorUtilStringListAppendString", 3, qvsdkbase::FaultKind::BadAlloc}},
       {}},
  };
  for (const auto& c : cases) {
    cvl::test::LoadFaults faults{c.faults};
    if (c.sinkThrows >= 0) faults.messageSink = throwing(c.sinkThrows);
    const cvl::test::SelectionLoad load = cvl::test::loadSelection({good, gone}, faults, c.route);
    const std::string what = "case " + std::to_string(&c - cases);
    EXPECT_EQ(load.messages, c.messages) << what;
    // The load rules hold but for the exception and its second message.
    std::vector<std::string> expected;
    if (c.sinkThrows >= 0) {
      expected = {"an exception reached the callback: " + c.messages[1],
                  "2 messages for one failure: " + open + " | " + c.messages[1]};
    }
    EXPECT_EQ(load.violations, expected) << what;
    EXPECT_EQ(qvsdkbase::dataSet() == nullptr ? 0u : qvsdkbase::dataSet()->zones.size(),
              c.sinkThrows >= 0 ? 1u : 0u)
        << what;
  }
}
