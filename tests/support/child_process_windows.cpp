// Child processes on Windows: CreateProcessA with a command line quoted as the C runtime splits
// it again, inheritable handles of the output files as standard output and error, and a wait.
#include <windows.h>

#include "tests/support/child_process.h"

namespace cvl::test {

namespace {

// One argument as the C runtime reads it back: quoted, with backslashes doubled before a quote.
std::string quoted(const std::string& argument) {
  std::string text = "\"";
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    text.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    text += c;
  }
  text.append(2 * backslashes, '\\');
  return text + '"';
}

// A file made anew, open for writing with a handle that a child inherits.
HANDLE createOutput(const std::string& name) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return ::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingDir, const std::string& outFile,
               const std::string& errFile) {
  std::string commandLine = quoted(program);
  for (const std::string& argument : arguments) commandLine += ' ' + quoted(argument);
  const HANDLE out = createOutput(outFile);
  const HANDLE err = createOutput(errFile);
  int status = -1;
  if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION child{};
    if (::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         workingDir.c_str(), &startup, &child)) {
      DWORD exitCode = 0;
      if (::WaitForSingleObject(child.hProcess, INFINITE) == WAIT_OBJECT_0 &&
          ::GetExitCodeProcess(child.hProcess, &exitCode)) {
        status = static_cast<int>(exitCode);
      }
      ::CloseHandle(child.hThread);
      ::CloseHandle(child.hProcess);
    }
  }
  if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) ::CloseHandle(err);
  return status;
}

}  // namespace cvl::test
