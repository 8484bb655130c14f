// Open, Save, Compile and Info: the operations each command runs, and the
// result each learns from their return values and from the state they leave.
#include "commands/command_actions.h"

#include "abel/compile_design.h"
#include "base/design_path.h"
#include "base/requesters.h"
#include "commands/logic_commands.h"
#include "devices/pinout.h"
#include "fuses/fuse_file_load.h"
#include "fuses/jedec_writer.h"
#include "platform/window.h"

bool FuseMapShown() {
  return TheWindow().LineCount(Pane::FuseMap) > 0;
}

CommandResult RunOpenCommand() {
  CurrentDesignPath = AskFileName(0, FilterJedec, "");
  if (CurrentDesignPath.empty()) return CommandCancelled("no file chosen");
  OpenFuseFile(CurrentDesignPath);
  return FuseMapShown() ? CommandDone() : CommandFailed("no fuse map loaded from " + CurrentDesignPath);
}

CommandResult RunSaveCommand() {
  const std::string path = AskFileName(1, FilterJedec, "");
  if (path.empty()) return CommandCancelled("save cancelled");
  return WriteJedecFileTo(path) == 1 ? CommandDone() : CommandFailed("can't write " + path);
}

CommandResult RunCompileCommand() {
  const std::string design = AskFileName(0, FilterAbel, "");
  if (design.empty()) return CommandCancelled("no file chosen");
  if (CompileAbelDesign(design) != 1) return CommandFailed("no fuse file made from " + design);
  CurrentDesignPath = design;
  LoadFuseFile(OutputBaseOf(design) + ".jed");
  ShowChipDiagram();
  return FuseMapShown() ? CommandDone()
                        : CommandFailed("the fuse file made from " + design + " did not load");
}

CommandResult RunInfoCommand() {
  ShowChipDiagram();
  ShowPinout();
  return CommandDone();
}
