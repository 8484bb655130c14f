#include "app/command_actions.h"

#include "abel/compile_design.h"
#include "app/dispatch.h"
#include "app/requesters.h"
#include "devices/pinout.h"
#include "fuses/fuse_file_load.h"
#include "fuses/jedec_writer.h"

void RunOpenCommand() {
  CurrentDesignPath = AskFileName(0, FilterJedec, "");
  LoadFuseFile(CurrentDesignPath);  // nothing happens for a cancelled requester
}

void RunSaveCommand() {
  WriteJedecFile();
}  // asks for its file name itself

void RunCompileCommand() {
  const std::string design = AskFileName(0, FilterAbel, "");
  if (CompileAbelDesign(design) != 1) return;  // the compile step has logged why
  CurrentDesignPath = design;
  LoadFuseFile(OutputBaseOf(design) + ".jed");
  ShowChipDiagram();
}

void RunInfoCommand() {
  ShowChipDiagram();
  ShowPinout();
}
