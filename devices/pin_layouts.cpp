// Printed names of the pin-function codes.

#include "devices/pin_layouts.h"

std::string PinName(std::int32_t code) {
  switch (code) {
    case PinInput:
      return "I";
    case PinGnd:
      return "GND";
    case PinVcc:
      return "VCC";
    case PinClockInput:
      return "I_CLK";
    case PinClock2Input:
      return "I_CLK2";
    case PinIo:
      return "I/O";
    case PinOeInput:
      return "I_/OE";
    case PinOe:
      return "/OE";
    case PinPreload:
      return "/PL";
    case PinOutputClock:
      return "OCLK";
    default:
      return "";
  }
}
