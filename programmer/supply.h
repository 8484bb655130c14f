// Supply-voltage codes and pulse times for the chip in the socket, derived
// from its device type and PES. The box takes voltages as one-byte codes:
// a higher voltage gives a lower code.
#pragma once

#include <cstdint>

std::uint8_t VppToCode(float volts);
float CodeToVolts(int code);  // for display only

// Sets Manufacturer, VccCode, VppProgCode, VppReadCode, ProgPulse and
// ErasePulse of GalDevice from DeviceCode and PesBytes.
void ComputeSupplyAndTiming();
