// Read, Verify, Erase and Identify as commands: the box check, the question
// before erasing, and the result read from the operation's outcome.
#include "commands/device_commands.h"

#include "base/message_log.h"
#include "platform/serial_port.h"
#include "platform/window.h"
#include "programmer/detect.h"
#include "programmer/device_ops.h"
#include "programmer/link_operation.h"
#include "programmer/pes.h"
#include "programmer/requests.h"

namespace {

bool BoxConnected() {
  if (TheSerialPort().IsOpen() || DetectProgrammer() == 1) return true;
  MessageLog("Hardware not present!", LevelError);
  LogDetectionAttempts();
  return false;
}

CommandResult NoBox() {
  return CommandFailed("no programmer box found");
}

CommandResult ResultOf(DeviceOutcome wanted, const char* failure) {
  const DeviceOutcome outcome = LastDeviceOutcome();
  if (outcome == wanted) return CommandDone();
  if (outcome == DeviceOutcome::Stopped) return CommandAborted("the programmer box stopped answering");
  if (outcome == DeviceOutcome::NoChip) return CommandFailed("no chip found in the programmer");
  return CommandFailed(failure);
}

}  // namespace

CommandResult RunDeviceRead() {
  if (!BoxConnected()) return NoBox();
  ReadOrVerifyDevice(0, 1);
  return ResultOf(DeviceOutcome::Read, "the chip was not read");
}

CommandResult RunDeviceVerify() {
  if (!BoxConnected()) return NoBox();
  ReadOrVerifyDevice(1, 1);
  return ResultOf(DeviceOutcome::Verified, "the chip differs from the fuse map");
}

CommandResult RunDeviceErase(int eraseAll) {
  if (!BoxConnected()) return NoBox();
  if (eraseAll == 0) {
    // Erasing destroys the chip's only copy of a design: No is the default.
    const BoxAnswer answer = TheWindow().ShowMessageBox("Quelvox", "Erase the GAL in the programmer?",
                                                        BoxButtons::YesNo, BoxIcon::Warning, true);
    if (answer != BoxAnswer::Yes) return CommandCancelled("erase not confirmed");
  }
  EraseDevice(eraseAll);
  return ResultOf(DeviceOutcome::Erased, "the chip was not erased");
}

CommandResult RunDeviceIdentify() {
  if (!BoxConnected()) return NoBox();
  const int found = ReadPes();
  if (LinkOperationStopped()) return CommandAborted("the programmer box stopped answering");
  SendEndRequest();  // power the socket down again
  return found == 1 ? CommandDone() : CommandFailed("no chip found in the programmer");
}
