// The chip types the simulated box can hold, as each chip sees itself: how
// its cells are addressed as rows of the box's shift register, where its
// signatures and architecture cells sit, and which JEDEC fuse each cell is.
// Written apart from the host's catalogue so that a mistake on either side
// shows up as a mismatch.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A row as the box selects it: directly by number, or by an address shifted
// in together with the row's data.
struct RowAddress {
  bool Shifted = false;
  int Number = 0;
  bool operator==(const RowAddress&) const = default;
};

struct ChipType {
  std::string Name;
  int Code = 0;  // device-type byte of its PES
  int Pins = 0;
  int Fuses = 0;             // fuses in its JEDEC map
  int Inputs = 0;            // AND-array inputs: fuses per product term in the JEDEC map
  int Terms = 0;             // product terms: cells along one row
  bool ShiftedRows = false;  // array rows take a shifted address (10/12-output and 6001 types)
  bool Layout6001 = false;   // rows and columns of the GAL6001 family
  RowAddress Ues, Pes, Config;
  RowAddress Security;                                 // a write here sets the security cell
  int UesFirstFuse = 0, UesBits = 0, UesPosition = 0;  // UES bit j at row cell UesPosition + j
  int PesPosition = 0;
  std::vector<int> ConfigFuses;  // architecture cell i is this JEDEC fuse
  int EraseRow = 0, EraseAllRow = 0;
  int ProbeCode = 0;  // the set-up type under which it gives its ID
  std::uint8_t Id[2] = {0, 0};
  bool NeedsDeviceFlag = false;  // its PES reads back garbled without it

  int PesLength() const { return (Terms - PesPosition) / 8; }
};

// The type by catalogue name ("GAL22V10") or by device-type byte; null when unknown.
const ChipType* FindChipType(const std::string& name);
const ChipType* FindChipType(int code);
const std::vector<ChipType>& AllChipTypes();
