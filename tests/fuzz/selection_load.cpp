#include "tests/fuzz/selection_load.h"

#include <algorithm>
#include <boost/filesystem/path.hpp>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "host/qorutil_api.h"
#include "qvsdkbase/host_control.h"

// The add-on's entry point, linked in from addon/entry_point.cpp.
extern "C" void InitQorAddOn113(void);

namespace cvltest {
namespace {

// Messages that show the host refused a request of the add-on: with the stand-in host and no
// injected fault, only a malformed request is refused, whatever the files hold.
constexpr std::string_view kHostRefusals[] = {
    "Unable to create the dataset",
    "Unable to add zones to the dataset",
    "Unable to access the values of the dataset",
};

bool endsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The one place where a fault is shown twice: a failed comment line on line 2 is followed by the
// column row's own message.
bool isColumnRowPair(const std::vector<std::string>& messages) {
  return messages.size() == 2 &&
         (endsWith(messages[0], ": Unexpected end-of-file when processing comment line") ||
          endsWith(messages[0], ": Invalid comment line")) &&
         endsWith(messages[1], ": Invalid Column Row");
}

// Number of data rows of the file as it is now: its lines (a last line without terminator
// counts) minus the five header lines. Nothing when it is no regular file (a device may never
// end) or cannot be read.
std::optional<int64_t> pointCount(const std::string& fileName) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(fileName, error)) return std::nullopt;
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return std::nullopt;
  int64_t lines = 0;
  char last = '\n';
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    const auto n = static_cast<size_t>(in.gcount());
    lines += std::count(buffer, buffer + n, '\n');
    last = buffer[n - 1];
  }
  if (in.bad()) return std::nullopt;
  if (last != '\n') ++lines;
  return lines - 5;
}

// Calls of function in the host's call log.
int64_t countCalls(std::string_view function) {
  const auto& calls = qvsdkbase::calls();
  return std::count_if(calls.begin(), calls.end(),
                       [&](const qvsdkbase::Call& call) { return call.function == function; });
}

std::string joined(const std::vector<std::string>& texts) {
  std::string all;
  for (const std::string& text : texts) all += (all.empty() ? "" : " | ") + text;
  return all;
}

void checkLocks(std::vector<std::string>& violations) {
  if (qvsdkbase::lockDepth() != 0) {
    violations.push_back("host lock still held, depth " + std::to_string(qvsdkbase::lockDepth()));
  }
  if (qvsdkbase::loadDepth() != 0) {
    violations.push_back("load bracket still open, depth " +
                         std::to_string(qvsdkbase::loadDepth()));
  }
  if (qvsdkbase::busy()) violations.push_back("busy indication still on");
  for (const std::string& violation : qvsdkbase::lockViolations()) {
    violations.push_back("lock violation: " + violation);
  }
}

void checkHandles(std::vector<std::string>& violations) {
  for (const std::string_view kind : {"ArgList", "StringList"}) {
    const std::string alloc = "QorUtil" + std::string(kind) + "Alloc";
    const std::string dealloc = "QorUtil" + std::string(kind) + "Dealloc";
    const int64_t made = countCalls(alloc);
    const int64_t freed = countCalls(dealloc);
    if (made != freed) {
      violations.push_back(std::to_string(made) + " calls of " + alloc + " but " +
                           std::to_string(freed) + " of " + dealloc);
    }
  }
}

void checkMessages(const std::vector<std::string>& fileNames, const SelectionLoad& load,
                   std::vector<std::string>& violations) {
  for (const std::string& message : load.messages) {
    if (message.starts_with("Unexpected error: ")) {
      violations.push_back("an exception reached the callback: " + message);
    }
    for (const std::string_view refusal : kHostRefusals) {
      if (message == refusal) violations.push_back("the host refused a request: " + message);
    }
  }
  if (load.handedBack) {
    if (!load.messages.empty()) {
      violations.push_back("handed back after messages: " + joined(load.messages));
    }
    std::vector<std::string> expected = {"STANDARDSYNTAX", "1.0", "FILELIST",
                                         std::to_string(fileNames.size())};
    expected.insert(expected.end(), fileNames.begin(), fileNames.end());
    const auto& loaders = qvsdkbase::loaders();
    if (loaders.empty() || loaders[0].instructions != expected) {
      violations.push_back("the instructions handed back are not those of the selection");
    }
    const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
    if (dataSet == nullptr || dataSet->zones.size() < fileNames.size()) {
      violations.push_back("handed back without a zone for every file");
    }
  } else if (load.messages.empty()) {
    violations.push_back("the load failed without a message");
  } else if (load.messages.size() > 1 && !isColumnRowPair(load.messages)) {
    violations.push_back(std::to_string(load.messages.size()) +
                         " messages for one failure: " + joined(load.messages));
  }
}

void checkZones(const std::vector<std::string>& fileNames, std::vector<std::string>& violations) {
  const qvsdkbase::DataSet* dataSet = qvsdkbase::dataSet();
  if (dataSet == nullptr) return;
  struct PickedFile {
    std::string stem;
    std::optional<int64_t> points;
  };
  std::vector<PickedFile> files;
  for (const std::string& name : fileNames) {
    files.push_back({boost::filesystem::path(name).stem().string(), pointCount(name)});
  }
  const size_t numVariables = dataSet->variables.size();
  for (size_t z = 0; z < dataSet->zones.size(); ++z) {
    const qvsdkbase::Zone& zone = dataSet->zones[z];
    const std::string what = "zone " + std::to_string(z + 1) + " \"" + zone.name + "\"";
    const bool fromPickedFile = std::any_of(files.begin(), files.end(), [&](const PickedFile& f) {
      return f.points == zone.points &&
             (zone.name == f.stem || zone.name.starts_with(f.stem + ' '));
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

SelectionLoad loadSelection(const std::vector<std::string>& fileNames) {
  qvsdkbase::reset();
  InitQorAddOn113();
  SelectionLoad load;
  const auto& loaders = qvsdkbase::loaders();
  if (loaders.size() != 1 || loaders[0].selectedCallback == nullptr) {
    load.violations.push_back("the add-on registered no selection callback");
    return load;
  }
  const QvLoaderSelectedCallback selected = loaders[0].selectedCallback;
  const QvStringList picked = qvsdkbase::makeStringList(fileNames);
  selected(picked);
  qvsdkbase::freeStringList(picked);
  load.handedBack = qvsdkbase::loaders()[0].instructions.has_value();
  load.messages = qvsdkbase::messages();
  load.violations = checkLoad(fileNames, load);
  return load;
}

std::vector<std::string> checkLoad(const std::vector<std::string>& fileNames,
                                   const SelectionLoad& load) {
  std::vector<std::string> violations;
  checkLocks(violations);
  checkHandles(violations);
  checkMessages(fileNames, load, violations);
  checkZones(fileNames, violations);
  return violations;
}

}  // namespace cvltest
