// Starting another program: in a working directory of its own, with no window
// or console of its own to show, and waiting for its end. The system's own
// process start is in use unless a test installs something else.
#pragma once

#include <string>

// What StartAndWait returns when the program could not be started at all.
constexpr int ProcessNotStarted = -1;

class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  // Starts program with no arguments in workingDirectory and waits, without a
  // time limit, until it has ended. Returns its exit status (0 to 255; 128
  // plus the signal's number when a signal ended it), or ProcessNotStarted
  // when it could not be started. Never changes the current directory of
  // this process.
  virtual int StartAndWait(const std::string& program, const std::string& workingDirectory) = 0;
};

// The starter in use; the system's unless something else was installed.
ProcessStarter& TheProcessStarter();
void InstallProcessStarter(ProcessStarter* starter);  // nullptr restores the system's

// Starts program hidden in workingDirectory and waits for its end; its exit
// status, or ProcessNotStarted.
int StartProgramAndWait(const std::string& program, const std::string& workingDirectory);

// The operating system's process start.
ProcessStarter& SystemProcessStarter();

// The folder of this program's own file, without a separator at its end;
// empty when the system does not tell.
std::string ProgramDirectory();
