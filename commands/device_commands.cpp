// Read, Verify, Erase, Identify and Program as commands: the box check, the
// question before erasing, and the result read from the operation's outcome;
// Copy PES, Set User Signature, the security item and the items not available.
#include "commands/device_commands.h"

#include <optional>

#include "base/message_log.h"
#include "commands/command_ids.h"
#include "commands/design_state.h"
#include "commands/programmer_port.h"
#include "devices/gal_device.h"
#include "fuses/user_signature.h"
#include "platform/window.h"
#include "programmer/device_ops.h"
#include "programmer/link_operation.h"
#include "programmer/pes.h"
#include "programmer/program_device.h"
#include "programmer/requests.h"

namespace {

bool securityFeature = false;

CommandResult NoBox() {
  return CommandFailed("no programmer box found");
}

CommandResult ResultOf(DeviceOutcome wanted, const char* failure) {
  const DeviceOutcome outcome = LastDeviceOutcome();
  if (outcome == wanted) return CommandDone();
  if (outcome == DeviceOutcome::Stopped) return CommandAborted("the programmer box stopped answering");
  if (outcome == DeviceOutcome::NoChip) return CommandFailed("no chip found in the programmer");
  if (outcome == DeviceOutcome::Declined) return CommandCancelled("not confirmed");
  if (outcome == DeviceOutcome::VerifyFailed) return CommandFailed("the chip differs from the fuse map");
  return CommandFailed(failure);
}

}  // namespace

CommandResult RunDeviceRead() {
  ProgrammerLink link;
  if (!link.Connect()) return NoBox();
  ReadOrVerifyDevice(0, 1);
  return link.Finish(ResultOf(DeviceOutcome::Read, "the chip was not read"));
}

CommandResult RunDeviceVerify() {
  ProgrammerLink link;
  if (!link.Connect()) return NoBox();
  ReadOrVerifyDevice(1, 1);
  // After the operation, which starts the log afresh, beside its result.
  RepeatDamagedFileFinding(false);
  return link.Finish(ResultOf(DeviceOutcome::Verified, "the chip differs from the fuse map"));
}

CommandResult RunDeviceErase(int eraseAll) {
  ProgrammerLink link;
  if (!link.Connect()) return NoBox();
  if (eraseAll == 0) {
    // Erasing destroys the chip's only copy of a design: No is the default.
    const BoxAnswer answer = TheWindow().ShowMessageBox("Quelvox", "Erase the GAL in the programmer?",
                                                        BoxButtons::YesNo, BoxIcon::Warning, true);
    if (answer != BoxAnswer::Yes) return CommandCancelled("erase not confirmed");
  }
  EraseDevice(eraseAll);
  return link.Finish(ResultOf(DeviceOutcome::Erased, "the chip was not erased"));
}

CommandResult RunDeviceIdentify() {
  ProgrammerLink link;
  if (!link.Connect()) return NoBox();
  const int found = ReadPes();
  if (LinkOperationStopped()) return CommandAborted("the programmer box stopped answering");
  SendEndRequest();  // power the socket down again
  return found == 1 ? CommandDone() : CommandFailed("no chip found in the programmer");
}

CommandResult RunDeviceProgram(int confirm, int force) {
  // Without a map there is nothing to program: the box is not even looked for.
  if (CheckFuseMapLoaded() == 0) return CommandFailed("no fuse map loaded");
  if (const std::string damaged = DamagedFileText(); !damaged.empty()) {
    // Fuses the file lost would be programmed as unprogrammed cells: only
    // on the user's word. No is the default.
    if (force == 0 && confirm == 1) {
      const BoxAnswer answer = TheWindow().ShowMessageBox("Quelvox", damaged + ". Program it anyway?",
                                                          BoxButtons::YesNo, BoxIcon::Warning, true);
      if (answer != BoxAnswer::Yes) return CommandCancelled("a map from a damaged file was not programmed");
    } else if (force == 0) {
      MessageLog(damaged + ": not programmed (--force programs it anyway)", LevelError);
      return CommandFailed("a map from a damaged file was not programmed");
    }
  }
  ProgrammerLink link;
  if (!link.Connect()) return NoBox();
  ProgramDevice(confirm, securityFeature ? 1 : 0);
  // After the operation, which starts the log afresh, beside its result.
  if (const std::string damaged = DamagedFileText();
      !damaged.empty() && LastDeviceOutcome() == DeviceOutcome::Programmed) {
    MessageLog(damaged + ": programmed anyway, as asked", LevelWarning);
  }
  return link.Finish(ResultOf(DeviceOutcome::Programmed, "the chip was not programmed"));
}

CommandResult RunCopyPes() {
  const CommandResult identified = RunDeviceIdentify();
  if (!identified.IsDone()) return identified;
  std::string hex = DecodePes(2);
  if (!hex.empty() && hex.back() == ' ') hex.pop_back();
  TheWindow().SetClipboardText(hex);
  MessageLog("PES copied to the clipboard", LevelPlain);
  return CommandDone();
}

CommandResult RunSetUserSignature() {
  if (CheckFuseMapLoaded() == 0) return CommandFailed("no fuse map loaded");
  RepeatDamagedFileFinding(false);
  SelectFuseMapDevice();
  const std::optional<std::string> text = TheWindow().AskText(
      "Set User Signature",
      "User signature (up to " + std::to_string(GalDevice.UesBytes) + " characters):", UesEditText());
  if (!text) return CommandCancelled("no user signature given");
  if (SetUserSignature(*text) == 0) return CommandFailed("the user signature was refused");
  SetUnsavedChange(UnsavedChange::Edited);
  return CommandDone();
}

bool SecurityFeatureEnabled() {
  return securityFeature;
}

void SetSecurityFeature(bool enabled) {
  securityFeature = enabled;
  TheWindow().SetCommandChecked(CmdEnableSecurity, enabled);
}

CommandResult RunToggleSecurity() {
  SetSecurityFeature(!securityFeature);
  return CommandDone();
}

CommandResult RunNotAvailable(const std::string& itemText) {
  MessageLog("Not available: " + itemText, LevelPlain);
  return CommandDone();
}

void ResetDeviceCommandState() {
  securityFeature = false;
}
