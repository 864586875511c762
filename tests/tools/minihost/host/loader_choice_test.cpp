// The file-name patterns of a loader's "FileNameExtensions", matched as the host's file dialog
// matches them: '*' and '?', ASCII case folded, base names of POSIX and Windows names; and the
// loader that minihost picks with them.
#include "tools/minihost/host/loader_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A list of patterns against a file's base name; '*' and '?', ASCII case folded.
TEST(MatchesExtensions, PatternListsAgainstBaseNames) {
  const struct {
    const char* patterns;
    const char* fileName;
    bool matches;
  } cases[] = {
      {"*.out", "thermo.out", true},
      {"*.out", "THERMO.OUT", true},
      {"*.OUT", "thermo.out", true},
      {"*.out", ".out", true},
      {"*.out", "thermo.out.bak", false},
      {"*.out", "thermo.outx", false},
      {"*.out", "thermoout", false},
      {"*.out", "", false},
      {"*", "", true},
      {"?", "", false},
      {"?.out", "a.out", true},
      {"?.out", "ab.out", false},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYbZ", false},
      {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},  // backtracking stays linear-ish
      {"**.out", "x.out", true},
      {"[ab].out", "a.out", false},  // no character classes: '[' is an ordinary character
      {"[ab].out", "[ab].out", true},
      {"\xc3\xa9*", "\xc3\xa9t\xc3\xa9.out", true},
      {"\xc3\xa9*", "\xc3\x89t\xc3\xa9.out", false},  // no folding beyond ASCII
      {"*.out", "/runs/case 1/thermo.out", true},
      {"*.out", "C:\\runs\\case 1\\thermo.OUT", true},
      {"*.out", "C:/runs\\case.out\\thermo.dat", false},  // the folder's extension does not count
      {"a*", "C:\\a\\b.out", false},
      {"*.dat; *.out", "thermo.out", true},
      {"*.dat,*.out", "thermo.out", true},
      {";, ", "thermo.out", false},
      {"", "thermo.out", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cvl::minihost::matchesExtensions(c.patterns, c.fileName), c.matches)
        << "patterns \"" << c.patterns << "\", file \"" << c.fileName << "\"";
  }
}

TEST(ChooseLoader, TheOnlyOneOrTheFirstThatTakesEveryFile) {
  std::vector<qvsdkbase::Loader> loaders(2);
  loaders[0].fileNameExtensions = "*.dat";
  loaders[1].fileNameExtensions = "*.out";
  std::string error;
  EXPECT_EQ(cvl::minihost::chooseLoader(loaders, {"a.out", "B.OUT"}, error), 1u);
  EXPECT_EQ(cvl::minihost::chooseLoader(loaders, {"a.dat"}, error), 0u);
  EXPECT_EQ(cvl::minihost::chooseLoader(loaders, {"a.out", "b.dat"}, error), std::nullopt);
  EXPECT_EQ(error, "no registered loader takes all of the given files");
  EXPECT_EQ(cvl::minihost::chooseLoader({loaders[0]}, {"a.out"}, error), 0u);
  EXPECT_EQ(cvl::minihost::chooseLoader({}, {"a.out"}, error), std::nullopt);
  EXPECT_EQ(error, "the add-on registered no loader");
}

}  // namespace
