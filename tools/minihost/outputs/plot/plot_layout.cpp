#include "tools/minihost/outputs/plot/plot_layout.h"

#include <algorithm>

namespace cvl::minihost {

namespace {

// Room around a plot area for the tick labels and titles of its axes, in pixels.
constexpr int kLeftRoom = 84;
constexpr int kRightRoom = 24;
constexpr int kTopRoom = 14;
constexpr int kBottomRoom = 52;
// The smallest plot area a panel may have.
constexpr int kMinAreaWidth = 60;
constexpr int kMinAreaHeight = 40;
// A panel's size when the page is sized from their number.
constexpr int kPanelHeight = 320;
constexpr int kWidePanelWidth = 1000;  // alone in its row
constexpr int kPanelWidth = 600;
// Legend: the height of a row of entries, the width of an entry's line sample and gaps, and
// the width of one character of its text (10 pt sans-serif, generous).
constexpr int kLegendRow = 18;
constexpr int kLegendPadding = 12;
constexpr int kEntryBase = 64;
constexpr int kCharWidth = 8;

int columnsFor(size_t panels) {
  if (panels <= 3) return 1;
  if (panels <= 8) return 2;
  if (panels <= 15) return 3;
  return 4;
}

}  // namespace

std::optional<PlotLayout> layoutPlot(size_t panels, size_t zones, size_t longestZoneName,
                                     std::optional<PixelSize> size, std::string& error) {
  panels = std::clamp<size_t>(panels, 1, kMaxPanels);
  const int columns = columnsFor(panels);
  const int rows =
      static_cast<int>((panels + static_cast<size_t>(columns) - 1) / static_cast<size_t>(columns));
  PlotLayout layout;
  layout.page.width = size ? size->width : columns * (columns == 1 ? kWidePanelWidth : kPanelWidth);

  const int entryWidth =
      kEntryBase + kCharWidth * static_cast<int>(std::min<size_t>(longestZoneName, 60));
  layout.legendColumns =
      std::clamp(layout.page.width / entryWidth, 1, static_cast<int>(std::max<size_t>(zones, 1)));
  const int legendRows = static_cast<int>(
      (std::max<size_t>(zones, 1) + static_cast<size_t>(layout.legendColumns) - 1) /
      static_cast<size_t>(layout.legendColumns));
  layout.legendHeight = 2 * kLegendPadding + legendRows * kLegendRow;
  layout.page.height = size ? size->height : layout.legendHeight + rows * kPanelHeight;

  const int panelWidth = layout.page.width / columns;
  const int panelHeight = (layout.page.height - layout.legendHeight) / rows;
  if (panelWidth - kLeftRoom - kRightRoom < kMinAreaWidth ||
      panelHeight - kTopRoom - kBottomRoom < kMinAreaHeight) {
    error = "a page of " + std::to_string(layout.page.width) + "x" +
            std::to_string(layout.page.height) + " pixels is too small for " +
            std::to_string(panels) + (panels == 1 ? " panel" : " panels") + " and a legend of " +
            std::to_string(zones) + (zones == 1 ? " zone" : " zones");
    return std::nullopt;
  }
  for (size_t p = 0; p < panels; ++p) {
    const int column = static_cast<int>(p % static_cast<size_t>(columns));
    const int row = static_cast<int>(p / static_cast<size_t>(columns));
    const int left = column * panelWidth;
    const int top = layout.legendHeight + row * panelHeight;
    layout.plotAreas.push_back({left + kLeftRoom, top + kTopRoom, left + panelWidth - kRightRoom,
                                top + panelHeight - kBottomRoom});
  }
  return layout;
}

}  // namespace cvl::minihost
