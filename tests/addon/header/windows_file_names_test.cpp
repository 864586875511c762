// File names as Windows gives them to the add-on: narrow strings in the process's ANSI code page,
// with drive letters, backslashes, mixed separators and the \\?\ prefix. The file opens, and its
// zones are named after the stem: the last component without its final extension.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/header_reading.h"
#include "tests/support/temp_dir.h"

namespace {

// Two regions: the zones are "<stem> Left" and "<stem> Right".
constexpr const char* kRegions =
    "# CONVERGE\n# column 1 2 3\n#  Crank  Mass  Mass\n#  (DEG)  (kg)  (kg)\n"
    "#  (none)  Left  Right\n  1.5  0.25  0.75\n";

// Writes content to the file of that narrow name, opened by the C runtime through the ANSI API as
// the solver's files appear to the host; folders on the way are made.
void writeNarrow(const std::string& name, const std::string& content) {
  for (size_t slash = name.find_first_of("\\/", 3); slash != std::string::npos;
       slash = name.find_first_of("\\/", slash + 1)) {
    ::CreateDirectoryA(name.substr(0, slash).c_str(), nullptr);
  }
  ASSERT_TRUE(std::ofstream(name, std::ios::binary) << content) << name;
}

TEST(WindowsFileNames, ZonesAreNamedAfterTheStem) {
  const cvl::test::TempDir dir;
  const std::string base = dir.path().string();  // "C:\...\cvltest-<n>"
  std::string forward = base;
  for (char& c : forward) c = c == '\\' ? '/' : c;
  // "é" as this process's code page writes it; the names must come back byte for byte.
  const UINT codePage = ::GetACP();
  const std::string eAcute = codePage == CP_UTF8 ? "\xc3\xa9" : codePage == 1252 ? "\xe9" : "e";
  const struct {
    std::string name;
    std::string stem;
  } cases[] = {
      {base + "\\case 1\\thermo.out", "thermo"},
      {forward + "/case 2\\thermo.out", "thermo"},            // mixed separators
      {forward + "/case 3/thermo.out", "thermo"},             // forward slashes only
      {"\\\\?\\" + base + "\\case 4\\thermo.out", "thermo"},  // the \\?\ prefix
      {base + "\\runs.v2\\thermo.data.out", "thermo.data"},   // only the last extension
      {base + "\\runs.v2\\thermo", "thermo"},                 // none at all
      {base + "\\caf" + eAcute + "\\caf" + eAcute + ".out", "caf" + eAcute},  // code page
  };
  for (const auto& c : cases) {
    writeNarrow(c.name, kRegions);
    const cvl::test::HeaderReading read = cvl::test::readHeader(c.name);
    EXPECT_TRUE(read.accepted) << c.name << ": " << testing::PrintToString(read.messages);
    EXPECT_EQ(read.info.zoneNames, (std::vector<std::string>{c.stem + " Left", c.stem + " Right"}))
        << c.name << " (code page " << codePage << ")";
  }
}

}  // namespace
