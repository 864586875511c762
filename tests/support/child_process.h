// Runs a program as a child process, as a user starts it from a shell, and waits for it. The
// only place where the tests start processes: child_process_posix.cpp and
// child_process_windows.cpp implement it, and one of them is built.
#ifndef CVL_TESTS_SUPPORT_CHILD_PROCESS_H
#define CVL_TESTS_SUPPORT_CHILD_PROCESS_H

#include <string>
#include <vector>

namespace cvl::test {

// Runs program with arguments (each passed as it is, with no shell in between) in the folder
// workingDir, its standard output going to the file outFile and its standard error to errFile
// (both made anew), and waits for it to end. Its exit status, or -1 when it could not be started
// or did not exit normally. Names are narrow strings as the system takes them.
int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingDir, const std::string& outFile,
               const std::string& errFile);

}  // namespace cvl::test

#endif  // CVL_TESTS_SUPPORT_CHILD_PROCESS_H
