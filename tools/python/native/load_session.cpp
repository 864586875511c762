#include "tools/python/native/load_session.h"

#include <chrono>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>

#include "tools/minihost/host/addon_library.h"
#include "tools/minihost/host/loader_choice.h"

namespace cvl::python {

namespace {

// The one host of the process runs one load at a time.
std::mutex hostMutex;

// What startAddOn found, kept for the life of the process.
struct AddOn {
  bool tried = false;
  std::string error;  // empty when the add-on is ready
  size_t loader = 0;  // its loader's position among the host's loaders
  QvLoaderSelectedCallback selectionCallback = nullptr;
};
AddOn addOn;

// Any object of this module: its address tells the system which module to look beside.
const char kInThisModule = 0;

// Runs the entry point of the add-on beside this module and finds its loader. REQUIRES:
// hostMutex held, the first call.
void registerAddOn(AddOn& found) {
  std::optional<std::string> path =
      cvl::minihost::addOnPathBesideModule(&kInThisModule, found.error);
  if (!path) return;
  std::optional<cvl::minihost::AddOnLibrary> library =
      cvl::minihost::AddOnLibrary::open(*path, found.error);
  if (!library) return;
  // The add-on stays loaded until the process ends, as the host keeps it: its callbacks are
  // registered, and the arrays of every dataset were written by its code.
  auto* kept = new cvl::minihost::AddOnLibrary(std::move(*library));
  // A session may load thousands of files; the call log is for tests of a single load.
  qvsdkbase::setCallLog(false);
  try {
    kept->initialise();
  } catch (...) {
    found.error = "the add-on let an exception out of its entry point";
    return;
  }
  const std::optional<size_t> loader =
      cvl::minihost::chooseLoader(qvsdkbase::loaders(), {}, found.error);
  if (!loader) return;
  found.loader = *loader;
  found.selectionCallback = qvsdkbase::loaders()[*loader].selectedCallback;
  if (found.selectionCallback == nullptr)
    found.error = "the add-on's loader takes no file selection";
}

// Per zone of dataSet, the position in the load's list of numFiles names of the file it came
// from: the first file's zones come first, and each later file's begin where the dataset's zone
// count stood when the loader asked for it. Empty when the answers do not fit the files.
std::vector<size_t> zoneFiles(const qvsdkbase::DataSet& dataSet, size_t numFiles) {
  const std::vector<QvZoneNum>& starts = dataSet.zoneCountsAnswered;
  if (starts.size() + 1 != numFiles) return {};
  std::vector<size_t> files(dataSet.zones.size(), 0);
  size_t file = 0;
  for (size_t zone = 0; zone < files.size(); ++zone) {
    while (file < starts.size() && zone >= static_cast<size_t>(starts[file])) ++file;
    files[zone] = file;
  }
  return files;
}

}  // namespace

bool startAddOn(std::string& error) {
  const std::lock_guard<std::mutex> lock(hostMutex);
  if (!addOn.tried) {
    addOn.tried = true;
    registerAddOn(addOn);
  }
  error = addOn.error;
  return error.empty();
}

LoadOutcome loadFiles(const std::vector<std::string>& fileNames) {
  const std::lock_guard<std::mutex> lock(hostMutex);
  LoadOutcome outcome;
  QvStringList picked = qvsdkbase::makeStringList(fileNames);
  const auto start = std::chrono::steady_clock::now();
  try {
    addOn.selectionCallback(picked);
  } catch (const std::exception& e) {
    outcome.addOnFault = e.what();
  } catch (...) {
    outcome.addOnFault = "an unknown exception";
  }
  outcome.callbackSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  qvsdkbase::freeStringList(picked);
  outcome.result = qvsdkbase::takeLoadResult(addOn.loader);
  const qvsdkbase::LoadResult& result = outcome.result;
  outcome.loaded = outcome.addOnFault.empty() && result.instructions.has_value() &&
                   result.messages.empty() && result.dataSet.has_value();
  if (outcome.loaded) {
    outcome.zoneFiles = zoneFiles(*result.dataSet, fileNames.size());
  } else {
    outcome.result.dataSet.reset();
  }
  return outcome;
}

}  // namespace cvl::python
