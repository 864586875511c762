#include "tools/minihost/program/command_line.h"

#include <iostream>

#include <CLI/CLI.hpp>

namespace cvl::minihost {

namespace {

constexpr const char* kDescription =
    "Plays the Qorvian host for one load: loads the add-on library, calls its entry point\n"
    "InitQorAddOn113, and hands FILE... (in the order given) to the registered loader whose\n"
    "extension pattern matches them, as the host's load dialog does after a multi-file pick.\n"
    "Every error-dialog message is written to standard error as \"error: <message>\".";

constexpr const char* kFooter =
    "Output: without --json a readable summary of the dataset (title, variables and types,\n"
    "zones with point counts and shared variables, minimum and maximum of every variable in\n"
    "every zone) and the load instructions the add-on handed back. With --json exactly one JSON\n"
    "object on standard output:\n"
    "  {\"messages\": [string...], \"instructions\": [string...] or null,\n"
    "   \"dataset\": null or {\"title\": string, \"variables\": [string...],\n"
    "     \"zones\": [{\"name\": string, \"points\": integer, \"types\": [integer...],\n"
    "                \"shareZones\": [integer...], \"values\": [[number...]...]}]}}\n"
    "  Doubles read back to the same value; values that are not finite are null.\n"
    "\n"
    "--replay: after a successful load, calls the loader callback with the stored instructions,\n"
    "as the host does to repeat a load, and checks that the dataset is the same bit for bit.\n"
    "\n"
    "Exit status: 0 when the load succeeded (the add-on handed its instructions back, and the\n"
    "replay, if asked for, gave the same dataset); 1 when it failed; 2 for a usage error\n"
    "(unknown option, no file, an add-on that cannot be loaded or has no entry point) or an\n"
    "output that could not be written.\n\n";

}  // namespace

std::optional<int> parseCommandLine(int argc, char** argv, Options& options) {
  CLI::App app{kDescription, "minihost"};
  app.add_option("--addon", options.addOnPath,
                 "The add-on library to load (default: " CVL_ADDON_FILE_NAME " beside minihost)")
      ->type_name("LIB");
  app.add_flag("--json", options.json, "Print the result as one JSON object");
  app.add_flag("--replay", options.replay,
               "Repeat the load from the stored instructions and compare the datasets");
  app.add_option("FILE", options.files, "The files to load, in this order")->required();
  addOutputOptions(app, options.outputs);
  app.footer(std::string(kFooter) + outputOptionsHelp());
  // "/data/run.out" is a file, not an option, on every system.
  app.allow_windows_style_options(false);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "minihost: " << e.what() << " (see --help)\n";
    return kUsageError;
  }
  return std::nullopt;
}

}  // namespace cvl::minihost
