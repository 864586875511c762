#include "tools/minihost/outputs/plot/gnuplot_script.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "tools/minihost/host/value_view.h"
#include "tools/minihost/outputs/plot/axis_range.h"
#include "tools/minihost/outputs/plot/trace_decimation.h"
#include "tools/minihost/outputs/printable_text.h"

namespace cvl::minihost {

namespace {

// Line colours of the zones, distinct in print and for the common colour vision deficiencies
// as far as ten colours can be; zones beyond ten repeat them with dashes.
constexpr const char* kColours[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
                                    "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};
constexpr size_t kColourCount = std::size(kColours);
constexpr size_t kFlushSize = size_t{1} << 20;
constexpr double kMargin = 0.04;

// Collects the script and hands it to the sink in pieces of about kFlushSize.
class ScriptText {
 public:
  explicit ScriptText(const ScriptSink& sink) : sink_(sink) { text_.reserve(kFlushSize + 4096); }

  ScriptText& operator<<(std::string_view piece) {
    text_ += piece;
    if (text_.size() >= kFlushSize) flush();
    return *this;
  }
  ScriptText& operator<<(double value) {
    char digits[32];
    text_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    return *this;
  }
  ScriptText& operator<<(long long value) {
    char digits[24];
    text_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    return *this;
  }
  // text as a gnuplot string: single-quoted, which takes everything literally but its quote.
  ScriptText& quoted(std::string_view text) {
    text_ += '\'';
    for (char c : text) text_ += c == '\'' ? std::string_view("''") : std::string_view(&c, 1);
    text_ += '\'';
    return *this;
  }
  bool flush() {
    if (ok_ && !text_.empty()) ok_ = sink_(text_);
    text_.clear();
    return ok_;
  }

 private:
  const ScriptSink& sink_;
  std::string text_;
  bool ok_ = true;
};

// A zone's line style: its colour, and dashes from the eleventh zone on.
std::string lineStyle(size_t zone) {
  return "lt " + std::to_string(zone % kColourCount + 1) + " dt " +
         std::to_string(zone / kColourCount % 5 + 1);
}

void writeHeader(ScriptText& script, const PlotPlan& plan) {
  const PixelSize page = plan.layout.page;
  script << (plan.format == PlotFormat::Png ? "set terminal pngcairo" : "set terminal svg")
         << " size " << static_cast<long long>(page.width) << ","
         << static_cast<long long>(page.height)
         << " font 'sans,10' noenhanced background '#ffffff'\n";
  script << "set output ";
  script.quoted(plan.output.string());
  script << "\nset encoding utf8\n";
  for (size_t c = 0; c < kColourCount; ++c) {
    script << "set linetype " << static_cast<long long>(c + 1) << " lc rgb '" << kColours[c]
           << "' lw 1.5\n";
  }
  script << "set multiplot\n";
}

// The style of every panel, set once after the legend.
void writePanelStyle(ScriptText& script, const PlotPlan& plan, const qvsdkbase::DataSet& dataSet) {
  script << "set border 3 lc rgb '#404040'\n"
            "set xtics nomirror out scale 0.6 textcolor rgb '#202020'\n"
            "set ytics nomirror out scale 0.6 textcolor rgb '#202020'\n"

            "set grid xtics ytics lt 1 lc rgb '#dddddd' lw 1 dt solid\n"
            "set format x '%g'\nset format y '%g'\n"
            "set style data lines\n"
            "unset key\n"
            "set xrange ["
         << plan.xFirst << ":" << plan.xLast << "]\nset xlabel ";
  script.quoted(printableText(dataSet.variables[plan.x]));
  script << " offset 0,0.3\n";
}

void writeMargins(ScriptText& script, const PixelBox& area, PixelSize page) {
  const double width = page.width;
  const double height = page.height;
  script << "set lmargin at screen " << area.left / width << "\nset rmargin at screen "
         << area.right / width << "\nset tmargin at screen " << 1.0 - area.top / height
         << "\nset bmargin at screen " << 1.0 - area.bottom / height << "\n";
}

// The legend: one entry per zone with points, drawn as a plot of its own over the strip at the
// top of the page, without frame or axes.
void writeLegend(ScriptText& script, const PlotPlan& plan, const qvsdkbase::DataSet& dataSet) {
  const PlotLayout& layout = plan.layout;
  writeMargins(script, {0, 0, layout.page.width, layout.legendHeight}, layout.page);
  script << "unset border\nunset tics\nset xrange [0:1]\nset yrange [0:1]\n"
            "set key inside center center horizontal maxcols "
         << static_cast<long long>(layout.legendColumns)
         << " reverse Left samplen 3 spacing 1.1 width 2 noautotitle\n"
            "plot NaN notitle";
  for (size_t z = 0; z < dataSet.zones.size(); ++z) {
    if (dataSet.zones[z].points == 0) continue;
    script << ", keyentry with lines " << lineStyle(z) << " title ";
    script.quoted(printableText(dataSet.zones[z].name));
  }
  script << "\n";
}

// One panel: the data block of each zone's trace, then the plot command.
bool writePanel(ScriptText& script, const PlotPlan& plan, const qvsdkbase::DataSet& dataSet,
                size_t panel, std::vector<int64_t>& kept) {
  const PixelBox& area = plan.layout.plotAreas[panel];
  const size_t y = plan.y[panel];
  const PixelColumns columns{plan.xFirst, plan.xLast, area.right - area.left};
  writeMargins(script, area, plan.layout.page);
  script << "set ylabel ";
  script.quoted(printableText(dataSet.variables[y]));
  script << "\n";

  std::string plot;
  double low = INFINITY;
  double high = -INFINITY;
  for (size_t z = 0; z < dataSet.zones.size(); ++z) {
    const qvsdkbase::Zone& zone = dataSet.zones[z];
    if (zone.points == 0) continue;
    const ValueView xValues(*zone.values[plan.x]);
    const ValueView yValues(*zone.values[y]);
    kept.clear();
    decimateTrace(xValues, yValues, zone.points, columns, kept);
    if (kept.empty()) continue;
    const std::string block = "$p" + std::to_string(panel + 1) + "z" + std::to_string(z + 1);
    script << block << " << EOD\n";
    for (int64_t index : kept) {
      if (index == kGap) {
        script << "\n";
        continue;
      }
      const double yValue = yValues.at(index);
      low = std::min(low, yValue);
      high = std::max(high, yValue);
      script << xValues.at(index) << " " << yValue << "\n";
    }
    script << "EOD\n";
    plot += (plot.empty() ? "plot " : ", ") + block + " using 1:2 " + lineStyle(z);
  }
  // The values' range with a margin of kMargin of it at either end; -1 to 1 for none.
  const AxisRange range = paddedRange(low, high, kMargin, {-1, 1});
  script << "set yrange [" << range.first << ":" << range.last << "]\n";
  // A panel without a trace still shows its frame, axes and titles.
  script << (plot.empty() ? "plot NaN notitle" : plot) << "\n";
  for (size_t z = 0; z < dataSet.zones.size(); ++z) {
    const std::string block = "$p" + std::to_string(panel + 1) + "z" + std::to_string(z + 1);
    if (plot.find(block + " ") != std::string::npos) script << "undefine " << block << "\n";
  }
  return script.flush();
}

}  // namespace

bool writeGnuplotScript(const qvsdkbase::DataSet& dataSet, const PlotPlan& plan,
                        const ScriptSink& sink) {
  ScriptText script(sink);
  writeHeader(script, plan);
  writeLegend(script, plan, dataSet);
  writePanelStyle(script, plan, dataSet);
  std::vector<int64_t> kept;
  for (size_t panel = 0; panel < plan.y.size(); ++panel) {
    if (!writePanel(script, plan, dataSet, panel, kept)) return false;
  }
  script << "unset multiplot\nset output\nexit\n";
  return script.flush();
}

}  // namespace cvl::minihost
