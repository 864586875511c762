// Every failure path of a set of loads, taken in turn. Each load runs clean first, to list the
// host calls whose result the add-on looks at and to count the allocations the add-on makes; then
// once more for each of them, with that host call refused as the host refuses it and with that
// allocation throwing std::bad_alloc. After each run the load rules hold (checkLoad), and the
// host shows what the clean run showed up to the fault and nothing it should not: the failing
// step's own message (kStepMessages) or, for out of memory, none; the instructions only when
// they were handed back before the fault; a dataset only when it was created before the fault,
// with the zones and values made before it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tests/support/temp_dir.h"
#include "tools/fuzz/allocation_faults.h"
#include "tools/fuzz/selection_load.h"

extern "C" void InitQorAddOn113(void);

namespace {

using cvl::fuzz::LoadFaults;
using cvl::fuzz::Route;
using qvsdkbase::Call;
using Strings = std::vector<std::string>;
using testing::PrintToString;

constexpr const char* kInvalid = "Invalid FILELIST command.";
constexpr const char* kMissing = "Missing FILELIST command.";

// What the user is told when a host call is refused: by the refused function (or any, "*"), by
// the entry read for a refused instruction entry (or any), and by the first of the calls
// QorUtilPleaseWait, QorUtilDataSetCreateX and QorUtilDataSetAddZoneX at or after the refused one
// in the clean run (or any): the step that was going on. The first that fits applies.
const struct {
  std::string_view function, entry, before;
  Strings messages;
} kStepMessages[] = {
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

size_t callsOf(const std::vector<Call>& calls, std::string_view function, size_t from, size_t to) {
  return static_cast<size_t>(std::count_if(calls.begin() + static_cast<ptrdiff_t>(from),
                                           calls.begin() + static_cast<ptrdiff_t>(to),
                                           [&](const Call& c) { return c.function == function; }));
}

// The messages of the step that calls[at] belongs to, from kStepMessages.
Strings stepMessages(const std::vector<Call>& calls, size_t at) {
  const auto landmark =
      std::find_if(calls.begin() + static_cast<ptrdiff_t>(at), calls.end(), [](const Call& c) {
        return c.function == "QorUtilPleaseWait" || c.function == "QorUtilDataSetCreateX" ||
               c.function == "QorUtilDataSetAddZoneX";
      });
  const std::string before = landmark == calls.end() ? "" : landmark->function;
  const auto fits = [](std::string_view pattern, std::string_view value) {
    return pattern == "*" || pattern == value;
  };
  for (const auto& step : kStepMessages) {
    if (fits(step.function, calls[at].function) && fits(step.entry, calls[at].detail) &&
        fits(step.before, before))
      return step.messages;
  }
  ADD_FAILURE() << "no step for " << calls[at].function << " " << calls[at].detail;
  return {};
}

// A clean run: its call log, for each allocation of the add-on the log's length when it came, and
// the zones it made.
struct CleanRun {
  std::vector<Call> calls = qvsdkbase::calls();
  std::vector<uint32_t> allocationPositions{cvl::fuzz::allocationPositions().begin(),
                                            cvl::fuzz::allocationPositions().end()};
  std::vector<qvsdkbase::Zone> zones = qvsdkbase::dataSet() == nullptr
                                           ? std::vector<qvsdkbase::Zone>{}
                                           : qvsdkbase::dataSet()->zones;
};

// One run's fault, where it strikes in the clean call log, and its description.
struct Fault {
  LoadFaults faults;
  size_t at;
  std::string what;
};

// The faults of a clean run from position from of its call log on: each refusable host call
// refused as the host refuses it, each allocation failing, and with lasting set also each
// allocation failing with every later one.
std::vector<Fault> faultsOf(const CleanRun& clean, size_t from, bool lasting) {
  std::vector<Fault> faults;
  for (size_t at = from; at < clean.calls.size(); ++at) {
    for (cvl::fuzz::HostFault fault : cvl::fuzz::refusableCalls()) {
      if (fault.function != clean.calls[at].function) continue;
      fault.nth = static_cast<int64_t>(callsOf(clean.calls, fault.function, from, at + 1));
      const std::string what =
          " #" + std::to_string(fault.nth) + " refused (" + std::to_string(fault.result) + ")";
      faults.push_back({{{fault}}, at, fault.function + what});
    }
  }
  for (size_t k = 1; k <= clean.allocationPositions.size(); ++k) {
    const std::string what = "allocation " + std::to_string(k);
    faults.push_back(
        {{{}, static_cast<int64_t>(k)}, clean.allocationPositions[k - 1], what + " failing"});
    if (lasting)
      faults.push_back({{{}, static_cast<int64_t>(k), true},
                        clean.allocationPositions[k - 1],
                        what + " and every later one failing"});
  }
  return faults;
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

// Checks the dataset that a load faulted at position faultAt of the clean call log left: there
// only when the clean run had created it before the fault, with the zones the clean run had
// added before it, each with the clean values once its rows were read before the fault, and
// untouched (zeros; the first and last rows are looked at) before. A failing allocation may also
// stop the rows part way: then each array holds the clean values up to some row and zeros after.
void expectDataSetUpTo(const CleanRun& clean, size_t faultAt, bool byAllocation,
                       const std::string& what) {
  const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
  ASSERT_EQ(dataSet != nullptr, callsOf(clean.calls, "QorUtilDataSetCreateX", 0, faultAt) > 0)
      << what;
  const size_t zonesMade = callsOf(clean.calls, "QorUtilDataSetAddZoneX", 0, faultAt);
  ASSERT_EQ(dataSet == nullptr ? 0 : dataSet->zones.size(), zonesMade) << what;
  for (size_t z = 0; z < zonesMade; ++z) {
    const qvsdkbase::Zone &zone = dataSet->zones[z], &expected = clean.zones[z];
    ASSERT_EQ(std::tie(zone.name, zone.points), std::tie(expected.name, expected.points)) << what;
    // No host call comes between the value arrays' look-up and the end of the file's rows.
    const bool rowsBegun = rowsReadAfter(clean.calls, z + 1) <= faultAt;
    for (size_t v = 0; v < zone.values.size(); ++v) {
      const auto value = [&](int64_t i) { return zone.values[v]->asDouble(i); };
      int64_t same = 0, zeros = 0;
      if (rowsBegun) {
        while (same < zone.points && value(same) == expected.values[v]->asDouble(same)) ++same;
        for (zeros = same; zeros < zone.points && value(zeros) == 0;) ++zeros;
      }
      const bool untouched = value(0) == 0 && value(zone.points - 1) == 0;
      EXPECT_TRUE(!rowsBegun ? untouched : (byAllocation ? zeros : same) == zone.points)
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
  int laterFile = std::stoi(calls[at].detail) - 5;  // entry 5 names the first file
  if (laterFile < 1) return at;
  const auto part = std::find_if(
      calls.begin() + static_cast<ptrdiff_t>(at), calls.end(),
      [&](const Call& c) { return c.function == "QorUtilDataSetGetNumZones" && --laterFile == 0; });
  return static_cast<size_t>(part - calls.begin());
}

// Runs files clean through each route, then once per fault of the clean run (faultsOf), and
// compares each faulted run with the clean run cut where the two part (partsAt), followed by the
// failing step's own messages (none for out of memory). Returns the number of faulted runs.
size_t sweep(const Strings& files, const std::string& name, bool lasting) {
  size_t runs = 0;
  for (const Route route : {Route::Selection, Route::Replay}) {
    // A first load warms up what the runtime allocates once per process (a locale's facets,
    // thread-local storage on some systems), so that the counted load allocates as every later
    // one does.
    cvl::fuzz::loadSelection(files, {}, route);
    const cvl::fuzz::SelectionLoad cleanLoad = cvl::fuzz::loadSelection(files, {}, route);
    EXPECT_TRUE(cleanLoad.violations.empty()) << name << PrintToString(cleanLoad.violations);
    const CleanRun clean;
    const std::vector<Fault> faults = faultsOf(clean, cleanLoad.armedAt, lasting);
    for (const auto& [loadFaults, at, fault] : faults) {
      const std::string what = name + (route == Route::Replay ? " (replay): " : ": ") + fault;
      const bool byAllocation = loadFaults.failingAllocation > 0;
      const size_t parted = byAllocation ? at : partsAt(clean.calls, at);
      const cvl::fuzz::SelectionLoad load = cvl::fuzz::loadSelection(files, loadFaults, route);
      EXPECT_TRUE(load.violations.empty()) << what << PrintToString(load.violations);
      EXPECT_EQ(load.faultAt, at) << what << ": the fault did not strike where it was aimed";
      Strings messages;
      for (size_t i = cleanLoad.armedAt; i < parted; ++i) {
        if (clean.calls[i].function == "QorUtilDialogErrMsg")
          messages.push_back(clean.calls[i].detail);
      }
      if (!byAllocation)
        std::ranges::copy(stepMessages(clean.calls, at), std::back_inserter(messages));
      EXPECT_EQ(load.messages, messages) << what;
      const size_t handBacks = callsOf(clean.calls, "QorUtilImportSetLoaderInstr", 0, parted);
      EXPECT_EQ(load.handedBack, cleanLoad.handedBack && handBacks > 0) << what;
      expectDataSetUpTo(clean, parted, byAllocation, what);
    }
    runs += faults.size();
  }
  return runs;
}

TEST(FaultSweep, EveryRefusedHostCallAndFailedAllocationOfALoad) {
  const cvl::test::TempDir folder;
  const std::string header = "# CONVERGE\n# column 1 2\n# Crank Steps\n# (DEG) (number)\n#\n";
  const std::string good = folder.write("good.out", header + "1 10\n2 20\n3 30\n");
  const std::string badRow = folder.write("badrow.out", header + "4 40\n5 5.5\n6 60\n");
  const auto data = [](const char* name) { return (cvl::test::testDataDir() / name).string(); };
  const std::string cycle1 = data("../../examples/regions_cycle1.out");
  const std::string cycle2 = data("../../examples/regions_cycle2.out");
  const struct {
    const char* name;
    Strings files;
    // Each allocation fails also with every allocation after it failing. The real files take the
    // same ways out as the examples at ten to fifty times the size, so they are spared this.
    bool lastingOutOfMemory = true;
  } loads[] = {
      {"engine example", {data("../../examples/engine_cycle.out")}},
      {"regions example, shared columns", {cycle1}},
      {"regions example, second cycle", {cycle2}},
      {"amr", {data("realdata/amr.out")}, false},
      {"cell counts", {data("realdata/cell_count_regions.out")}, false},
      {"mass balance", {data("realdata/mass_balance.out")}, false},
      {"source energy", {data("realdata/source_energy.out")}, false},
      {"two files", {cycle1, cycle2}},
      {"three files", {good, good, good}},
      {"bad data row in the second file", {good, badRow}},
  };
  size_t runs = 0;
  for (const auto& load : loads) runs += sweep(load.files, load.name, load.lastingOutOfMemory);
  RecordProperty("faulted_runs", std::to_string(runs));
  std::printf("%zu faulted loads\n", runs);
}

}  // namespace

// The entry point's registration with each of its refusable host calls refused and each of its
// allocations failing: the lock is released and the arg list freed, the add-on and its loader
// are registered only when their calls came before the fault, and nothing is shown but, for out
// of memory, "Unexpected error: std::bad_alloc" (without memory for the message, a shortened
// copy of it). The add-on's handle is kept without a check, so the loader is registered also
// when the host gave none.
TEST(FaultSweepRegistration, EveryRefusedHostCallAndFailedAllocation) {
  const auto registerWith = [](const LoadFaults& faults) {
    qvsdkbase::reset();
    for (const cvl::fuzz::HostFault& f : faults.hostFaults)
      qvsdkbase::injectFault(f.function, f.nth, f.kind, f.result);
    cvl::fuzz::startCountingAllocations(faults.failingAllocation, faults.allocationsFailOnward);
    InitQorAddOn113();
    cvl::fuzz::stopCountingAllocations();
  };
  registerWith({});
  const CleanRun clean;
  ASSERT_EQ(qvsdkbase::loaders().size(), 1u);
  const std::vector<Fault> faults = faultsOf(clean, 0, true);
  for (const auto& [loadFaults, at, what] : faults) {
    registerWith(loadFaults);
    const bool outOfMemory = loadFaults.failingAllocation > 0;
    const bool noHandle = clean.calls[at].function == "QorUtilAddOnRegister" && !outOfMemory;
    const auto made = [&, upTo = at](const char* f) { return callsOf(clean.calls, f, 0, upTo); };
    EXPECT_EQ(qvsdkbase::addOns().size(), made("QorUtilAddOnRegister")) << what;
    EXPECT_EQ(qvsdkbase::loaders().size(), noHandle ? 1u : made("QorUtilImportAddLoaderX")) << what;
    EXPECT_EQ(qvsdkbase::messages(),
              outOfMemory ? Strings{"Unexpected error: std::bad_alloc"} : Strings{})
        << what;
    EXPECT_TRUE(qvsdkbase::lockDepth() == 0 && qvsdkbase::violations().empty()) << what;
    EXPECT_EQ(qvsdkbase::openArgLists(), 0u) << what;
  }
  std::printf("%zu faulted registrations\n", faults.size());
}

// A host whose error dialog throws: the callbacks close the load and release the lock, report
// the exception once as "Unexpected error: " and its text, and let nothing reach the host; the
// load rules hold but for the exception and its second message. A host call that throws
// std::bad_alloc while the selection's instruction list is made ends the load without a message.
TEST(HostExceptions, AreReportedOnceAndKeptFromTheHost) {
  const cvl::test::TempDir dir;
  const std::string good = dir.write("good.out", "# CONVERGE\n# column 1\n# T\n# (s)\n#\n0.5\n");
  const std::string gone = (dir.path() / "gone.out").string();
  const std::string open = "Unable to open datafile: " + gone;
  const auto once = [](auto exception) {
    return [exception, thrown = false](const std::string&) mutable {
      if (!std::exchange(thrown, true)) throw exception;
    };
  };
  const auto always = [](const std::string&) { throw std::runtime_error("dialog failed"); };
  const std::runtime_error failed("dialog failed");
  const struct {
    const char* what;
    Route route;
    std::function<void(const std::string&)> dialog;
    std::string reported;
  } cases[] = {
      {"throws once", Route::Selection, once(failed), "Unexpected error: dialog failed"},
      {"throws once, replay", Route::Replay, once(failed), "Unexpected error: dialog failed"},
      {"throws an int once", Route::Selection, once(42), "Unexpected error: unknown exception"},
      {"always throws, replay", Route::Replay, always, "Unexpected error: dialog failed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto load = cvl::fuzz::loadSelection({good, gone}, {{}, 0, false, c.dialog}, c.route);
    EXPECT_EQ(load.messages, (Strings{open, c.reported}));
    EXPECT_EQ(load.violations,
              (Strings{"an exception reached the callback: " + c.reported,
                       "2 messages for one failure: " + open + " | " + c.reported}));
    EXPECT_EQ(qvsdkbase::dataSet() == nullptr ? 0 : qvsdkbase::dataSet()->zones.size(), 1u);
  }
  const auto load = cvl::fuzz::loadSelection(
      {good, gone}, {{{"QorUtilStringListAppendString", 3, qvsdkbase::FaultKind::BadAlloc}}});
  EXPECT_TRUE(load.messages.empty() && load.violations.empty())
      << PrintToString(load.messages) << PrintToString(load.violations);
  EXPECT_TRUE(qvsdkbase::dataSet() == nullptr || qvsdkbase::dataSet()->zones.empty());
}
