// ProgramPipe on POSIX systems: posix_spawnp with a pipe to the child's standard input. SIGPIPE
// is ignored while a program runs, so that a program which ends early makes write() fail with
// EPIPE instead of ending this process; the child itself starts with the default action.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "tools/minihost/platform/program_pipe.h"

extern char** environ;

namespace cvl::minihost {

namespace {

// SIGPIPE ignored while at least one program runs, the former action restored after the last.
int programsRunning = 0;
struct sigaction formerPipeAction {};

void ignoreBrokenPipes() {
  if (programsRunning++ > 0) return;
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, &formerPipeAction);
}

void restoreBrokenPipes() {
  if (--programsRunning == 0) sigaction(SIGPIPE, &formerPipeAction, nullptr);
}

// File actions and attributes of posix_spawn, destroyed with their scope.
struct SpawnSetup {
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
};

}  // namespace

ProgramPipe::ProgramPipe(long process, int input) : process_(process), input_(input) {}

ProgramPipe::ProgramPipe(ProgramPipe&& other) noexcept
    : process_(std::exchange(other.process_, -1)), input_(std::exchange(other.input_, -1)) {}

ProgramPipe& ProgramPipe::operator=(ProgramPipe&& other) noexcept {
  if (this != &other) {
    finish();
    process_ = std::exchange(other.process_, -1);
    input_ = std::exchange(other.input_, -1);
  }
  return *this;
}

ProgramPipe::~ProgramPipe() {
  finish();
}

std::optional<ProgramPipe> ProgramPipe::start(const std::string& program,
                                              const std::vector<std::string>& arguments,
                                              std::string& error) {
  int ends[2];
  if (pipe(ends) != 0) {
    error = "cannot run " + program + ": " + std::strerror(errno);
    return std::nullopt;
  }
  fcntl(ends[1], F_SETFD, FD_CLOEXEC);
  SpawnSetup setup;
  posix_spawn_file_actions_adddup2(&setup.actions, ends[0], STDIN_FILENO);
  posix_spawn_file_actions_addclose(&setup.actions, ends[0]);
  posix_spawn_file_actions_adddup2(&setup.actions, STDERR_FILENO, STDOUT_FILENO);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
  posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t process = 0;
  const int started = posix_spawnp(&process, program.c_str(), &setup.actions, &setup.attributes,
                                   argv.data(), environ);
  close(ends[0]);
  if (started != 0) {
    close(ends[1]);
    error = "cannot run " + program + ": " + std::strerror(started);
    return std::nullopt;
  }
  ignoreBrokenPipes();
  return ProgramPipe(process, ends[1]);
}

bool ProgramPipe::write(std::string_view data) {
  while (!data.empty() && input_ >= 0) {
    const ssize_t written = ::write(input_, data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data.remove_prefix(static_cast<size_t>(written));
  }
  return data.empty();
}

int ProgramPipe::finish() {
  if (process_ < 0) return -1;
  if (input_ >= 0) close(std::exchange(input_, -1));
  int status = 0;
  pid_t waited = 0;
  do {
    waited = waitpid(static_cast<pid_t>(process_), &status, 0);
  } while (waited < 0 && errno == EINTR);
  process_ = -1;
  restoreBrokenPipes();
  if (waited < 0 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace cvl::minihost
