// minihost's output options on its command line: --plot FILE [--x NAME] [--y NAME]...
// [--size WxH], --csv DIR and --xlsx FILE, each of which hands the loaded dataset on as a file.
#ifndef CVL_TOOLS_MINIHOST_PROGRAM_OUTPUT_ARGUMENTS_H
#define CVL_TOOLS_MINIHOST_PROGRAM_OUTPUT_ARGUMENTS_H

#include <string>

#include "tools/minihost/outputs/output_options.h"

namespace CLI {
class App;
}

namespace cvl::minihost {

// Adds the output options to app, to be read into options. What can be checked before the load
// is checked as the command line is read (the plot's extension, --size, --x and --y only with
// --plot, an option this build leaves out), so that a mistake there is a usage error.
void addOutputOptions(CLI::App& app, OutputOptions& options);

// The help text about the output options, for the end of --help.
std::string outputOptionsHelp();

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_PROGRAM_OUTPUT_ARGUMENTS_H
