#include "programmer/device_commands.h"

#include "app/message_log.h"
#include "platform/serial_port.h"
#include "platform/window.h"
#include "programmer/detect.h"
#include "programmer/device_ops.h"
#include "programmer/link_operation.h"

namespace {

bool BoxConnected() {
  if (TheSerialPort().IsOpen() || DetectProgrammer() == 1) return true;
  MessageLog("Hardware not present!", LevelError);
  return false;
}

int Finished() {
  return LinkOperationStopped() ? 0 : 1;
}

}  // namespace

int RunDeviceRead() {
  if (!BoxConnected()) return 1;
  ReadOrVerifyDevice(0, 1);
  return Finished();
}

int RunDeviceVerify() {
  if (!BoxConnected()) return 1;
  ReadOrVerifyDevice(1, 1);
  return Finished();
}

int RunDeviceErase() {
  if (!BoxConnected()) return 1;
  // Erasing destroys the chip's only copy of a design: No is the default.
  const BoxAnswer answer = TheWindow().ShowMessageBox("Quelvox", "Erase the GAL in the programmer?",
                                                      BoxButtons::YesNo, BoxIcon::Warning, true);
  if (answer != BoxAnswer::Yes) return 1;
  EraseDevice(0);
  return Finished();
}
