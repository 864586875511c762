// minihost: plays the host application for one load from the command line. It loads an add-on
// library, calls its entry point, hands the given files to the registered loader as the host's
// load dialog does after a multi-file pick, and prints what the host then holds.
#include <exception>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "minihost/addon_library.h"
#include "minihost/command_line.h"
#include "minihost/console_text.h"
#include "minihost/dataset_snapshot.h"
#include "minihost/json_report.h"
#include "minihost/loader_choice.h"
#include "minihost/outputs.h"
#include "minihost/summary.h"
#include "qvsdkbase/host_control.h"

namespace {

using minihost::kLoaded;
using minihost::kLoadFailed;
using minihost::kUsageError;

// Writes the one-line reason for an exit status other than 0 and returns the status.
int fail(int status, const std::string& reason) {
  std::cerr << "minihost: " << minihost::hostTextToUtf8(reason) << '\n';
  return status;
}

// Calls into the add-on. An add-on must never let an exception reach the host; when one does
// anyway, false with a one-line reason in error that names the call.
template <typename Call>
bool callAddOn(const char* what, Call&& call, std::string& error) {
  try {
    call();
    return true;
  } catch (const std::exception& e) {
    error = std::string("the add-on let an exception out of ") + what + ": " + e.what();
  } catch (...) {
    error = std::string("the add-on let an unknown exception out of ") + what;
  }
  return false;
}

// Hands a host-side list of the names to the loader's selection callback, as the load dialog
// does. False, with the reason in error, when the callback threw.
bool pickFiles(const qvsdkbase::Loader& loader, const std::vector<std::string>& files,
               std::string& error) {
  QvStringList picked = qvsdkbase::makeStringList(files);
  const bool returned = callAddOn(
      "the selection callback", [&] { loader.selectedCallback(picked); }, error);
  qvsdkbase::freeStringList(picked);
  return returned;
}

// Repeats the load from the stored instructions, as the host does on replay. Empty when the
// callback reported success; otherwise why not.
std::string replayLoad(const qvsdkbase::Loader& loader) {
  QvStringList stored = qvsdkbase::makeStringList(*loader.instructions);
  QvBoolean loaded = 0;
  std::string error;
  const bool returned = callAddOn(
      "the loader callback", [&] { loaded = loader.callback(stored); }, error);
  qvsdkbase::freeStringList(stored);
  if (!returned) return error;
  return loaded != 0 ? std::string() : "the replayed load failed";
}

// Empty when the host's dataset is the same as first; otherwise what differs.
std::string compareWithReplay(const minihost::DataSetSnapshot& first) {
  const qvsdkbase::DataSet* replayed = qvsdkbase::dataSet();
  if (replayed == nullptr) return "the replayed load left no dataset";
  const std::string difference =
      minihost::firstDifference(first, minihost::takeSnapshot(*replayed));
  return difference.empty() ? difference : "the replayed dataset differs: " + difference;
}

// Warns about locks, busy indications or load brackets that the add-on left unpaired.
void warnAboutHostState() {
  for (const std::string& violation : qvsdkbase::lockViolations()) {
    std::cerr << "warning: " << violation << '\n';
  }
  if (qvsdkbase::lockDepth() != 0) std::cerr << "warning: the host lock is still held\n";
  if (qvsdkbase::loadDepth() != 0) std::cerr << "warning: a data load was not finished\n";
  if (qvsdkbase::busy()) std::cerr << "warning: the busy indication is still on\n";
}

int run(const minihost::Options& options) {
  std::string error;
  std::string addOnPath = options.addOnPath;
  if (addOnPath.empty()) {
    const std::optional<std::string> found = minihost::defaultAddOnPath(error);
    if (!found) return fail(kUsageError, error);
    addOnPath = *found;
  }
  std::optional<minihost::AddOnLibrary> addOn = minihost::AddOnLibrary::open(addOnPath, error);
  if (!addOn) return fail(kUsageError, error);

  qvsdkbase::setMessageSink([](const std::string& message) {
    std::cerr << "error: " << minihost::hostTextToUtf8(message) << std::endl;
  });
  if (!callAddOn(
          "its entry point", [&] { addOn->initialise(); }, error)) {
    return fail(kUsageError, error);
  }
  const std::optional<size_t> chosen =
      minihost::chooseLoader(qvsdkbase::loaders(), options.files, error);
  if (!chosen) return fail(kUsageError, error);
  const qvsdkbase::Loader& loader = qvsdkbase::loaders()[*chosen];
  if (loader.selectedCallback == nullptr) {
    return fail(kUsageError, "loader \"" + loader.name + "\" takes no file selection");
  }

  if (!pickFiles(loader, options.files, error)) return fail(kLoadFailed, error);
  bool loaded = loader.instructions.has_value();
  std::string replayVerdict;
  if (loaded && options.replay) {
    if (qvsdkbase::dataSet() == nullptr) {
      replayVerdict = "the first load left no dataset to compare with";
    } else {
      const minihost::DataSetSnapshot first = minihost::takeSnapshot(*qvsdkbase::dataSet());
      replayVerdict = replayLoad(loader);
      if (replayVerdict.empty()) replayVerdict = compareWithReplay(first);
    }
    loaded = replayVerdict.empty();
  }

  if (options.json) {
    nlohmann::ordered_json report =
        minihost::makeJsonReport(qvsdkbase::messages(), loader.instructions, qvsdkbase::dataSet());
    minihost::convertTextsToUtf8(report);
    std::cout << report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
              << '\n';
    if (options.replay && loaded) std::cerr << "replay: same dataset\n";
  } else {
    std::ostringstream summary;
    minihost::printSummary(summary, qvsdkbase::dataSet(), loader.instructions);
    std::cout << minihost::hostTextToUtf8(summary.str());
    if (options.replay && loaded) std::cout << "Replay: same dataset\n";
  }
  warnAboutHostState();
  if (!replayVerdict.empty()) return fail(kLoadFailed, "replay: " + replayVerdict);
  if (!loaded) return fail(kLoadFailed, "the load failed");
  if (options.outputs.any() &&
      !minihost::writeOutputs(options.outputs, qvsdkbase::dataSet(),
                              options.json ? std::cerr : std::cout, std::cerr)) {
    return kUsageError;
  }
  return kLoaded;
}

}  // namespace

int main(int argc, char** argv) {
  minihost::useBinaryStandardStreams();
  minihost::Options options;
  if (const std::optional<int> status = minihost::parseCommandLine(argc, argv, options)) {
    return *status;
  }
  try {
    return run(options);
  } catch (const std::exception& e) {
    return fail(kLoadFailed, std::string("unexpected error: ") + e.what());
  }
}
