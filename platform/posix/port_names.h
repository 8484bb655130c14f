// How a port name becomes a device on a POSIX machine: "COMn" (n >= 1) is the
// n-th serial device, USB adapters (ttyUSB*, ttyACM*) first, then ttyS*, each
// in numeric order; COM0 never exists. A name starting with "/" is a path.
#pragma once

#include <string>
#include <vector>

// Keeps the serial device names among names (entries of /dev) and puts them
// in COM order.
std::vector<std::string> OrderSerialDevices(const std::vector<std::string>& names);

// The device path for a port name, given the ordered device names; "" when
// the name stands for no device.
std::string ResolvePortName(const std::string& name, const std::vector<std::string>& ordered,
                            const std::string& deviceDir = "/dev");

// The serial devices of this machine in COM order.
std::vector<std::string> ListSerialDevices(const std::string& deviceDir = "/dev");
