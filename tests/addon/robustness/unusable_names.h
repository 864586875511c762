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

// What loading bad alone and then after good shows, one line per load: its messages, each
// followed by "; ", the number of zones left, and each rule the load broke.
std::string loadsOf(const std::string& good, const std::string& bad);

}  // namespace cvl::test

#endif  // CVL_TESTS_ADDON_ROBUSTNESS_UNUSABLE_NAMES_H
