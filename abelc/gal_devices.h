// What the fitter knows of the three GAL families: pins, array geometry,
// the rows of each output cell, the addresses of the architecture fuses and
// which array column reads each pin in each mode. The macrocell families'
// maps come from the shared tables (galmaps/); the 16V8 and 20V8 are here.
#pragma once

#include <string>
#include <vector>

#include "abelc/logic_model.h"
#include "galmaps/macrocell_maps.h"
#include "galmaps/xor_map.h"

namespace abelc {

// Macrocells: 22V10 and its kin. Inputs and Feedback: the GAL20XV10 reading
// pins 1 and 13, or the outputs of pins 23 and 14, in the same two column pairs.
// Pla: the GAL6001/6002 with their shared terms.
enum class GalMode { Simple, Complex, Registered, Macrocells, Inputs, Feedback, Pla };

// "simple", "complex", "registered", "macrocell", "input", "feedback"
const char* ModeName(GalMode mode);

struct OutputCell {
  int pin = 0;
  int first_row = 0;  // the cell's block; on the 22V10 its OE row
  int rows = 0;       // the block's rows; on the 22V10 the OE row and the sum terms (the
                      // GAL20RA10's clock, reset and preset rows not counted)
};

struct GalArchitecture {
  Family family = Family::Unknown;
  const char* name = "";  // "GAL16V8"
  int pins = 0, columns = 0, rows = 0;
  int fuses = 0;                  // with the signature
  std::vector<OutputCell> cells;  // highest pin first, as the rows run
  int clock_pin = 1;              // 0: a clock term per cell (GAL20RA10)
  int oe_pin = 0;                 // registered mode's /OE pin (16V8, 20V8); the GAL20RA10's
  // 16V8 / 20V8: one bit per cell, highest pin first, and one per row.
  int xor_base = 0, ues_base = 0, ac1_base = 0, ptd_base = 0, syn = 0, ac0 = 0;
  // Macrocells: S0 (polarity) and S1 (bypass) per cell, in row order; AR and SP rows.
  int s0_base = 0, ar_row = 0, sp_row = 0;
  const galmaps::MacrocellMap* map = nullptr;  // the macrocell families' shared map
  const galmaps::XorMap* xor_map = nullptr;    // the GAL20XV10's
  int S0(int cell) const { return map->S0(cell); }
  int S1(int cell) const { return map->S1(cell); }
  bool IsV8() const { return family == Family::Gal16V8 || family == Family::Gal20V8; }
  bool IsXv() const { return xor_map != nullptr; }
  int ues_bits = 64;  // the signature's length
  int gnd = 0, vcc = 0;
  int Gnd() const { return gnd; }
  int Vcc() const { return vcc; }
  const OutputCell* CellAt(int pin) const;
  bool IsCellPin(int pin) const { return CellAt(pin) != nullptr; }
};

const GalArchitecture& DeviceOf(Family family);

// The shared map of a macrocell family (22V10 and its kin), else nullptr.
const galmaps::MacrocellMap* MacrocellMapOf(Family family);

// The true column of the array that reads `pin`, or -1 when the mode gives
// the pin no column. The complement is the next column.
int ReadColumn(const GalArchitecture& d, GalMode mode, int pin);

}  // namespace abelc
