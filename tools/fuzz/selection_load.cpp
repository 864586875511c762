#include "tools/fuzz/selection_load.h"

#include <algorithm>
#include <boost/filesystem/path.hpp>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "standins/qorutil/qorutil_api.h"
#include "standins/qvsdkbase/host_control.h"
#include "tools/fuzz/allocation_faults.h"

// The add-on's entry point, linked in from addon/shell/entry_point.cpp.
extern "C" void InitQorAddOn113(void);

namespace cvl::fuzz {
namespace {

// Messages that show the host refused a request of the add-on: with the stand-in host and no
// injected fault, only a malformed request is refused, whatever the files hold.
constexpr std::string_view kHostRefusals[] = {"Unable to create the dataset",
                                              "Unable to add zones to the dataset",
                                              "Unable to access the values of the dataset"};

// The two places where one fault is shown twice: a failed comment line on line 2 is followed by
// the column row's own message, and an invalid instruction that left no file name by the missing
// command's.
bool isMessagePair(const std::vector<std::string>& messages) {
  return messages.size() == 2 &&
         (((messages[0].ends_with(": Unexpected end-of-file when processing comment line") ||
            messages[0].ends_with(": Invalid comment line")) &&
           messages[1].ends_with(": Invalid Column Row")) ||
          (messages[0] == "Invalid FILELIST command." &&
           messages[1] == "Missing FILELIST command."));
}

// Number of data rows of the file as it is now: its lines (a last line without terminator
// counts) minus the five header lines. Nothing when it is no regular file (a device may never
// end) or cannot be read.
std::optional<int64_t> pointCount(const std::string& fileName) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(fileName, error)) return std::nullopt;
  std::ifstream in(fileName, std::ios::binary);
  std::ostringstream bytes;
  if (!(bytes << in.rdbuf())) return std::nullopt;
  const std::string text = bytes.str();
  return std::ranges::count(text, '\n') + (text.empty() || text.back() == '\n' ? 0 : 1) - 5;
}

std::string joined(const std::vector<std::string>& texts) {
  std::string all;
  for (const std::string& text : texts) all += (all.empty() ? "" : " | ") + text;
  return all;
}

// The host lock, the load bracket, the busy indication and the lists the add-on allocated.
void checkHostState(std::vector<std::string>& violations) {
  using namespace qvsdkbase;
  if (lockDepth() != 0 || loadDepth() != 0 || busy()) {
    violations.push_back("lock depth " + std::to_string(lockDepth()) + ", load depth " +
                         std::to_string(loadDepth()) + (busy() ? ", busy" : ", not busy"));
  }
  for (const std::string& misuse : qvsdkbase::violations())
    violations.push_back("misuse of the host: " + misuse);
  if (openArgLists() != 0 || openStringLists() != 0) {
    violations.push_back(std::to_string(openArgLists()) + " arg lists and " +
                         std::to_string(openStringLists()) + " string lists left unfreed");
  }
}

void checkMessages(const std::vector<std::string>& fileNames, const SelectionLoad& load,
                   std::vector<std::string>& violations) {
  for (const std::string& message : load.messages) {
    if (message.starts_with("Unexpected error: "))
      violations.push_back("an exception reached the callback: " + message);
    for (const std::string_view refusal : kHostRefusals)
      if (message == refusal && !load.faultAt)
        violations.push_back("the host refused a request: " + message);
  }
  if (load.replayResult && *load.replayResult != (load.handedBack && !load.faultAt)) {
    violations.push_back(std::string("the replay callback returned ") +
                         (*load.replayResult ? "true" : "false"));
  }
  if (load.handedBack) {
    const auto& calls = qvsdkbase::calls();
    const auto handBack =
        std::ranges::find(calls, "QorUtilImportSetLoaderInstr", &qvsdkbase::Call::function);
    if (load.faultAt && *load.faultAt <= static_cast<size_t>(handBack - calls.begin()))
      violations.push_back("handed back after a fault");
    if (!load.messages.empty())
      violations.push_back("handed back after messages: " + joined(load.messages));
    std::vector<std::string> expected = {"STANDARDSYNTAX", "1.0", "FILELIST",
                                         std::to_string(fileNames.size())};
    expected.insert(expected.end(), fileNames.begin(), fileNames.end());
    const auto& loaders = qvsdkbase::loaders();
    if (loaders.empty() || loaders[0].instructions != expected)
      violations.push_back("the instructions handed back are not those of the selection");
    const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
    if (dataSet == nullptr || dataSet->zones.size() < fileNames.size())
      violations.push_back("handed back without a zone for every file");
  } else if (load.messages.empty()) {
    if (!load.faultAt) violations.push_back("the load failed without a message");
  } else if (load.messages.size() > 1 && !isMessagePair(load.messages)) {
    violations.push_back(std::to_string(load.messages.size()) +
                         " messages for one failure: " + joined(load.messages));
  }
}

void checkZones(const std::vector<std::string>& fileNames, std::vector<std::string>& violations) {
  const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
  if (dataSet == nullptr) return;
  std::vector<std::pair<std::string, std::optional<int64_t>>>
      files;  // stem and point count of each
  for (const std::string& name : fileNames)
    files.emplace_back(boost::filesystem::path(name).stem().string(), pointCount(name));
  const size_t numVariables = dataSet->variables.size();
  for (size_t z = 0; z < dataSet->zones.size(); ++z) {
    const qvsdkbase::Zone& zone = dataSet->zones[z];
    const std::string what = "zone " + std::to_string(z + 1) + " \"" + zone.name + "\"";
    const bool fromPickedFile = std::ranges::any_of(files, [&](const auto& file) {
      const auto& [stem, points] = file;
      return points == zone.points && (zone.name == stem || zone.name.starts_with(stem + ' '));
    });
    if (!fromPickedFile) {
      violations.push_back(what + " with " + std::to_string(zone.points) +
                           " points matches no picked file and its point count");
    }
    if (zone.values.size() != numVariables || zone.types.size() != numVariables) {
      violations.push_back(what + " has " + std::to_string(zone.values.size()) +
                           " value arrays for " + std::to_string(numVariables) + " variables");
      continue;
    }
    for (size_t v = 0; v < numVariables; ++v) {
      const auto& array = zone.values[v];
      if (array == nullptr || array->size != zone.points || array->type != zone.types[v]) {
        violations.push_back(what + ": the value array of variable " + std::to_string(v + 1) +
                             " does not fit the zone");
      }
    }
  }
}

}  // namespace

std::span<const HostFault> refusableCalls() {
  using enum qvsdkbase::FaultKind;
  static const HostFault calls[] = {
      {"QorUtilAddOnRegister"},
      {"QorUtilImportAddLoaderX"},
      {"QorUtilArgListAlloc"},
      {"QorUtilArgListAppendString"},
      {"QorUtilArgListAppendInt"},
      {"QorUtilArgListAppendFunction"},
      {"QorUtilArgListAppendStringList"},
      {"QorUtilArgListAppendArray"},
      {"QorUtilArgListAppendArray", 1, Result, 2},
      {"QorUtilStringListAlloc"},
      {"QorUtilStringListGetCount"},
      {"QorUtilStringListGetRawStringPtr"},
      {"QorUtilStringListAppendString"},
      {"QorUtilStringListAppend"},
      {"QorUtilDataSetCreateX"},
      {"QorUtilDataSetGetNumZones"},
      {"QorUtilDataSetAddZoneX"},
      {"QorUtilDataValueGetWritableRawPtr"},
      {"QorUtilImportSetLoaderInstr"},
      {"QorUtilDataLoadFinishX"},
  };
  return calls;
}

SelectionLoad loadSelection(const std::vector<std::string>& fileNames, const LoadFaults& faults,
                            Route route) {
  qvsdkbase::reset();
  InitQorAddOn113();
  SelectionLoad load;
  const auto& loaders = qvsdkbase::loaders();
  if (loaders.size() != 1 || loaders[0].selectedCallback == nullptr) {
    load.violations.push_back("the add-on registered no selection callback");
    return load;
  }
  load.armedAt = qvsdkbase::calls().size();
  for (const HostFault& f : faults.hostFaults)
    qvsdkbase::injectFault(f.function, f.nth, f.kind, f.result);
  std::vector<std::string> listed = fileNames;
  if (route == Route::Replay) {
    listed.insert(listed.begin(),
                  {"STANDARDSYNTAX", "1.0", "FILELIST", std::to_string(fileNames.size())});
  }
  const QvStringList list = qvsdkbase::makeStringList(listed);
  if (faults.messageSink) qvsdkbase::setMessageSink(faults.messageSink);
  startCountingAllocations(faults.failingAllocation, faults.allocationsFailOnward);
  if (route == Route::Replay) {
    load.replayResult = loaders[0].callback(list) != 0;
  } else {
    loaders[0].selectedCallback(list);
  }
  stopCountingAllocations();
  qvsdkbase::freeStringList(list);

  // Where the first fault struck: the nth call of a refused function after arming, or the
  // failing allocation.
  const auto& calls = qvsdkbase::calls();
  for (const HostFault& f : faults.hostFaults) {
    int64_t seen = 0;
    for (size_t i = load.armedAt; i < calls.size(); ++i) {
      if (calls[i].function == f.function && ++seen == f.nth) {
        load.faultAt = std::min(load.faultAt.value_or(i), i);
        break;
      }
    }
  }
  if (allocationFailed()) {
    const auto positions = allocationPositions();
    const auto failing = static_cast<size_t>(faults.failingAllocation - 1);
    const size_t at = failing < positions.size() ? positions[failing] : calls.size();
    load.faultAt = std::min(load.faultAt.value_or(at), at);
  }
  load.handedBack = qvsdkbase::loaders()[0].instructions.has_value();
  load.messages = qvsdkbase::messages();
  load.violations = checkLoad(fileNames, load);
  return load;
}

std::vector<std::string> checkLoad(const std::vector<std::string>& fileNames,
                                   const SelectionLoad& load) {
  std::vector<std::string> violations;
  checkHostState(violations);
  checkMessages(fileNames, load, violations);
  checkZones(fileNames, violations);
  return violations;
}

}  // namespace cvl::fuzz
