// A behavioural model of a programmed GAL16V8, GAL20V8, GAL20XV10 or
// macrocell GAL (22V10 and its kin), built from nothing but its fuse map and the device's
// architecture tables (for the 16V8/20V8 kept here apart from the fitter's,
// column by column; the macrocell maps are shared). It runs a map cycle by
// cycle: combinational settling, the rising edge of pin 1 (on the GAL20RA10
// of each register's clock term), reset, preset, output enables and
// feedback. The .sim writer and the fitter's tests use it. A GAL6001 or
// GAL6002B map runs on PlaModel, to which every call is passed on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "abelc/logic_model.h"
#include "abelc/pla_model.h"

namespace abelc {

class FuseMapModel {
 public:
  // `fuses`: one entry (0 or 1) per fuse, as many as the map has; a macrocell
  // map may end before its signature.
  FuseMapModel(Family family, std::vector<std::uint8_t> fuses);

  int Pins() const { return pins_; }
  // Drives the pins (index 1..Pins(); -1 = not driven, read as 0). Inputs
  // settle first, then a rising edge on pin 1 clocks the registers.
  void Apply(const std::vector<int>& drive);
  // 'H', 'L' or 'Z' for an output pin; the driven level for an input.
  char Level(int pin) const;
  bool IsOutput(int pin) const;  // an output cell whose buffer is not always off
  bool IsRegistered(int pin) const;
  // The output pins that did not settle since the last call (a combinational
  // loop through the feedback that oscillates), in pin order; then forgets them.
  std::vector<int> TakeUnsettled();

  // Flip-flop states (0/1), one per output cell, highest pin first.
  std::vector<int> Registers() const;
  void SetRegisters(const std::vector<int>& q);
  // Register preload: every registered cell whose pin has a level here (per
  // pin, 1..Pins(); -1 = leave alone) takes the state that makes its pin show
  // that level when enabled. Then the pins settle.
  void Preload(const std::vector<int>& pin_levels);
  // GAL20RA10: every register loads from its sum, as when its clock term
  // rises (for comparing a map with the design a clock edge at a time).
  void LoadRegisters();

 private:
  struct Cell {
    int pin = 0;
    int oe_row = -1;  // -1: no OE row
    int first_sum = 0, sums = 0;
    bool registered = false;
    bool invert = false;      // the pin shows the complement of the sum (or of Q in a macrocell)
    bool buffer_off = false;  // never drives its pin
    bool oe_by_pin = false;   // enabled by the /OE pin (16V8/20V8 registers)
    int clock_pin = 1;
    bool reads_register = false;  // the array reads /Q, not the pin
    bool xor_sums = false;        // GAL20XV10: the sum is (row 0 + row 1) XOR (row 2 + row 3)
    // GAL20RA10: the register's own clock, reset and preset rows, and the
    // clock row's value at the last look (the register loads as it rises).
    int clock_row = -1, ar_row = -1, ap_row = -1;
    bool clock_was = false;
    int q = 0;
    int level = 0;  // last computed output level
    bool enabled = false;
  };

  bool Fuse(int n) const {
    return n < static_cast<int>(fuses_.size()) && fuses_[static_cast<std::size_t>(n)] != 0;
  }
  void ReadColumns();  // samples every column's value for the rows that follow
  int ColumnValue(int column) const;
  bool Row(int row) const;
  bool Sum(const Cell& c) const;
  int PinLevel(int pin) const;
  void Settle();
  void Clock(const std::vector<int>& rising);  // the clock pins that rose
  void ClockRows(bool load);                   // GAL20RA10: clock the registers whose clock row rose
  bool RowAlwaysTrue(int row) const;           // no column connected
  const Cell* CellAt(int pin) const;

  std::optional<PlaModel> pla_;  // GAL6001/6002 maps
  bool macrocells_ = false;      // cells from the shared maps (22V10 and its kin, GAL20RA10)
  std::vector<std::uint8_t> fuses_;
  int pins_ = 0, columns_ = 0, rows_ = 0;
  std::vector<int> column_pins_;        // per column pair: the pin feeding it
  std::vector<int> connected_;          // the columns whose fuse is intact, row after row
  std::vector<std::size_t> row_start_;  // per row and one more: where its columns start in connected_
  std::vector<int> columns_now_;        // the sampled column values
  std::vector<int> cell_at_pin_;        // index into cells_, -1 none
  std::vector<Cell> cells_;
  std::vector<int> drive_;
  int ptd_base_ = -1;  // 16V8/20V8 product-term disable fuses
  int oe_pin_ = 0;     // registered mode's /OE pin
  int ar_row_ = -1, sp_row_ = -1;
  std::vector<int> clock_pins_{1};
  std::vector<int> unsettled_;
};

}  // namespace abelc
