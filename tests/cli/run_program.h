// Runs a built program with arguments and collects its output and exit
// status; optionally under a file-size limit, so its writes fail inside the
// kernel as on a full disk, and in another current folder.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

struct ProgramRun {
  std::string Out;
  std::string Err;
  int Status = -1;  // exit status, or -1 when the program did not exit normally
};

inline std::string DrainFd(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(got));
  close(fd);
  return text;
}

inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                             rlim_t fileSizeLimit = RLIM_INFINITY, const std::string& folder = "") {
  int out[2], err[2];
  ProgramRun run;
  if (pipe(out) != 0 || pipe(err) != 0) return run;
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]), close(out[1]), close(err[0]), close(err[1]);
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
    if (fileSizeLimit != RLIM_INFINITY) {
      signal(SIGXFSZ, SIG_IGN);  // kept across exec: writes fail with EFBIG instead
      rlimit limit{};
      limit.rlim_cur = limit.rlim_max = fileSizeLimit;
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  run.Out = DrainFd(out[0]);  // outputs are small: a pipe never fills while the other is read
  run.Err = DrainFd(err[0]);
  int status = 0;
  waitpid(child, &status, 0);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}
