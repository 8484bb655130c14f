// The fuse maps of the GAL families whose output cells are macrocells with
// S0 (polarity) and S1 (register bypass) each: GAL22V10, GAL18V10,
// GAL26CV12 and GAL26V12 (docs/gal-macrocell-maps.md gives them as tables).
// Row 0 is the asynchronous reset shared by every register, the last row the
// synchronous preset; between them each cell's block, its OE row followed by
// its sum-term rows. The configuration fuses follow the array (S0/S1 pairs,
// or on the GAL26V12 one group of twelve per kind), then the 64 fuses of the
// signature (UES). The GAL20RA10 has no shared rows: each cell's block holds
// its OE, clock, reset and preset rows before its sums, and only S0 follows
// the array. These are the one description of those maps: the device model
// and the compiler both read them.
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
  // Rows of a cell's block before its sums: 1 (OE) with the shared reset and
  // preset rows; 4 (OE, clock, reset, preset) with none (GAL20RA10).
  int controls = 1;
  // S0 (1 = active high) and S1 (1 = combinational) of cells[i]: base + i × step;
  // s1_base -1: no S1 (a GAL20RA10 cell is combinational with reset and preset both true).
  int s0_base = 0, s0_step = 2, s1_base = 0, s1_step = 2;
  // GAL26V12 only (-1 elsewhere): per cell, 1 = clocked from pin 1, 0 = from
  // `second_clock`; and 1 = the array reads the register (/Q), 0 = the pin.
  int clock_base = -1, second_clock = 0, feedback_base = -1;
  int ues = 0;  // the signature's first fuse; the map may end here

  constexpr int Columns() const { return 2 * column_pairs; }
  constexpr int Rows() const {
    int rows = SharedControls() ? 2 : 0;  // the reset and preset rows
    for (int i = 0; i < cell_count; ++i) rows += controls + cells[static_cast<std::size_t>(i)].terms;
    return rows;
  }
  constexpr bool SharedControls() const { return controls == 1; }
  constexpr int ResetRow() const { return SharedControls() ? 0 : -1; }
  constexpr int PresetRow() const { return SharedControls() ? Rows() - 1 : -1; }
  // The OE row of cells[i]; its clock, reset and preset rows (GAL20RA10) and
  // its sum-term rows follow it.
  constexpr int OeRow(int i) const {
    int row = SharedControls() ? 1 : 0;
    for (int k = 0; k < i; ++k) row += controls + cells[static_cast<std::size_t>(k)].terms;
    return row;
  }
  constexpr int ClockRow(int i) const { return SharedControls() ? -1 : OeRow(i) + 1; }
  constexpr int CellResetRow(int i) const { return SharedControls() ? -1 : OeRow(i) + 2; }
  constexpr int CellPresetRow(int i) const { return SharedControls() ? -1 : OeRow(i) + 3; }
  constexpr int FirstSum(int i) const { return OeRow(i) + controls; }
  constexpr int S0(int i) const { return s0_base + s0_step * i; }
  constexpr int S1(int i) const { return s1_base < 0 ? -1 : s1_base + s1_step * i; }
  constexpr int ClockSelect(int i) const { return clock_base < 0 ? -1 : clock_base + i; }
  constexpr int FeedbackSelect(int i) const { return feedback_base < 0 ? -1 : feedback_base + i; }
  constexpr bool Pairs() const { return s0_step == 2; }  // else one group of cells per kind
  constexpr int Fuses() const { return ues + 64; }       // with the signature
  // The true column that reads `pin`, or -1.
  constexpr int ColumnOf(int pin) const {
    for (int k = 0; k < column_pairs; ++k)
      if (column_pins[static_cast<std::size_t>(k)] == pin) return 2 * k;
    return -1;
  }
};

// clang-format off
inline constexpr MacrocellMap Map22V10{
    .name = "GAL22V10", .pins = 24, .gnd = 12, .vcc = 24,
    .column_pairs = 22, .column_pins = {1, 23, 2, 22, 3, 21, 4, 20, 5, 19, 6, 18, 7, 17, 8, 16, 9, 15, 10, 14, 11, 13},
    .cell_count = 10,
    .cells = {{{23, 8}, {22, 10}, {21, 12}, {20, 14}, {19, 16}, {18, 16}, {17, 14}, {16, 12}, {15, 10}, {14, 8}}},
    .s0_base = 5808, .s1_base = 5809, .ues = 5828};
inline constexpr MacrocellMap Map18V10{
    .name = "GAL18V10", .pins = 20, .gnd = 10, .vcc = 20,
    .column_pairs = 18, .column_pins = {1, 19, 2, 18, 3, 17, 4, 16, 5, 15, 6, 14, 7, 13, 8, 12, 11, 9},
    .cell_count = 10,
    .cells = {{{19, 8}, {18, 8}, {17, 8}, {16, 8}, {15, 10}, {14, 10}, {13, 8}, {12, 8}, {11, 8}, {9, 8}}},
    .s0_base = 3456, .s1_base = 3457, .ues = 3476};
// The GAL26CV12 and GAL26V12 share their 28-pin package and its array columns.
inline constexpr std::array<int, 26> k28PinColumns{1, 28, 2, 27, 3, 26, 4, 25, 5, 24, 6, 23, 8, 22, 9, 20, 10, 19, 11, 18, 12, 17, 13, 16, 14, 15};
inline constexpr MacrocellMap Map26CV12{
    .name = "GAL26CV12", .pins = 28, .gnd = 21, .vcc = 7,
    .column_pairs = 26,
    .column_pins = k28PinColumns,
    .cell_count = 12,
    .cells = {{{27, 8}, {26, 8}, {25, 8}, {24, 8}, {23, 10}, {22, 12}, {20, 12}, {19, 10}, {18, 8}, {17, 8}, {16, 8},
               {15, 8}}},
    .s0_base = 6344, .s1_base = 6345, .ues = 6368};
inline constexpr MacrocellMap Map26V12{
    .name = "GAL26V12", .pins = 28, .gnd = 21, .vcc = 7,
    .column_pairs = 26,
    .column_pins = k28PinColumns,
    .cell_count = 12,
    .cells = {{{27, 8}, {26, 8}, {25, 10}, {24, 12}, {23, 14}, {22, 16}, {20, 16}, {19, 14}, {18, 12}, {17, 10},
               {16, 8}, {15, 8}}},
    .s0_base = 7800, .s0_step = 1, .s1_base = 7812, .s1_step = 1,
    .clock_base = 7824, .second_clock = 4, .feedback_base = 7836, .ues = 7848};
// Pins 1 (/PL, preload) and 13 (/OE of every output) are not in the array.
inline constexpr MacrocellMap Map20RA10{
    .name = "GAL20RA10", .pins = 24, .gnd = 12, .vcc = 24,
    .column_pairs = 20, .column_pins = {2, 23, 3, 22, 4, 21, 5, 20, 6, 19, 7, 18, 8, 17, 9, 16, 10, 15, 11, 14},
    .cell_count = 10,
    .cells = {{{23, 4}, {22, 4}, {21, 4}, {20, 4}, {19, 4}, {18, 4}, {17, 4}, {16, 4}, {15, 4}, {14, 4}}},
    .controls = 4, .s0_base = 3200, .s0_step = 1, .s1_base = -1, .ues = 3210};
// clang-format on

// Each map's configuration fuses follow its array, and its signature them.
constexpr bool Consistent(const MacrocellMap& m) {
  const int first = m.Rows() * m.Columns();
  const int groups = m.feedback_base >= 0 ? 4 : m.s1_base < 0 ? 1 : 2;
  return m.S0(0) == first && m.ues == first + groups * m.cell_count;
}
static_assert(Map22V10.Rows() == 132 && Consistent(Map22V10));
static_assert(Map18V10.Rows() == 96 && Consistent(Map18V10));
static_assert(Map26CV12.Rows() == 122 && Consistent(Map26CV12));
static_assert(Map26V12.Rows() == 150 && Consistent(Map26V12));
static_assert(Map20RA10.Rows() == 80 && Consistent(Map20RA10) && Map20RA10.FirstSum(9) == 76);

}  // namespace galmaps
