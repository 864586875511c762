// Where everything goes on a plot's page: the legend strip at the top, then a grid of panels,
// each with its framed plot area and room for tick labels and axis titles around it.
#ifndef CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_PLOT_LAYOUT_H
#define CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_PLOT_LAYOUT_H

#include <optional>
#include <string>
#include <vector>

namespace cvl::minihost {

struct PixelSize {
  int width = 0;
  int height = 0;
};

// A rectangle in pixels from the page's top left corner; right and bottom are past its end.
struct PixelBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct PlotLayout {
  PixelSize page;
  int legendHeight = 0;             // the strip at the top of the page that holds the legend
  int legendColumns = 1;            // legend entries side by side
  std::vector<PixelBox> plotAreas;  // one per panel, row by row: the area inside its frame
};

// Panels a page holds at most; the default plot draws the first ones of more variables.
inline constexpr size_t kMaxPanels = 64;

// The layout of panels (1 to kMaxPanels) for a legend of zones entries of at most
// longestZoneName characters: on a page sized from the number of panels, or of size when given.
// Nothing, with a message, when size leaves a panel too little room.
std::optional<PlotLayout> layoutPlot(size_t panels, size_t zones, size_t longestZoneName,
                                     std::optional<PixelSize> size, std::string& error);

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_OUTPUTS_PLOT_PLOT_LAYOUT_H
