// Looking for the programmer box on every port name, and finding it again.
#include "programmer/detect.h"

#include <cstdint>
#include <string>
#include <vector>

#include "base/message_log.h"
#include "platform/serial_port.h"
#include "platform/window.h"
#include "programmer/transact.h"

namespace {

constexpr int LastPortNumber = 32;

struct PortAttempt {
  std::string Name;
  PortOpenError Error;  // What is None when the port opened but no box answered
};
std::vector<PortAttempt> attempts;  // of the last detection

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
  if (!port.Open(name)) {
    attempts.push_back({name, port.LastOpenError()});
    return false;
  }
  PortOpenError opened = port.LastOpenError();  // for the device the name stood for
  opened.What = PortOpenError::None;
  attempts.push_back({name, opened});
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

std::string Reason(const PortOpenError& error) {
  switch (error.What) {
    case PortOpenError::None:
      return "no answer from a programmer box";
    case PortOpenError::Missing:
      return "no such port";
    case PortOpenError::Denied:
      if (error.Group.empty()) return "permission denied";
      return "permission denied: join the group " + error.Group + " (sudo usermod -aG " + error.Group +
             " $USER) and log in again";
    case PortOpenError::Busy:
      return "in use by another program";
    case PortOpenError::NotSerial:
      return "not a serial port";
    case PortOpenError::Failed:
      break;
  }
  return "cannot be opened";
}

}  // namespace

void LogDetectionAttempts() {
  for (std::size_t i = 0; i < attempts.size();) {
    std::size_t end = i + 1;
    if (attempts[i].Error.What == PortOpenError::Missing) {
      while (end < attempts.size() && attempts[end].Error.What == PortOpenError::Missing) ++end;
    }
    // COM3 (/dev/ttyUSB0): the device a COM name stood for, where the fix is made.
    const std::string& device = attempts[i].Error.Device;
    const std::string names = end - i > 1      ? attempts[i].Name + " to " + attempts[end - 1].Name
                              : device.empty() ? attempts[i].Name
                                               : attempts[i].Name + " (" + device + ")";
    MessageLog(names + ": " + Reason(attempts[i].Error), LevelPlain);
    i = end;
  }
}

int DetectProgrammer() {
  SerialPort& port = TheSerialPort();
  if (port.IsOpen()) port.Close();
  attempts.clear();
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
  attempts.clear();
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
