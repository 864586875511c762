// The one function that the Python package's build of the add-on exports beside the host's entry
// point: the table of what it offers the package's extension module (package_api.h).
#include <utility>
#include <vector>

#include "tools/python/addon/header_facts_internal.h"
#include "tools/python/addon/package_api.h"
#include "tools/python/addon/read_options_internal.h"
#include "tools/python/addon/row_block_internal.h"

namespace cvl::python {

namespace {

void setReadOptions(const ReadOptions& options) {
  threadReadOptions() = options;
}

std::vector<ReadNote> takeReadNotes() {
  return std::exchange(threadReadNotes(), {});
}

constexpr PackageApi kPackageApi{&setReadOptions, &takeReadNotes, &readHeaderFacts,
                                 &readHeaderFactsFromText, &readRowBlock};

}  // namespace

}  // namespace cvl::python

extern "C" __attribute__((visibility("default"))) const cvl::python::PackageApi*
cvlPythonPackageApi() {
  return &cvl::python::kPackageApi;
}
