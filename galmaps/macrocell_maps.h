// The fuse maps of the GAL families whose output cells are macrocells with
// S0 (polarity) and S1 (register bypass) each: GAL22V10, GAL18V10 and
// GAL26CV12 (docs/gal-macrocell-maps.md gives them as tables). Row 0 is the asynchronous reset shared by
// every register, the last row the synchronous preset; between them each cell's block, its OE row followed by
// its sum-term rows. S0/S1 pairs follow the array, the first cell's first, then the 64 fuses of the signature
// (UES). These are the one description of those maps: the device model and the compiler both read them.
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
inline constexpr MacrocellMap Map18V10{
    "GAL18V10", 20, 10, 20,
    18, {1, 19, 2, 18, 3, 17, 4, 16, 5, 15, 6, 14, 7, 13, 8, 12, 11, 9},
    10, {{{19, 8}, {18, 8}, {17, 8}, {16, 8}, {15, 10}, {14, 10}, {13, 8}, {12, 8}, {11, 8}, {9, 8}}},
    3456, 3476};
inline constexpr MacrocellMap Map26CV12{
    "GAL26CV12", 28, 21, 7,
    26, {1, 28, 2, 27, 3, 26, 4, 25, 5, 24, 6, 23, 8, 22, 9, 20, 10, 19, 11, 18, 12, 17, 13, 16, 14, 15},
    12, {{{27, 8}, {26, 8}, {25, 8}, {24, 8}, {23, 10}, {22, 12}, {20, 12}, {19, 10}, {18, 8}, {17, 8}, {16, 8},
          {15, 8}}},
    6344, 6368};
// clang-format on

// Each map's S0/S1 pairs follow its array, and its signature them.
constexpr bool Consistent(const MacrocellMap& m) {
  return m.S0(0) == m.Rows() * m.Columns() && m.ues == m.S0(m.cell_count);
}
static_assert(Map22V10.Rows() == 132 && Consistent(Map22V10));
static_assert(Map18V10.Rows() == 96 && Consistent(Map18V10));
static_assert(Map26CV12.Rows() == 122 && Consistent(Map26CV12));

}  // namespace galmaps
