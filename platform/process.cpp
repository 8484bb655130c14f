// Which process starter the program uses: the system's, or a test's.
#include "platform/process.h"

namespace {
ProcessStarter* installedStarter = nullptr;
}  // namespace

ProcessStarter& TheProcessStarter() {
  return installedStarter != nullptr ? *installedStarter : SystemProcessStarter();
}

void InstallProcessStarter(ProcessStarter* starter) {
  installedStarter = starter;
}

int StartProgramAndWait(const std::string& program, const std::string& workingDirectory) {
  return TheProcessStarter().StartAndWait(program, workingDirectory);
}
