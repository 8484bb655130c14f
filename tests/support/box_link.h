// A simulated programmer box on a virtual clock, plugged in as the serial
// port for the lifetime of the object. Declare it after TestWindowScope.
#pragma once

#include <string>

#include "boxsim/box.h"
#include "boxsim/sim_port.h"
#include "platform/serial_port.h"
#include "tests/support/virtual_clock.h"

class BoxLink {
 public:
  explicit BoxLink(const std::string& portName = "COM3") : portName_(portName) {
    Ports.Attach(portName, Box);
    InstallSerialPort(&Ports);
  }
  ~BoxLink() {
    Ports.Close();
    InstallSerialPort(nullptr);
  }

  // Puts a chip of the named type in the socket: erased, or holding fuses.
  Chip& Insert(const std::string& typeName);
  Chip& Insert(const std::string& typeName, const std::vector<std::uint8_t>& fuses);
  // Opens the box's port as a detection would, without scanning.
  void Connect();

  VirtualClock& Clock() { return clock_.clock(); }

  ProgrammerBox Box;
  SimulatedPorts Ports;

 private:
  std::string portName_;
  VirtualClockScope clock_;
};
