// A zone longer than a worksheet continues on further sheets; loaded here in process through
// the add-on, written with a small sheet, and read back with openpyxl.
#include <gmock/gmock.h>

#include "minihost/xlsx_writer.h"
#include "qvsdkbase/host_control.h"
#include "tests/minihost/output_test_support.h"
#include "tests/support/temp_dir.h"

extern "C" void InitQorAddOn113(void);

namespace {

using nlohmann::json;

// The dataset that loading file through the add-on's selection callback leaves in the host.
const qvsdkbase::DataSet* load(const std::string& file) {
  qvsdkbase::reset();
  InitQorAddOn113();
  QvStringList picked = qvsdkbase::makeStringList({file});
  qvsdkbase::loaders().front().selectedCallback(picked);
  qvsdkbase::freeStringList(picked);
  return qvsdkbase::dataSet();
}

TEST(WorkbookSheets, ALongZoneContinues) {
  cvltest::TempDir dir;
  std::string text =
      "# CONVERGE test\n# column 1 2 3\n#  Crank  N  N\n#  (DEG)  (number)  (number)\n"
      "#  (none)  short  long_zone\n";
  for (int i = 0; i < 10; ++i)
    text +=
        "  " + std::to_string(i) + ".5  " + std::to_string(i) + "  " + std::to_string(-i) + "\n";
  const qvsdkbase::DataSet* dataSet = load(dir.write("z.out", text));
  ASSERT_NE(dataSet, nullptr);
  const struct {
    int64_t rowsPerSheet;
    std::vector<std::string> sheets;
    std::vector<size_t> rows;  // data rows on each sheet
    size_t notes;
  } cases[] = {
      {11, {"z short", "z long_zone"}, {10, 10}, 0},
      {4,
       {"z short", "z short (2)", "z short (3)", "z short (4)", "z long_zone", "z long_zone (2)",
        "z long_zone (3)", "z long_zone (4)"},
       {3, 3, 3, 1, 3, 3, 3, 1},
       2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("rows per sheet " + std::to_string(c.rowsPerSheet));
    minihost::WorkbookSummary summary;
    std::string error;
    ASSERT_TRUE(
        minihost::writeWorkbook(*dataSet, dir.path() / "w.xlsx", summary, error, c.rowsPerSheet))
        << error;
    EXPECT_EQ(summary.sheets, c.sheets.size());
    ASSERT_EQ(summary.notes.size(), c.notes);
    if (c.notes > 0) {
      EXPECT_EQ(summary.notes[1],
                "zone 2 \"z long_zone\": 10 points, more than a sheet holds, on sheets "
                "\"z long_zone\" to \"z long_zone (4)\"");
    }
    const json workbook = cvltest::readWorkbook(dir.path() / "w.xlsx", true);
    ASSERT_EQ(workbook["sheets"].size(), c.sheets.size());
    int point = 0;
    for (size_t s = 0; s < c.sheets.size(); ++s) {
      const json& sheet = workbook["sheets"][s];
      EXPECT_EQ(sheet["name"], c.sheets[s]);
      EXPECT_EQ(sheet["rows"][0], json({"Crank (DEG)", "N"}));
      EXPECT_EQ(sheet["frozen"], "A2");
      ASSERT_EQ(sheet["rows"].size(), c.rows[s] + 1) << sheet["name"];
      if (sheet["name"] == c.sheets.front() || sheet["name"] == "z long_zone") point = 0;
      const int sign = c.sheets[s].find("long") != std::string::npos ? -1 : 1;
      for (size_t r = 1; r < sheet["rows"].size(); ++r, ++point) {
        EXPECT_EQ(sheet["rows"][r], json({point + 0.5, sign * point}))
            << sheet["name"] << " row " << r;
      }
    }
  }
}

}  // namespace
