#include "app/command_actions.h"

#include "app/dispatch.h"
#include "app/requesters.h"
#include "devices/pinout.h"

void RunOpenCommand() {
  CurrentDesignPath = AskFileName(0, FilterJedec, "");
  // The fuse-file load follows here once the program reads JEDEC files.
}

void RunSaveCommand() {
  // The JEDEC writer asks for its file name itself; it is not part of the program yet.
}

void RunCompileCommand() {
  const std::string design = AskFileName(0, FilterAbel, "");
  (void)design;  // The compile step follows here once the program has it.
}

void RunInfoCommand() {
  ShowChipDiagram();
  ShowPinout();
}
