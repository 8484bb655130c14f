// A process starter for tests: it records what would be started, where, and
// from which current directory, and runs the test's stand-in in its place.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/process.h"

struct ProcessStart {
  std::string Program;
  std::string WorkingDirectory;
  std::string CurrentDirectory;  // of this process at the start
};

class ScriptedProcessStarter final : public ProcessStarter {
 public:
  std::vector<ProcessStart> Starts;
  bool Startable = true;                         // false: every start fails
  std::function<void(const ProcessStart&)> Run;  // what the started program does
  int ExitStatus = 0;                            // what it ends with

  int StartAndWait(const std::string& program, const std::string& workingDirectory) override {
    Starts.push_back({program, workingDirectory, std::filesystem::current_path().string()});
    if (!Startable) return ProcessNotStarted;
    if (Run) Run(Starts.back());
    return ExitStatus;
  }
};

// Installs a scripted starter for the lifetime of the object.
class ScriptedProcessScope {
 public:
  ScriptedProcessScope() { InstallProcessStarter(&starter_); }
  ~ScriptedProcessScope() { InstallProcessStarter(nullptr); }
  ScriptedProcessStarter& starter() { return starter_; }

 private:
  ScriptedProcessStarter starter_;
};
