// The process start on POSIX systems: fork, then chdir and exec in the child
// only, so the parent's current directory never moves. "Hidden" means the
// child's standard streams go to /dev/null: nothing it prints reaches ours.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/process.h"

namespace {

// Reports a failed chdir or exec to the parent through the pipe, then ends.
[[noreturn]] void FailInChild(int reportFd) {
  const int error = errno;
  ssize_t ignored = write(reportFd, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

void HideStandardStreams() {
  const int nothing = open("/dev/null", O_RDWR);
  if (nothing < 0) return;
  dup2(nothing, STDIN_FILENO);
  dup2(nothing, STDOUT_FILENO);
  dup2(nothing, STDERR_FILENO);
  if (nothing > STDERR_FILENO) close(nothing);
}

// The child's exit status; a signal that ended it counts as 128 plus its
// number, as shells report it. An end that cannot be learned (the system
// reaped the child itself) counts as a failure, never as success.
int WaitForEnd(pid_t child) {
  int status = 0;
  pid_t waited;
  while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
  }
  if (waited < 0) return 255;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 255;
}

class PosixProcessStarter final : public ProcessStarter {
 public:
  int StartAndWait(const std::string& program, const std::string& workingDirectory) override {
    // Everything the child needs is made before the fork: after it, the child
    // may only call async-signal-safe functions.
    char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return ProcessNotStarted;
    const pid_t child = fork();
    if (child < 0) {
      close(report[0]);
      close(report[1]);
      return ProcessNotStarted;
    }
    if (child == 0) {
      close(report[0]);
      if (chdir(workingDirectory.c_str()) != 0) FailInChild(report[1]);
      HideStandardStreams();
      execv(program.c_str(), argv);
      FailInChild(report[1]);
    }
    close(report[1]);
    // The pipe closes on a successful exec; an error number arrives otherwise.
    int childError = 0;
    ssize_t got;
    while ((got = read(report[0], &childError, sizeof childError)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    const int status = WaitForEnd(child);
    return got == 0 ? status : ProcessNotStarted;
  }
};

}  // namespace

ProcessStarter& SystemProcessStarter() {
  static PosixProcessStarter starter;
  return starter;
}

std::string ProgramDirectory() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.parent_path().string();
}
