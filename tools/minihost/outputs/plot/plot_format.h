// The picture format that a plot's file name asks for.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_PLOT_FORMAT_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_PLOT_FORMAT_H

#include <filesystem>
#include <optional>

namespace cvl::minihost {

enum class PlotFormat { Png, Svg };

// PNG for a name ending in ".png", SVG for ".svg" (in any case); nothing for any other.
std::optional<PlotFormat> plotFormat(const std::filesystem::path& path);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_PLOT_FORMAT_H
