// Looking for the programmer box on every port name, and finding it again.
#include "programmer/detect.h"

#include <cstdint>
#include <string>

#include "base/message_log.h"
#include "platform/serial_port.h"
#include "platform/window.h"
#include "programmer/transact.h"

namespace {

constexpr int LastPortNumber = 32;

// Two break pulses, then time for the box to send its identification.
void WakeBox(SerialPort& port) {
  BreakPulse(port);
  port.SetBreak();
  LinkSleepMs(1);
  port.ClearBreak();
  LinkSleepMs(40);
}

// Opens one candidate and adds its answer to the received text; true when the
// text now holds the identification (the port then stays open).
bool TryPort(SerialPort& port, const std::string& name, std::string& received) {
  if (!port.Open(name)) return false;
  WakeBox(port);
  if (port.BytesWaiting() <= 1) {
    port.Close();
    return false;
  }
  std::uint8_t byte = 0;
  while (port.BytesWaiting() != 0 && port.Read(&byte, 1) == 1) {
    if (byte != 0) received += static_cast<char>(byte);  // zero bytes are dropped
  }
  if (received.find(BoxIdentification) == std::string::npos) {
    port.Close();
    return false;
  }
  MessageLog(std::string(BoxIdentification) + " found @ " + name, LevelPlain);
  return true;
}

}  // namespace

int DetectProgrammer() {
  SerialPort& port = TheSerialPort();
  if (port.IsOpen()) port.Close();
  // Not cleared between ports: the text of one port and the next are
  // searched together.
  std::string received;
  for (int i = 0; i <= LastPortNumber; ++i) {
    if (TryPort(port, "COM" + std::to_string(i), received)) return 1;
  }
  return 0;
}

int DetectProgrammerOn(const std::string& portName) {
  SerialPort& port = TheSerialPort();
  if (port.IsOpen()) port.Close();
  std::string received;
  return TryPort(port, portName, received) ? 1 : 0;
}

int RedetectProgrammer() {
  Window& window = TheWindow();
  window.ClearPane(Pane::FuseMap);
  window.ClearPane(Pane::Log);
  window.WaitEvent(10);  // lets the cleared panes paint; the event is dropped
  if (DetectProgrammer() == 1) return 1;
  window.ShowMessageBox("Quelvox", "Hardware not present!", BoxButtons::Ok, BoxIcon::None, false);
  return 0;
}
