#include "tools/minihost/host/loader_choice.h"

#include <algorithm>
#include <string_view>

#include "tools/minihost/host/glob_match.h"

namespace cvl::minihost {

namespace {

constexpr std::string_view kPatternSeparators = ";, \t";

}  // namespace

bool matchesExtensions(const std::string& patterns, const std::string& fileName) {
  // The base name after either separator: the host's names are Windows names.
  const size_t folderEnd = fileName.find_last_of("/\\");
  const std::string_view baseName =
      std::string_view(fileName).substr(folderEnd == std::string::npos ? 0 : folderEnd + 1);
  size_t start = patterns.find_first_not_of(kPatternSeparators);
  while (start != std::string::npos) {
    const size_t end = patterns.find_first_of(kPatternSeparators, start);
    const std::string_view pattern = std::string_view(patterns).substr(start, end - start);
    if (globMatches(pattern, baseName)) return true;
    start = patterns.find_first_not_of(kPatternSeparators, end);
  }
  return false;
}

std::optional<size_t> chooseLoader(const std::vector<qvsdkbase::Loader>& loaders,
                                   const std::vector<std::string>& fileNames, std::string& error) {
  if (loaders.empty()) {
    error = "the add-on registered no loader";
    return std::nullopt;
  }
  if (loaders.size() == 1) return 0;
  for (size_t i = 0; i < loaders.size(); ++i) {
    const std::string& patterns = loaders[i].fileNameExtensions;
    if (std::all_of(fileNames.begin(), fileNames.end(),
                    [&](const std::string& name) { return matchesExtensions(patterns, name); })) {
      return i;
    }
  }
  error = "no registered loader takes all of the given files";
  return std::nullopt;
}

}  // namespace cvl::minihost
