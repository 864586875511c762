// ProgramPipe: another program run with its standard input fed from this process. Its standard
// output goes to this process's standard error, so nothing it prints mixes into minihost's own
// output; its standard error is this process's. One implementation per platform.
#ifndef CVL_TOOLS_MINIHOST_PLATFORM_PROGRAM_PIPE_H
#define CVL_TOOLS_MINIHOST_PLATFORM_PROGRAM_PIPE_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvl::minihost {

class ProgramPipe {
 public:
  // Starts program, found on the search path, with arguments (program's name not included).
  // Nothing, with "cannot run <program>: <reason>" in error, when it cannot be started.
  static std::optional<ProgramPipe> start(const std::string& program,
                                          const std::vector<std::string>& arguments,
                                          std::string& error);

  ProgramPipe(ProgramPipe&& other) noexcept;
  ProgramPipe& operator=(ProgramPipe&& other) noexcept;
  ProgramPipe(const ProgramPipe&) = delete;
  ProgramPipe& operator=(const ProgramPipe&) = delete;
  ~ProgramPipe();  // as finish(), when not called

  // Writes all of data to the program's standard input. False when it no longer reads (it has
  // ended); a program that has ended never stops this process.
  bool write(std::string_view data);

  // Closes the program's standard input and waits for it to end. Its exit status; -1 when it
  // did not exit by itself (killed by a signal) or was not running.
  int finish();

 private:
  ProgramPipe(long process, int input);

  long process_ = -1;  // process id; -1 once finished
  int input_ = -1;     // our end of the pipe to its standard input
};

}  // namespace cvl::minihost

#endif  // CVL_TOOLS_MINIHOST_PLATFORM_PROGRAM_PIPE_H
