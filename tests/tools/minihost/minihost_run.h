// minihost run as a process, as a user runs it, in a folder that holds its files.
#ifndef CVL_TESTS_TOOLS_MINIHOST_MINIHOST_RUN_H
#define CVL_TESTS_TOOLS_MINIHOST_MINIHOST_RUN_H

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace cvl::test {

// The folder of minihost's own test files, tests/tools/minihost/data.
inline const std::filesystem::path kMinihostData =
    std::filesystem::path(CVL_PROJECT_DIR) / "tests/tools/minihost/data";

// Copies files of kMinihostData into folder: of each pair, the second under the name first.
inline void copyData(const std::filesystem::path& folder,
                     const std::vector<std::pair<std::string, std::string>>& files) {
  for (const auto& [copy, file] : files)
    std::filesystem::copy_file(kMinihostData / file, folder / copy);
}

// The names of everything under folder, relative to it, with '/' between folders.
inline std::set<std::string> filesUnder(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    names.insert(std::filesystem::relative(entry.path(), folder).generic_string());
  }
  return names;
}

struct MinihostRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs minihost with args in folder; its exit status, standard output and error (caught in the
// files .out and .err of folder, which are removed again).
inline MinihostRun runMinihost(const std::filesystem::path& folder,
                               const std::vector<std::string>& args) {
  const std::filesystem::path out = folder / ".out", err = folder / ".err";
  MinihostRun run;
  run.status = runProgram(CVL_MINIHOST, args, folder.string(), out.string(), err.string());
  run.out = readWholeFile(out);
  run.err = readWholeFile(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return run;
}

}  // namespace cvl::test

#endif  // CVL_TESTS_TOOLS_MINIHOST_MINIHOST_RUN_H
