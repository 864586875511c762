// minihost's output options: --plot FILE [--x NAME] [--y NAME]... [--size WxH], --csv DIR and
// --xlsx FILE, each of which hands the loaded dataset on as a file.
#ifndef CVL_TOOLS_MINIHOST_PROGRAM_OUTPUT_OPTIONS_H
#define CVL_TOOLS_MINIHOST_PROGRAM_OUTPUT_OPTIONS_H

#include <filesystem>
#include <string>

#include "tools/minihost/outputs/plot/plot_writer.h"

namespace CLI {
class App;
}

namespace cvl::minihost {

struct OutputOptions {
  PlotOptions plot;                 // no plot when plot.path is empty
  std::filesystem::path csvFolder;  // empty: no CSV files
  std::filesystem::path workbook;   // empty: no workbook
  bool any() const { return !plot.path.empty() || !csvFolder.empty() || !workbook.empty(); }
};

// Adds the output options to app, to be read into options. What can be checked before the load
// is checked as the command line is read (the plot's extension, --size, --x and --y only with
// --plot, an option this build leaves out), so that a mistake there is a usage error.
void addOutputOptions(CLI::App& app, OutputOptions& options);

// The help text about the output options, for the end of --help.
std::string outputOptionsHelp();

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_PROGRAM_OUTPUT_OPTIONS_H
