// Names that a user may pick but that are no readable regular file, made for one test in its
// folder: the system-specific part of the unusable-file tests. unusable_names_posix.cpp and
// unusable_names_windows.cpp implement it, and one of them is built.
#ifndef CVL_TESTS_ADDON_ROBUSTNESS_UNUSABLE_NAMES_H
#define CVL_TESTS_ADDON_ROBUSTNESS_UNUSABLE_NAMES_H

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace cvl::test {

struct UnusableName {
  const char* what;
  // Makes the thing in dir and returns the name to pick.
  std::string (*make)(const TempDir& dir);
};

// An endless device, a pipe and a file that cannot be read, in this system's forms.
std::vector<UnusableName> unusableNames();

// Ends a wait of an open on name, where the system lets an open wait (a named pipe without a
// writer on POSIX systems).
void releaseWaitingOpen(const std::string& name);

// A file that loads as one zone.
inline constexpr const char* kGoodFile = "# CONVERGE\n# column 1\n# Time\n# (s)\n#\n0.5\n";

// Loads bad alone and then after good, and expects each load refused with the open message
// alone, the good file's zone kept, and the load rules kept.
void expectRefusedAloneAndAfterGood(const std::string& good, const std::string& bad);

}  // namespace cvl::test

#endif  // CVL_TESTS_ADDON_ROBUSTNESS_UNUSABLE_NAMES_H
