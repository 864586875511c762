// minihost's command line: minihost [--addon LIB] [--json] [--replay] [outputs] FILE...
#ifndef CVL_TOOLS_MINIHOST_PROGRAM_COMMAND_LINE_H
#define CVL_TOOLS_MINIHOST_PROGRAM_COMMAND_LINE_H

#include <optional>
#include <string>
#include <vector>

#include "tools/minihost/program/output_arguments.h"

namespace cvl::minihost {

// minihost's exit statuses.
enum ExitStatus : int { kLoaded = 0, kLoadFailed = 1, kUsageError = 2 };

struct Options {
  std::string addOnPath;  // empty: the add-on built beside the program
  bool json = false;
  bool replay = false;
  std::vector<std::string> files;  // in the order given, at least one
  OutputOptions outputs;
};

// Reads the command line into options. Nothing when the program is to go on; otherwise the
// status to exit with: 0 after printing --help to standard output, kUsageError after a one-line
// reason on standard error.
std::optional<int> parseCommandLine(int argc, char** argv, Options& options);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_PROGRAM_COMMAND_LINE_H
