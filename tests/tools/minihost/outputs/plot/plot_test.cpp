// --plot end to end: minihost run as a process; the pictures decoded and looked at.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "tests/support/temp_dir.h"
#include "tests/tools/minihost/minihost_run.h"
#include "tools/minihost/outputs/plot/plot_layout.h"

namespace {

namespace fs = std::filesystem;

// A decoded PNG as RGB, row by row from the top; empty when it cannot be read.
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;

  explicit Picture(const fs::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return;
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
  }
  // Whether (x, y) is on the first zone's line: clearly blue (#1f77b4 and its antialiased edges).
  bool trace(int x, int y) const {
    const unsigned char* p =
        &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
    return p[2] > p[0] + 60 && p[2] > p[1] + 25;
  }
};

// A trace of rows points: a slow wave of amplitude 1, with a spike of 5 at row spike alone.
std::string spikeFile(int rows, int spike) {
  std::string text = "# CONVERGE test\n# column 1 2\n#  Crank  Pressure\n#  (DEG)  (MPa)\n#\n";
  char line[64];
  for (int i = 0; i < rows; ++i) {
    const double y = i == spike ? 5.0 : std::sin(6.0 * M_PI * i / rows);
    text.append(
        line, static_cast<size_t>(std::snprintf(line, sizeof line, "  %.6f  %.9e\n", 0.5 * i, y)));
  }
  return text;
}

TEST(MinihostPlot, ThePeakIsDrawnWhereTheMaximumIs) {
  const struct {
    int rows, spike;
    const char* size;
  } cases[] = {
      {60, 22, "640x400"},
      {400000, 148321, "800x500"},  // thinned to a few points per pixel column
      {400000, 4001, "800x500"},    // a few pixels from the left edge
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.rows) + " rows, spike at row " + std::to_string(c.spike));
    cvl::test::TempDir dir;
    dir.write("spike.out", spikeFile(c.rows, c.spike));
    const cvl::test::MinihostRun run =
        cvl::test::runMinihost(dir.path(), {"--plot", "p.png", "--size", c.size, "spike.out"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out,
                testing::HasSubstr(std::string("Plot: p.png (") + c.size + " pixels, 1 panel)"));
    const Picture picture(dir.path() / "p.png");
    ASSERT_EQ(std::to_string(picture.width) + "x" + std::to_string(picture.height), c.size);
    // The plot area inside the frame: the layout of one panel and a legend of one zone, "spike".
    std::string error;
    const auto layout = cvl::minihost::layoutPlot(
        1, 1, 5, cvl::minihost::PixelSize{picture.width, picture.height}, error);
    ASSERT_TRUE(layout) << error;
    const cvl::minihost::PixelBox frame = layout->plotAreas[0];
    int traced = 0, topX = -1, topY = picture.height;
    for (int y = frame.top; y < frame.bottom; ++y) {
      for (int x = frame.left + 1; x <= frame.right; ++x) {
        if (!picture.trace(x, y)) continue;
        ++traced;
        if (y < topY) topX = x, topY = y;
      }
    }
    EXPECT_GT(traced, frame.right - frame.left) << "the line does not cross the plot";
    const double where = static_cast<double>(c.spike) / (c.rows - 1);
    EXPECT_NEAR(topX, frame.left + where * (frame.right - frame.left), 3.0);
    EXPECT_LT(topY, frame.top + (frame.bottom - frame.top) / 10) << "the spike is cut short";
  }
}

TEST(MinihostPlot, SvgVariablesAndRefusals) {
  cvl::test::TempDir dir;
  fs::copy_file(fs::path(CVL_PROJECT_DIR) / "examples/engine_cycle.out", dir.path() / "engine.out");
  const struct {
    int status;
    const char* message;  // on standard error, or for status 0 on standard output
    std::vector<std::string> args;
    const char* path = nullptr;  // PATH while minihost runs, when set
  } cases[] = {
      {0, "Plot: p.svg (640x480 pixels, 9 panels)", {"--plot", "p.svg", "--size", "640x480"}},
      {0,
       "Plot: p.svg (1000x682 pixels, 2 panels)",
       {"--plot", "p.svg", "--x", "Volume", "--y", "Pressure", "--y", "Mean_Temp (K)"}},
      {2,
       "minihost: no variable \"Nope\"; the variables are \"Crank (DEG)\"",
       {"--plot", "p.svg", "--y", "Nope"}},
      {2, "too small for 9 panels", {"--plot", "p.svg", "--x", "Crank", "--size", "100x100"}},
      {2, "minihost: cannot run gnuplot: No such file or directory", {"--plot", "p.svg"}, "/none"},
      {2, "minihost: --plot: the plot's file name must end in .png or .svg", {"--plot", "p.pdf"}},
      {2, "minihost: --y requires --plot", {"--y", "Pressure"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    fs::remove(dir.path() / "p.svg");
    std::vector<std::string> args = c.args;
    args.push_back("engine.out");
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    if (c.path != nullptr) ::setenv("PATH", c.path, 1);
    const cvl::test::MinihostRun run = cvl::test::runMinihost(dir.path(), args);
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_THAT(c.status == 0 ? run.out : run.err, testing::HasSubstr(c.message));
    // Only the picture asked for is left, and only when it was drawn.
    EXPECT_EQ(cvl::test::filesUnder(dir.path()).size(), c.status == 0 ? 2u : 1u);
    if (c.status != 0) continue;
    const std::string svg = cvl::test::readWholeFile(dir.path() / "p.svg");
    EXPECT_THAT(svg, testing::ContainsRegex("<svg[^>]* width=\"[0-9]+\" height=\"[0-9]+\""));
    EXPECT_THAT(svg, testing::HasSubstr("<path"));
  }
}

}  // namespace
