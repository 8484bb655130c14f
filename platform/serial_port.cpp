// The serial port in use: the machine's, or one a test installed.
#include "platform/serial_port.h"

#include "platform/posix/termios_port.h"

namespace {
TermiosPort machinePort;
SerialPort* installedPort = &machinePort;
}  // namespace

SerialPort& TheSerialPort() {
  return *installedPort;
}
void InstallSerialPort(SerialPort* port) {
  installedPort = port != nullptr ? port : &machinePort;
}
