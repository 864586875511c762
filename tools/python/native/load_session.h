// The Python package's host: the add-on's package build registered once in the process's stand-in
// host, and each load run in a host of its own (a qvsdkbase::HostSession) on the calling thread,
// so that loads on several threads run at the same time. Nothing here touches Python, so that a
// load runs while another thread holds the interpreter.
#ifndef CVL_TOOLS_PYTHON_NATIVE_LOAD_SESSION_H
#define CVL_TOOLS_PYTHON_NATIVE_LOAD_SESSION_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "tools/python/addon/package_api.h"

namespace cvl::python {

// What a load left in its session's host: all zero unless the host or the add-on leaks, or the
// call log, which loads keep switched off, recorded calls.
struct HostLeftovers {
  size_t argLists = 0;     // arg lists not freed, once the result was taken out
  size_t stringLists = 0;  // string lists not freed, the same
  size_t calls = 0;        // entries in the call log before the result was taken out
  bool dataSet = false;    // a dataset still in the host after the result was taken out
  bool operator==(const HostLeftovers&) const = default;
};

// What one load left, taken out of its host.
struct LoadOutcome {
  qvsdkbase::LoadResult result;
  // True when the host's load succeeded: the instructions were handed back, no message was shown
  // and a dataset exists. Otherwise result.dataSet is empty: a refused load leaves nothing.
  bool loaded = false;
  // Per zone of the dataset: the position, in the list of file names, of the file it came from.
  std::vector<size_t> zoneFiles;
  // Per file of a load that succeeded: its header as the loader read it, read again after the
  // load (nothing for a file whose header no longer reads).
  std::vector<std::optional<HeaderFacts>> headers;
  // What the read options changed, per file they changed, in the order the files were opened.
  std::vector<ReadNote> notes;
  // Set when an exception escaped the add-on's callback (an add-on fault): what it said.
  std::string addOnFault;
  HostLeftovers leftovers;
};

// A header read on its own.
struct HeaderOutcome {
  std::optional<HeaderFacts> facts;   // nothing when refused
  std::vector<std::string> messages;  // the host's messages, in order
  std::vector<ReadNote> notes;
};

// Loads the add-on library at path (or, without a path, the package's build of the add-on that
// lies beside this module), calls its entry point in the process's host and finds its loader and
// the package's exports, once per process; later calls return what the first one did. False,
// with a one-line reason in error, when the library cannot be loaded or lacks what the package
// needs. Thread-safe.
bool startAddOn(std::string& error, const std::optional<std::string>& path = std::nullopt);

// Loads fileNames (at least one) as the host does after the user picked them in its load dialog,
// in a host of its own on the calling thread, with the files read under options. Everything the
// load left is taken out of the host, which ends with the call. Throws std::bad_alloc.
// REQUIRES: startAddOn returned true.
LoadOutcome loadFiles(const std::vector<std::string>& fileNames, const ReadOptions& options);

// Reads one file's header as a load reads it (lines 1 to 6), in a host of its own on the calling
// thread. Throws std::bad_alloc. REQUIRES: startAddOn returned true.
HeaderOutcome readHeader(const std::string& fileName, const ReadOptions& options);

// The same from text that the package read from the named file itself (at least its first six
// lines), as if the file held just text; the file is not opened. Throws std::bad_alloc.
// REQUIRES: startAddOn returned true.
HeaderOutcome readHeaderText(const std::string& fileName, std::string_view text,
                             const ReadOptions& options);

// What the package's build of the add-on offers beyond its entry point. REQUIRES: startAddOn
// returned true.
const PackageApi& packageApi();

}  // namespace cvl::python

#endif  // CVL_TOOLS_PYTHON_NATIVE_LOAD_SESSION_H
