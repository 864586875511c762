// Which registered loader the host's load dialog offers for a set of picked files.
#ifndef CVL_TOOLS_MINIHOST_HOST_LOADER_CHOICE_H
#define CVL_TOOLS_MINIHOST_HOST_LOADER_CHOICE_H

#include <optional>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"

namespace cvl::minihost {

// The position in loaders of the loader for fileNames: the only one when there is one, else the
// first whose "FileNameExtensions" patterns match every file's name. Nothing, with a one-line
// reason in error, when no loader is registered or none matches.
std::optional<size_t> chooseLoader(const std::vector<qvsdkbase::Loader>& loaders,
                                   const std::vector<std::string>& fileNames, std::string& error);

// True when the base name of fileName (after its last '/' or '\\') matches one of the patterns
// ("*.out", several separated by ';', ',' or blanks; see globMatches), regardless of case, as
// the host's file dialog filters.
bool matchesExtensions(const std::string& patterns, const std::string& fileName);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_HOST_LOADER_CHOICE_H
