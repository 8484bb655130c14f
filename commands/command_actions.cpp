// Open, Save, Compile and Info: the operations each command runs, and the
// result each learns from their return values and from the state they leave.
#include "commands/command_actions.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "abel/compile_design.h"
#include "base/design_path.h"
#include "base/fuse_map.h"
#include "base/message_log.h"
#include "base/paths.h"
#include "base/requesters.h"
#include "commands/design_state.h"
#include "commands/device_commands.h"
#include "commands/dispatch.h"
#include "commands/logic_commands.h"
#include "devices/gal_device.h"
#include "devices/pinout.h"
#include "fuses/fuse_file_load.h"
#include "fuses/jedec_writer.h"
#include "platform/window.h"

bool FuseMapShown() {
  return TheWindow().LineCount(Pane::FuseMap) > 0;
}

namespace {

CommandResult KeepUnsavedChanges() {
  return CommandCancelled(CurrentUnsavedChange() == UnsavedChange::ChipRead
                              ? "the fuse map read from the chip was kept"
                              : "the fuse map with unsaved changes was kept");
}

}  // namespace

CommandResult RunOpenCommand() {
  if (!MayDiscardUnsavedChanges()) return KeepUnsavedChanges();
  CurrentDesignPath = AskFileName(0, FilterJedec, "");
  if (CurrentDesignPath.empty()) return CommandCancelled("no file chosen");
  return RunOpenFileCommand(CurrentDesignPath);
}

CommandResult RunOpenFileCommand(const std::string& path) {
  CurrentDesignPath = path;
  SetUnsavedChange(UnsavedChange::None);
  OpenFuseFile(path);  // clears the fuse map shown before, read or not; asks about a PAL map
  if (!FuseMapShown()) {
    ShowLoadedFile("");
    return CommandFailed("no fuse map loaded from " + path);
  }
  ShowLoadedFile(path);
  return CommandDone();
}

CommandResult RunSaveCommand() {
  if (CheckFuseMapToSave() == 0) return CommandFailed("no fuse map loaded");
  const std::string path = AskFileName(1, FilterJedec, "");
  if (path.empty()) return CommandCancelled("save cancelled");
  RepeatDamagedFileFinding(true);
  if (WriteJedecFileTo(path) != 1) return CommandFailed("can't write " + path);
  SetUnsavedChange(UnsavedChange::None);
  ShowLoadedFile(path);
  return CommandDone();
}

CommandResult RunCompileCommand() {
  if (!MayDiscardUnsavedChanges()) return KeepUnsavedChanges();
  const std::string design = AskFileName(0, FilterAbel, "");
  if (design.empty()) return CommandCancelled("no file chosen");
  return RunCompileFileCommand(design);
}

CommandResult RunCompileFileCommand(const std::string& design) {
  const bool mapBefore = FuseMapShown();
  if (CompileAbelDesign(design) != 1) {
    // The map on show was not replaced: say so, lest it be taken for the new one.
    if (mapBefore) {
      MessageLog(CurrentDesignPath.empty()
                     ? std::string("The fuse map loaded before is still loaded")
                     : "The fuse map loaded before is still loaded: " + CurrentDesignPath,
                 LevelPlain);
    }
    return CommandFailed("no fuse file made from " + design);
  }
  CurrentDesignPath = design;
  LoadFuseFile(OutputBaseOf(design) + ".jed");
  SetUnsavedChange(UnsavedChange::None);
  ShowChipDiagram();
  if (!FuseMapShown()) {
    ShowLoadedFile("");
    for (const std::string& line : LastCompileCopyLines()) MessageLog(line, LevelPlain);
    return CommandFailed("the fuse file made from " + design + " did not load");
  }
  ShowLoadedFile(design);
  // Quelvox has no column write for the GAL6001 family: such a map goes to another programmer.
  const int code = GalDevice.DeviceCode;
  if (code == 64 || code == 65 || code == 68) {
    MessageLog(
        "The " + GalDevice.Name +
            " map is for another programmer: Quelvox opens and saves it but does not program this device",
        LevelPlain);
  }
  // The load cleared the listing: what the compiler said of the fit, its
  // warnings and the test vectors are shown again below the map's lines.
  const CompileSummary& summary = LastCompileSummary();
  for (const std::string& line : summary.Shown) MessageLog(line, LevelPlain);
  for (const std::string& line : LastCompileCopyLines()) MessageLog(line, LevelPlain);
  if (LastCompileVerdict() == CompileVectorsFailed) {
    const std::string simulation = FilePart(OutputBaseOf(design)) + ".sim";
    const std::string count = summary.Vectors > 0 ? std::to_string(summary.Failed) + " of " +
                                                        std::to_string(summary.Vectors) + " test vectors"
                                                  : "test vectors";
    MessageLog("ERROR: " + count + " failed (see " + simulation + ")", LevelPlain);
    return CommandFailed("test vectors failed");
  }
  return CommandDone();
}

CommandResult RunReadCommand() {
  if (!MayDiscardUnsavedChanges()) return KeepUnsavedChanges();
  CurrentDesignPath.clear();
  const CommandResult result = RunDeviceRead();
  if (result.IsDone()) {
    LoadedMapFindings = {};  // the map is the chip's now, whatever file was loaded before
    SetUnsavedChange(UnsavedChange::ChipRead);
    ShowLoadedFile("");
  }
  return result;
}

CommandResult OpenNamedFile(const std::string& file) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(file), error);
  const std::string path = error ? file : full.string();
  std::string extension = ExtensionOf(path);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return RunAsCommand(
      [&] { return extension == "abl" ? RunCompileFileCommand(path) : RunOpenFileCommand(path); });
}

CommandResult RunInfoCommand() {
  ShowChipDiagram();
  ShowPinout();
  ShowCellKinds();
  return CommandDone();
}
