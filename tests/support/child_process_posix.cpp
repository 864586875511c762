// Child processes on POSIX systems: fork, then in the child chdir, the output files on 1 and 2,
// and execv; waitpid in the parent.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/child_process.h"

namespace cvl::test {

int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingDir, const std::string& outFile,
               const std::string& errFile) {
  std::vector<char*> argv;
  std::string name = program;
  argv.push_back(name.data());
  std::vector<std::string> copies = arguments;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    // Only async-signal-safe calls between fork and exec.
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || ::chdir(workingDir.c_str()) != 0 || ::dup2(out, 1) < 0 ||
        ::dup2(err, 2) < 0) {
      _exit(127);
    }
    ::execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace cvl::test
