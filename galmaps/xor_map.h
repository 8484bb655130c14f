// The fuse map of the GAL20XV10: 40 product-term rows of 40 columns, four
// rows per output cell (pin 23's first). A cell's rows are its enable term
// and three sum terms, or two sums of two terms each that an XOR combines
// before the register. Per cell a polarity, an XOR and a register fuse
// follow the array, then the mode fuse and the 40-fuse signature. The mode
// decides what two column pairs read: pins 1 and 13 as inputs, or the
// outputs of pins 23 and 14 (docs/fuse-maps-xv10-6001.md gives the map).
#pragma once

#include <array>

namespace galmaps {

struct XorMap {
  const char* name = "";
  int pins = 0, gnd = 0, vcc = 0;
  int rows = 0, column_pairs = 0;
  // The pin read by each column pair, in the mode that reads pins 1 and 13
  // as inputs and in the one that feeds back pins 23 and 14.
  std::array<int, 20> input_columns{}, feedback_columns{};
  std::array<int, 10> cells{};  // output pins in row order
  int rows_per_cell = 4;
  int polarity_base = 0, xor_base = 0, register_base = 0, mode_fuse = 0, ues = 0;

  constexpr int Columns() const { return 2 * column_pairs; }
  constexpr int FirstRow(int cell) const { return rows_per_cell * cell; }
  // Per cell: 1 = the pin shows the complement of a plain sum.
  constexpr int Polarity(int cell) const { return polarity_base + cell; }
  // Per cell: 1 = a plain sum with an enable term, 0 = the XOR of two sums.
  constexpr int Xor(int cell) const { return xor_base + cell; }
  // Per cell: 1 = combinational, 0 = registered.
  constexpr int Register(int cell) const { return register_base + cell; }
  constexpr int Fuses() const { return ues + 40; }
  // The true column that reads `pin` in the given mode, or -1.
  constexpr int ColumnOf(int pin, bool feedback_mode) const {
    const std::array<int, 20>& pins = feedback_mode ? feedback_columns : input_columns;
    for (int k = 0; k < column_pairs; ++k)
      if (pins[static_cast<std::size_t>(k)] == pin) return 2 * k;
    return -1;
  }
};

// clang-format off
inline constexpr XorMap Map20XV10{
    .name = "GAL20XV10", .pins = 24, .gnd = 12, .vcc = 24, .rows = 40, .column_pairs = 20,
    .input_columns = {2, 1, 3, 22, 4, 21, 5, 20, 6, 19, 7, 18, 8, 17, 9, 16, 10, 15, 11, 13},
    .feedback_columns = {2, 23, 3, 22, 4, 21, 5, 20, 6, 19, 7, 18, 8, 17, 9, 16, 10, 15, 11, 14},
    .cells = {23, 22, 21, 20, 19, 18, 17, 16, 15, 14},
    .polarity_base = 1600, .xor_base = 1610, .register_base = 1620, .mode_fuse = 1630, .ues = 1631};
// clang-format on

static_assert(Map20XV10.rows * Map20XV10.Columns() == Map20XV10.polarity_base &&
              Map20XV10.mode_fuse + 1 == Map20XV10.ues && Map20XV10.Fuses() == 1671);

}  // namespace galmaps
