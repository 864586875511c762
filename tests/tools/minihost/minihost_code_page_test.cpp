// minihost.exe and its texts on Windows. Its manifest makes UTF-8 its ANSI code page: a name
// that a Windows-1252 process passes arrives as UTF-8 and opens, and the output is the Linux
// build's, 8-bit file texts included. Where the manifest is not honoured, texts are converted
// from the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
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
  const std::string folder = dir.path().string();
  const std::string name = "caf\xe9.out";  // "café.out" in Windows-1252
  std::ofstream(folder + "\\" + name, std::ios::binary) << "# CONVERGE\n# column 1 2\n#  Dr\xfc"
                                                           "ck  Time\n#  (bar)  (s)\n#\n  1  2\n";
  const cvl::test::MinihostRun run = cvl::test::runMinihost(dir.path(), {"--json", name});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find('\r'), std::string::npos) << run.out;
  const nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["instructions"][4], "caf\xc3\xa9.out");
  EXPECT_EQ(report["dataset"]["zones"][0]["name"], "caf\xc3\xa9");
  // The file's own bytes are not UTF-8: replaced, as the Linux build replaces them.
  EXPECT_EQ(report["dataset"]["variables"][0],
            "Dr\xef\xbf\xbd"
            "ck (bar)");
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
      {"Dr\xfc"
       "ck (\xb0"
       "C)",
       "Dr\xc3\xbc"
       "ck (\xc2\xb0"
       "C)"},
      {"\x80", "\xe2\x82\xac"},  // the euro sign, where Windows-1252 differs from Latin-1
  };
  for (const auto& c : cases) EXPECT_EQ(cvl::minihost::hostTextToUtf8(c.text), c.utf8) << c.text;
}

}  // namespace
