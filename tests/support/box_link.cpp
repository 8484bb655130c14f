// The simulated box on a virtual clock, plugged in as the serial port of a test.
#include "tests/support/box_link.h"

#include <stdexcept>

Chip& BoxLink::Insert(const std::string& typeName) {
  return Insert(typeName, {});
}

Chip& BoxLink::Insert(const std::string& typeName, const std::vector<std::uint8_t>& fuses) {
  const ChipType* type = FindChipType(typeName);
  if (type == nullptr) throw std::invalid_argument("no chip type " + typeName);
  Box.Socket = Chip::Holding(*type, fuses);
  return *Box.Socket;
}

void BoxLink::Connect() {
  Ports.Open(portName_);
}
