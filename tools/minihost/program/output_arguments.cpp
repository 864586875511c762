#include "tools/minihost/program/output_arguments.h"

#include <charconv>

#include <CLI/CLI.hpp>

#include "tools/minihost/outputs/plot/plot_format.h"
#include "tools/minihost/outputs/xlsx_writer.h"

namespace cvl::minihost {

namespace {

constexpr int kMinPageSide = 100;
constexpr int kMaxPageSide = 16000;

// A page size "WIDTHxHEIGHT" in pixels, each side within kMinPageSide to kMaxPageSide.
std::optional<PixelSize> parsePageSize(std::string_view text) {
  const size_t cross = text.find_first_of("xX");
  if (cross == std::string_view::npos) return std::nullopt;
  PixelSize size;
  const std::string_view width = text.substr(0, cross);
  const std::string_view height = text.substr(cross + 1);
  const auto parse = [](std::string_view digits, int& value) {
    const auto [end, failed] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return failed == std::errc() && end == digits.data() + digits.size() && value >= kMinPageSide &&
           value <= kMaxPageSide;
  };
  if (!parse(width, size.width) || !parse(height, size.height)) return std::nullopt;
  return size;
}

// The description of an option, or why this build leaves it out.
std::string described(const std::string& description, const std::string& unavailable) {
  return unavailable.empty() ? description
                             : description + " (not in this build: " + unavailable + ")";
}

}  // namespace

void addOutputOptions(CLI::App& app, OutputOptions& options) {
  const std::string noPlot = plotUnavailableReason();
  const std::string noWorkbook = workbookUnavailableReason();
  CLI::Option* plot =
      app.add_option(
             "--plot", options.plot.path,
             described("Draw the dataset into FILE, a PNG or SVG picture by its extension", noPlot))
          ->type_name("FILE")
          ->check(
              [noPlot](const std::string& path) -> std::string {
                if (!noPlot.empty()) return noPlot;
                return plotFormat(path) ? "" : "the plot's file name must end in .png or .svg";
              },
              "");
  app.add_option("--x", options.plot.x, "The variable across every panel (default: the first)")
      ->type_name("NAME")
      ->needs(plot);
  app.add_option("--y", options.plot.y,
                 "A variable to draw in a panel of its own; repeatable (default: every variable "
                 "but the x variable)")
      ->type_name("NAME")
      ->needs(plot);
  app.add_option_function<std::string>(
         "--size", [&options](const std::string& text) { options.plot.size = parsePageSize(text); },
         "The plot's size in pixels (default: from the number of panels)")
      ->type_name("WxH")
      ->check(
          [](const std::string& text) -> std::string {
            return parsePageSize(text)
                       ? ""
                       : "the size must be WIDTHxHEIGHT in pixels, each from " +
                             std::to_string(kMinPageSide) + " to " + std::to_string(kMaxPageSide);
          },
          "")
      ->needs(plot);
  app.add_option("--csv", options.csvFolder,
                 "Write one CSV file per zone into folder DIR (made when missing)")
      ->type_name("DIR");
  app.add_option("--xlsx", options.workbook,
                 described("Write the dataset to FILE.xlsx, one worksheet per zone", noWorkbook))
      ->type_name("FILE")
      ->check(
          [noWorkbook](const std::string& path) -> std::string {
            if (!noWorkbook.empty()) return noWorkbook;
            std::string extension = std::filesystem::path(path).extension().string();
            for (char& c : extension)
              c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            return extension == ".xlsx" ? "" : "the workbook's file name must end in .xlsx";
          },
          "");
}

std::string outputOptionsHelp() {
  std::string help =
      "Outputs, written after the load and its report, when the load succeeded. Each file\n"
      "appears complete or not at all (written under a temporary name, then renamed), replacing\n"
      "a file of the same name. A line per output says where it went.\n"
      "--plot: one panel per variable against the x variable, one line per zone (zones that\n"
      "  share a variable each draw it), a legend of the zones at the top; at most 64 panels.\n"
      "  Drawn by gnuplot; long traces are thinned to each pixel column's lowest and highest\n"
      "  points, so peaks survive. A NAME is a variable's full name (\"Pressure (MPa)\") or its\n"
      "  name without the unit (\"Pressure\").\n"
      "--csv: DIR/<zone number>_<zone name>.csv, the number zero-padded, characters other than\n"
      "  letters, digits, '-', '_' and '.' in the name replaced by '_'. RFC 4180 with LF line\n"
      "  ends: a header row of the variable names, then one row per point with every variable\n"
      "  of the zone; doubles read back to the same value (nan, inf, -inf as such), integers\n"
      "  as integers.\n"
      "--xlsx: the same header row (bold, frozen) and values as numbers, one worksheet per\n"
      "  zone; a zone of more than 1,048,575 points continues on sheets \"<name> (2)\", ...\n"
      "  Doubles are held to 16 significant digits; a line says how many needed 17.\n";
  const std::string noPlot = plotUnavailableReason();
  const std::string noWorkbook = workbookUnavailableReason();
  if (!noPlot.empty()) help += "Not in this build: --plot, " + noPlot + ".\n";
  if (!noWorkbook.empty()) help += "Not in this build: --xlsx, " + noWorkbook + ".\n";
  return help;
}

}  // namespace cvl::minihost
