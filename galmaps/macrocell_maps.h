// The fuse maps of the GAL families whose output cells are macrocells with
// S0 (polarity) and S1 (register bypass) each: GAL22V10, GAL18V10 and
// GAL26CV12. Row 0 is the asynchronous reset shared by every register, the
// last row the synchronous preset; between them each cell's block, its OE
// row followed by its sum-term rows. S0/S1 pairs follow the array, the
// first cell's first, then the 64 fuses of the signature (UES). These are
// the one description of those maps: the device model and the compiler
// both read them.
#pragma once

#include <array>

namespace galmaps {

struct MacrocellCell {
  int pin = 0;
  int terms = 0;  // sum-term rows after the cell's OE row
};

struct MacrocellMap {
  const char* name = "";
  int pins = 0, gnd = 0, vcc = 0;
  // The pin feeding each pair of AND-array columns: true column 2k, its
  // complement 2k + 1. A macrocell's pair reads its pin, or its register.
  int column_pairs = 0;
  std::array<int, 26> column_pins{};
  int cell_count = 0;
  std::array<MacrocellCell, 12> cells{};  // in row order
  int s0_base = 0;                        // S0 of cells[0]; S1 follows; two fuses per cell
  int ues = 0;                            // the signature's first fuse; the map may end here

  constexpr int Columns() const { return 2 * column_pairs; }
  constexpr int Rows() const {
    int rows = 2;  // the reset and preset rows
    for (int i = 0; i < cell_count; ++i) rows += 1 + cells[static_cast<std::size_t>(i)].terms;
    return rows;
  }
  constexpr int ResetRow() const { return 0; }
  constexpr int PresetRow() const { return Rows() - 1; }
  // The OE row of cells[i]; its sum-term rows follow it.
  constexpr int OeRow(int i) const {
    int row = 1;
    for (int k = 0; k < i; ++k) row += 1 + cells[static_cast<std::size_t>(k)].terms;
    return row;
  }
  constexpr int S0(int i) const { return s0_base + 2 * i; }
  constexpr int S1(int i) const { return s0_base + 2 * i + 1; }
  constexpr int Fuses() const { return ues + 64; }  // with the signature
  // The true column that reads `pin`, or -1.
  constexpr int ColumnOf(int pin) const {
    for (int k = 0; k < column_pairs; ++k)
      if (column_pins[static_cast<std::size_t>(k)] == pin) return 2 * k;
    return -1;
  }
};

// clang-format off
inline constexpr MacrocellMap Map22V10{
    "GAL22V10", 24, 12, 24,
    22, {1, 23, 2, 22, 3, 21, 4, 20, 5, 19, 6, 18, 7, 17, 8, 16, 9, 15, 10, 14, 11, 13},
    10, {{{23, 8}, {22, 10}, {21, 12}, {20, 14}, {19, 16}, {18, 16}, {17, 14}, {16, 12}, {15, 10}, {14, 8}}},
    5808, 5828};
// clang-format on

static_assert(Map22V10.Rows() == 132 && Map22V10.S0(0) == Map22V10.Rows() * Map22V10.Columns());

}  // namespace galmaps
