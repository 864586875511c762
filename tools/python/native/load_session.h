// The Python package's host: the process's one stand-in host with the add-on registered in it,
// and loads run through the add-on's selection callback one at a time. Nothing here touches
// Python, so that a load can run while another thread holds the interpreter.
#ifndef CVL_TOOLS_PYTHON_NATIVE_LOAD_SESSION_H
#define CVL_TOOLS_PYTHON_NATIVE_LOAD_SESSION_H

#include <cstddef>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::python {

// What one load left, taken out of the host.
struct LoadOutcome {
  qvsdkbase::LoadResult result;
  // True when the host's load succeeded: the instructions were handed back, no message was shown
  // and a dataset exists. Otherwise result.dataSet is empty: a refused load leaves nothing.
  bool loaded = false;
  // Per zone of the dataset: the position, in the list of file names, of the file it came from.
  std::vector<size_t> zoneFiles;
  // Set when an exception escaped the add-on's callback (an add-on fault): what it said.
  std::string addOnFault;
  // How long the selection callback ran, in seconds.
  double callbackSeconds = 0;
};

// Loads the add-on library that lies beside this module, calls its entry point and finds its
// loader, once per process; later calls return what the first one did. False, with a one-line
// reason in error, when the library cannot be loaded or registers no loader that takes a file
// selection. Thread-safe.
bool startAddOn(std::string& error);

// Loads fileNames (at least one) as the host does after the user picked them in its load dialog:
// the names go to the loader's selection callback in a host string list. Then everything the load
// left (dataset, messages, instructions) is taken out of the host, which is left empty but for
// the add-on's registration. Loads from several threads run one at a time; a process forked
// while none runs can load in the child. Throws std::bad_alloc when the names cannot be handed
// over; the host is left empty then too.
// REQUIRES: startAddOn returned true.
LoadOutcome loadFiles(const std::vector<std::string>& fileNames);

}  // namespace cvl::python

#endif  // CVL_TOOLS_PYTHON_NATIVE_LOAD_SESSION_H
