// minihost.exe and its texts on Windows. Its manifest makes UTF-8 its ANSI code page: a name
// that a Windows-1252 process passes arrives as UTF-8 and opens, and the output is the Linux
// build's, 8-bit file texts included. Where the manifest is not honoured, texts are converted
// from the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "tests/support/temp_dir.h"
#include "tests/tools/minihost/minihost_run.h"
#include "tools/minihost/platform/console_text.h"

namespace {

// The tests' own process has no manifest: its code page is the system's, 1252 under Wine in an
// English or C locale.
void skipUnlessWindows1252() {
  if (::GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << ::GetACP() << ", not 1252";
}

TEST(MinihostCodePage, NamesFromAWindows1252ProcessArriveAsUtf8) {
  skipUnlessWindows1252();
  const cvl::test::TempDir dir;
  const std::string name = "caf\xe9.out";                         // "café.out" in Windows-1252
  cvl::test::copyData(dir.path(), {{name, "windows_1252.out"}});  // "Drück" in Windows-1252
  const cvl::test::MinihostRun run = cvl::test::runMinihost(dir.path(), {"--json", name});
  ASSERT_EQ(run.status, 0) << run.err;
  // The name as UTF-8; the file's own bytes, which are not UTF-8, replaced as the Linux build
  // replaces them; a line end of LF alone.
  const nlohmann::ordered_json report = nlohmann::ordered_json::parse(R"j({"messages": [],
      "instructions": ["STANDARDSYNTAX", "1.0", "FILELIST", "1", "caf\u00e9.out"],
      "dataset": {"title": "CONVERGE Data", "variables": ["Dr\ufffdck (bar)", "Time (s)"],
        "zones": [{"name": "caf\u00e9", "points": 1, "types": [2, 2], "shareZones": [0, 0],
          "values": [[1.0], [2.0]]}]}})j");
  EXPECT_EQ(run.out, report.dump() + "\n");
}

TEST(HostTextToUtf8, ConvertsFromTheAnsiCodePage) {
  skipUnlessWindows1252();
  const struct {
    std::string text;
    std::string utf8;
  } cases[] = {
      {"", ""},
      {"Time (s)", "Time (s)"},
      {"caf\xe9", "caf\xc3\xa9"},
      {"Dr\374ck (\260C)", "Dr\303\274ck (\302\260C)"},  // octal: a hex escape would take the "c"
      {"\x80", "\xe2\x82\xac"},  // the euro sign, where Windows-1252 differs from Latin-1
  };
  for (const auto& c : cases) EXPECT_EQ(cvl::minihost::hostTextToUtf8(c.text), c.utf8) << c.text;
}

}  // namespace
