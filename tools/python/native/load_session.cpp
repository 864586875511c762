#include "tools/python/native/load_session.h"

#include <exception>
#include <mutex>
#include <utility>

#include "tools/minihost/host/addon_library.h"
#include "tools/minihost/host/loader_choice.h"

namespace cvl::python {

namespace {

// The package's build of the add-on, as its file lies beside this module.
constexpr const char* kAddOnFileName = "libconvergeoutloader_python.so";

// What startAddOn found, kept for the life of the process.
struct AddOn {
  std::once_flag started;
  std::string error;  // empty when the add-on is ready
  size_t loader = 0;  // its loader's position among the host's loaders
  QvLoaderSelectedCallback selectionCallback = nullptr;
  const PackageApi* api = nullptr;
};
AddOn addOn;

// Any object of this module: its address tells the system which module to look beside.
const char kInThisModule = 0;

// Runs the entry point of the add-on at path (or beside this module) and finds its loader and
// the package's exports. REQUIRES: the first call.
void registerAddOn(AddOn& found, const std::optional<std::string>& givenPath) {
  std::optional<std::string> path =
      givenPath ? givenPath
                : cvl::minihost::addOnPathBesideModule(kAddOnFileName, &kInThisModule, found.error);
  if (!path) return;
  std::optional<cvl::minihost::AddOnLibrary> library =
      cvl::minihost::AddOnLibrary::open(*path, found.error);
  if (!library) return;
  const auto apiFunction =
      reinterpret_cast<PackageApiFunction>(library->findFunction(kPackageApiFunction));
  if (apiFunction == nullptr) {
    found.error =
        "the add-on " + *path + " is not the package's build: it has no " + kPackageApiFunction;
    return;
  }
  found.api = apiFunction();
  // The add-on stays loaded until the process ends, as the host keeps it: its callbacks are
  // registered, and the arrays of every dataset were written by its code.
  auto* kept = new cvl::minihost::AddOnLibrary(std::move(*library));
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

// One load in the host of the calling thread's session.
LoadOutcome loadOnce(const std::vector<std::string>& fileNames, const ReadOptions& options) {
  LoadOutcome outcome;
  addOn.api->setReadOptions(options);
  QvStringList picked = qvsdkbase::makeStringList(fileNames);
  try {
    addOn.selectionCallback(picked);
  } catch (const std::exception& e) {
    outcome.addOnFault = e.what();
  } catch (...) {
    outcome.addOnFault = "an unknown exception";
  }
  qvsdkbase::freeStringList(picked);
  // Taking the result clears the call log: what the load logged is counted first.
  outcome.leftovers.calls = qvsdkbase::calls().size();
  outcome.result = qvsdkbase::takeLoadResult(addOn.loader);
  const qvsdkbase::LoadResult& result = outcome.result;
  outcome.loaded = outcome.addOnFault.empty() && result.instructions.has_value() &&
                   result.messages.empty() && result.dataSet.has_value();
  if (outcome.loaded) {
    outcome.zoneFiles = zoneFiles(*result.dataSet, fileNames.size());
    // The headers are read with the options of the load, without noting them twice.
    for (const std::string& name : fileNames) {
      HeaderFacts facts;
      if (addOn.api->readHeader(name, facts)) {
        outcome.headers.emplace_back(std::move(facts));
      } else {
        outcome.headers.emplace_back();
      }
    }
    qvsdkbase::takeLoadResult(addOn.loader);  // the messages of a header that no longer reads
  } else {
    outcome.result.dataSet.reset();
  }
  outcome.notes = addOn.api->takeReadNotes();
  if (outcome.loaded && !outcome.notes.empty()) {
    // Each file's notes once: the header reads above opened the files again.
    std::vector<ReadNote> once;
    for (ReadNote& note : outcome.notes) {
      bool seen = false;
      for (const ReadNote& kept : once) seen = seen || kept.fileName == note.fileName;
      if (!seen) once.push_back(std::move(note));
    }
    outcome.notes = std::move(once);
  }
  addOn.api->setReadOptions(ReadOptions{});
  return outcome;
}

// What the session's host holds once the load's result was taken out of it.
void countLeftovers(HostLeftovers& leftovers) {
  leftovers.argLists = qvsdkbase::openArgLists();
  leftovers.stringLists = qvsdkbase::openStringLists();
  leftovers.dataSet = qvsdkbase::dataSet() != nullptr;
}

// One header read by `read` (which fills the facts it is given, or returns false), in a host of
// its own on the calling thread, with the files read under options.
template <typename Read>
HeaderOutcome readHeaderIn(const ReadOptions& options, const Read& read) {
  const qvsdkbase::HostSession session;
  qvsdkbase::setCallLog(false);
  HeaderOutcome outcome;
  addOn.api->setReadOptions(options);
  HeaderFacts facts;
  if (read(facts)) outcome.facts = std::move(facts);
  outcome.notes = addOn.api->takeReadNotes();
  addOn.api->setReadOptions(ReadOptions{});
  outcome.messages = qvsdkbase::takeLoadResult(addOn.loader).messages;
  return outcome;
}

}  // namespace

bool startAddOn(std::string& error, const std::optional<std::string>& path) {
  std::call_once(addOn.started, [&] { registerAddOn(addOn, path); });
  error = addOn.error;
  return error.empty();
}

LoadOutcome loadFiles(const std::vector<std::string>& fileNames, const ReadOptions& options) {
  const qvsdkbase::HostSession session;
  qvsdkbase::setCallLog(false);
  LoadOutcome outcome = loadOnce(fileNames, options);
  countLeftovers(outcome.leftovers);
  return outcome;
}

HeaderOutcome readHeader(const std::string& fileName, const ReadOptions& options) {
  return readHeaderIn(options,
                      [&](HeaderFacts& facts) { return addOn.api->readHeader(fileName, facts); });
}

HeaderOutcome readHeaderText(const std::string& fileName, std::string_view text,
                             const ReadOptions& options) {
  return readHeaderIn(options, [&](HeaderFacts& facts) {
    return addOn.api->readHeaderText(fileName, text, facts);
  });
}

const PackageApi& packageApi() {
  return *addOn.api;
}

}  // namespace cvl::python
