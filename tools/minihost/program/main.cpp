// minihost: plays the host application for one load from the command line. It loads an add-on
// library, calls its entry point, hands the given files to the registered loader as the host's
// load dialog does after a multi-file pick, and prints what the host then holds.
#include <exception>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tools/minihost/host/addon_library.h"
#include "tools/minihost/host/loader_choice.h"
#include "tools/minihost/outputs/outputs.h"
#include "tools/minihost/platform/console_text.h"
#include "tools/minihost/program/command_line.h"
#include "tools/minihost/program/dataset_snapshot.h"
#include "tools/minihost/reports/json_report.h"
#include "tools/minihost/reports/summary.h"

namespace {

using cvl::minihost::kLoaded;
using cvl::minihost::kLoadFailed;
using cvl::minihost::kUsageError;

// Writes the one-line reason for an exit status other than 0 and returns the status.
int fail(int status, const std::string& reason) {
  std::cerr << "minihost: " << cvl::minihost::hostTextToUtf8(reason) << '\n';
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
std::string compareWithReplay(const cvl::minihost::DataSetSnapshot& first) {
  const qvsdkbase::DataSet* replayed = qvsdkbase::dataSet();
  if (replayed == nullptr) return "the replayed load left no dataset";
  const std::string difference =
      cvl::minihost::firstDifference(first, cvl::minihost::takeSnapshot(*replayed));
  return difference.empty() ? difference : "the replayed dataset differs: " + difference;
}

// Warns about locks, busy indications or load brackets that the add-on left unpaired.
void warnAboutHostState() {
  for (const std::string& violation : qvsdkbase::violations()) {
    std::cerr << "warning: " << violation << '\n';
  }
  if (qvsdkbase::lockDepth() != 0) std::cerr << "warning: the host lock is still held\n";
  if (qvsdkbase::loadDepth() != 0) std::cerr << "warning: a data load was not finished\n";
  if (qvsdkbase::busy()) std::cerr << "warning: the busy indication is still on\n";
}

int run(const cvl::minihost::Options& options) {
  std::string error;
  std::string addOnPath = options.addOnPath;
  if (addOnPath.empty()) {
    const std::optional<std::string> found = cvl::minihost::defaultAddOnPath(error);
    if (!found) return fail(kUsageError, error);
    addOnPath = *found;
  }
  std::optional<cvl::minihost::AddOnLibrary> addOn =
      cvl::minihost::AddOnLibrary::open(addOnPath, error);
  if (!addOn) return fail(kUsageError, error);

  qvsdkbase::setMessageSink([](const std::string& message) {
    std::cerr << "error: " << cvl::minihost::hostTextToUtf8(message) << std::endl;
  });
  if (!callAddOn(
          "its entry point", [&] { addOn->initialise(); }, error)) {
    return fail(kUsageError, error);
  }
  const std::optional<size_t> chosen =
      cvl::minihost::chooseLoader(qvsdkbase::loaders(), options.files, error);
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
      const cvl::minihost::DataSetSnapshot first =
          cvl::minihost::takeSnapshot(*qvsdkbase::dataSet());
      replayVerdict = replayLoad(loader);
      if (replayVerdict.empty()) replayVerdict = compareWithReplay(first);
    }
    loaded = replayVerdict.empty();
  }

  if (options.json) {
    nlohmann::ordered_json report = cvl::minihost::makeJsonReport(
        qvsdkbase::messages(), loader.instructions, qvsdkbase::dataSet());
    cvl::minihost::convertTextsToUtf8(report);
    std::cout << report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
              << '\n';
    if (options.replay && loaded) std::cerr << "replay: same dataset\n";
  } else {
    std::ostringstream summary;
    cvl::minihost::printSummary(summary, qvsdkbase::dataSet(), loader.instructions);
    std::cout << cvl::minihost::hostTextToUtf8(summary.str());
    if (options.replay && loaded) std::cout << "Replay: same dataset\n";
  }
  warnAboutHostState();
  if (!replayVerdict.empty()) return fail(kLoadFailed, "replay: " + replayVerdict);
  if (!loaded) return fail(kLoadFailed, "the load failed");
  if (options.outputs.any() &&
      !cvl::minihost::writeOutputs(options.outputs, qvsdkbase::dataSet(),
                                   options.json ? std::cerr : std::cout, std::cerr)) {
    return kUsageError;
  }
  return kLoaded;
}

}  // namespace

int main(int argc, char** argv) {
  cvl::minihost::useBinaryStandardStreams();
  cvl::minihost::Options options;
  if (const std::optional<int> status = cvl::minihost::parseCommandLine(argc, argv, options)) {
    return *status;
  }
  try {
    return run(options);
  } catch (const std::exception& e) {
    return fail(kLoadFailed, std::string("unexpected error: ") + e.what());
  }
}
