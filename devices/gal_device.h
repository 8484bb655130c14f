// The current-device record and the device codes. SelectDevice fills the
// record from the built-in catalogue; every other part of the program reads it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct GalDeviceRecord {
  std::int32_t DeviceCode = 0;
  std::string Name;
  std::string Manufacturer;  // from the PES, not from the catalogue
  std::uint8_t AddressBits = 0;
  std::uint8_t DeviceFlag = 0;
  std::uint8_t PinCount = 0;
  std::int32_t FuseCount = 0;
  std::uint8_t RowCount = 0;   // fuses in one product-term line of the fuse map
  std::uint8_t RowLength = 0;  // product-term lines
  std::uint8_t UesRow = 0;
  std::int32_t UesShiftRow = 0;
  std::int32_t UesFuse = 0;
  std::uint8_t UesBytes = 0;
  std::uint8_t UesBitOffset = 0;
  std::uint8_t PesRow = 0;
  std::int32_t PesShiftRow = 0;
  std::uint8_t PesBitOffset = 0;
  std::uint8_t ConfigRow = 0;
  std::int32_t ConfigShiftRow = 0;
  std::uint8_t ConfigBits = 0;
  std::array<std::int32_t, 256> ConfigFuses{};
  std::uint8_t AuxRow = 0;
  std::int32_t AuxShiftRow = 0;
  std::uint8_t AuxFlag = 0;
  std::uint8_t EraseRow = 0;
  std::uint8_t EraseFlag = 0;
  std::uint8_t EraseAllRow = 0;
  std::uint8_t EraseAllFlag = 0;
  // Supply and timing, filled by the programmer link.
  std::int32_t ErasePulse = 0;
  std::uint8_t ProgPulse = 0;
  std::uint8_t VccCode = 0;
  std::uint8_t VppProgCode = 0;
  std::uint8_t VppReadCode = 0;
  std::array<std::int32_t, 29> PinTypes{};  // index = pin number, 1..PinCount

  bool operator==(const GalDeviceRecord&) const = default;
};

extern GalDeviceRecord GalDevice;

// Stores code & 0xFF as DeviceCode, then fills every catalogue field of that
// type. Returns 1 for a known code, 0 otherwise (the other fields are kept).
int SelectDevice(int code);

void ResetDeviceState();  // GalDevice all zero and no pull-ups reported, as at start-up
