#include "tools/minihost/outputs/plot/plot_format.h"

#include <string>

namespace cvl::minihost {

std::optional<PlotFormat> plotFormat(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (extension == ".png") return PlotFormat::Png;
  if (extension == ".svg") return PlotFormat::Svg;
  return std::nullopt;
}

}  // namespace cvl::minihost
