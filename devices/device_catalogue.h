// The built-in knowledge of every supported device type, in three tables:
// identity and geometry per type, then signature rows and configuration,
// auxiliary and erase rows for groups of types that share them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "devices/config_row_maps.h"
#include "devices/pin_layouts.h"

// A few device codes, written as a list.
struct CodeSet {
  std::int32_t Codes[4] = {-1, -1, -1, -1};
  constexpr CodeSet(std::initializer_list<std::int32_t> codes) {
    int n = 0;
    for (std::int32_t code : codes) Codes[n++] = code;
  }
  constexpr bool Contains(std::int32_t code) const {
    for (std::int32_t c : Codes)
      if (c == code) return true;
    return false;
  }
};

struct DeviceIdentity {
  std::int32_t DeviceCode;
  const char* Name;
  std::uint8_t PinCount;
  std::int32_t FuseCount;
  std::uint8_t RowCount;
  std::uint8_t RowLength;
  std::uint8_t AddressBits;
  std::uint8_t DeviceFlag;
  std::span<const std::int32_t> Map;
  const PinLayout& Layout;
};

struct SignatureRows {
  CodeSet DeviceCodes;
  std::uint8_t UesRow;
  std::int32_t UesShiftRow;
  std::int32_t UesFuse;
  std::uint8_t UesBytes;
  std::uint8_t UesBitOffset;
  std::uint8_t PesRow;
  std::int32_t PesShiftRow;
  std::uint8_t PesBitOffset;
};

struct ControlRows {
  CodeSet DeviceCodes;
  std::uint8_t ConfigRow;
  std::int32_t ConfigShiftRow;
  std::uint8_t ConfigBits;
  std::uint8_t AuxRow;
  std::int32_t AuxShiftRow;
  std::uint8_t AuxFlag;
  std::uint8_t EraseRow;
  std::uint8_t EraseFlag;
  std::uint8_t EraseAllRow;
  std::uint8_t EraseAllFlag;
};

// The macrocell families' geometry comes from their shared maps.
inline constexpr const galmaps::MacrocellMap& M18 = galmaps::Map18V10;
inline constexpr const galmaps::MacrocellMap& M22 = galmaps::Map22V10;
inline constexpr const galmaps::MacrocellMap& M26 = galmaps::Map26CV12;
inline constexpr const galmaps::MacrocellMap& M26V = galmaps::Map26V12;
inline constexpr const galmaps::MacrocellMap& MRA = galmaps::Map20RA10;

// clang-format off
inline constexpr DeviceIdentity DeviceIdentities[] = {
  // code  name          pins  fuses rows length addr flag  map         layout
  {   0, "GAL16V8",      20, 2194, 32,  64,  0,  0, Cfg16V8,    Layout16V8},
  {  26, "GAL16V8AZ",    20, 2194, 32,  64,  0,  0, Cfg16V8Alt, Layout16V8},
  { 128, "ATF16V8B",     20, 2194, 32,  64,  0,  0, Cfg16V8Alt, Layout16V8},
  { 129, "ATF16V8C",     20, 2194, 32,  64,  0,  0, Cfg16V8Alt, Layout16V8},
  {  80, "GAL18V10",     20, M18.Fuses(), M18.Columns(), M18.Rows(), 6, 0, Cfg18V10, Layout18V10},
  {  32, "GAL20V8",      24, 2706, 40,  64,  0,  0, Cfg20V8,    Layout20V8},
  {  58, "GAL20V8AZ",    24, 2706, 40,  64,  0,  0, Cfg20V8Alt, Layout20V8},
  { 130, "ATF20V8",      24, 2706, 40,  64,  0,  0, Cfg20V8Alt, Layout20V8},
  {  96, "GAL20RA10",    24, MRA.Fuses(), MRA.Columns(), MRA.Rows(), 6, 0, Cfg20RA10, Layout20RA10},
  {  97, "GAL20RA10B",   24, MRA.Fuses(), MRA.Columns(), MRA.Rows(), 6, 0, Cfg20RA10, Layout20RA10},
  { 101, "GAL20XV10",    24, 1671, 40,  40,  6,  0, Cfg20XV10,  Layout20XV10},
  { 102, "GAL20XV10B",   24, 1671, 40,  40,  6,  0, Cfg20XV10,  Layout20XV10},
  {  72, "GAL22V10",     24, M22.Fuses(), M22.Columns(), M22.Rows(), 6, 0, Cfg22V10, Layout22V10},
  {  73, "GAL22V10AZ",   24, M22.Fuses(), M22.Columns(), M22.Rows(), 6, 0, Cfg22V10, Layout22V10},
  { 131, "ATF22V10B",    24, M22.Fuses(), M22.Columns(), M22.Rows(), 6, 0, Cfg22V10, Layout22V10},
  { 132, "ATF22V10C",    24, M22.Fuses(), M22.Columns(), M22.Rows(), 6, 1, Cfg22V10, Layout22V10},
  {  88, "GAL26CV12",    28, M26.Fuses(), M26.Columns(), M26.Rows(), 6, 0, Cfg26CV12, Layout26CV12},
  {  89, "GAL26CV12B",   28, M26.Fuses(), M26.Columns(), M26.Rows(), 6, 0, Cfg26CV12, Layout26CV12},
  {  93, "GAL26V12C",    28, M26V.Fuses(), M26V.Columns(), M26V.Rows(), 6, 0, Cfg26V12, Layout26V12C},
  {  64, "GAL6001",      24, 8294, 78,  95, 24,  0, Cfg6001,    Layout6001},
  {  65, "GAL6001B",     24, 8294, 78,  95, 24,  0, Cfg6001,    Layout6001},
  {  68, "GAL6002B",     24, 8330, 78,  95, 24,  0, Cfg6002,    Layout6001},
};

// 255 in a shift-row column: that row is not addressed serially.
inline constexpr SignatureRows DeviceSignatureRows[] = {
  // codes               UesRow UesShift UesFuse Bytes BitOff PesRow PesShift BitOff
  {{0, 26, 128, 129},    32,    255,     2056,   8,     0,    58,    255,      0},
  {{32, 58, 130},        40,    255,     2568,   8,     0,    58,    255,      0},
  {{80},                  0,     44,  M18.ues,   8,     0,     0,     58,      0},
  {{96, 97},              0,     40,  MRA.ues,   8,     0,     0,     58,      0},
  {{101, 102},            0,     44,     1631,   5,     0,     0,     58,      0},
  {{72, 73},              0,     44,  M22.ues,   8,     0,     0,     58,      0},
  {{131, 132},            0,     44,  M22.ues,   8,    68,     0,     58,      0},
  {{88, 89},              0,     52,  M26.ues,   8,     0,     0,     58,      0},
  {{93},                  0,     52, M26V.ues,   8,     0,     0,     58,      0},
  {{64, 65},              0,    195,     8222,   9,    20,     0,    193,     20},
  {{68},                  0,    195,     8258,   9,    20,     0,    193,     20},
};

inline constexpr ControlRows DeviceControlRows[] = {
  // codes               Config Shift Bits  Aux AuxShift Flag  Erase Flag  EraseAll Flag
  {{0, 26, 128, 129},    60,    255,  82,   61, 255,     1,    63,   1,    62,      1},
  {{32, 58, 130},        60,    255,  82,   61, 255,     1,    63,   1,    62,      1},
  {{80},                 16,    255,  20,    0,  61,     1,    61,   0,    60,      0},
  {{96, 97},             16,    255,  10,    0,  61,     0,    61,   0,    62,      0},
  {{101, 102},           16,    255,  31,    0,  61,     0,    61,   0,    62,      0},
  {{72, 73, 131, 132},   16,    255,  20,    0,  61,     0,    61,   0,    62,      0},
  {{88, 89},             16,    255,  24,    0,  61,     1,    61,   0,    57,      1},
  {{93},                 16,    255,  48,    0,  61,     1,    61,   0,    57,      1},
  {{64, 65},              8,    255,  68,    0, 197,     1,    63,   1,    59,      1},
  {{68},                  8,    255, 104,    0, 197,     1,    63,   1,    59,      1},
};
// clang-format on
