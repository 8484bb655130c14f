// A behavioural model of a programmed GAL6001 or GAL6002B, from its fuse map
// alone, as the classic simulator runs these parts: input cells (plain,
// registered on pin 1, latched while pin 1 is high), 64 shared product terms
// and their sums, output cells (inverting; combinational or a D register
// clocked by pin 13 or by the rise of a clock sum, with or without a clock
// enable), buried cells, the enable terms and the shared reset term. A term
// clock that is 1 at the first vector loads its register there, as in that
// simulator.
// FuseMapModel forwards to it for these parts.
#pragma once

#include <cstdint>
#include <vector>

#include "abelc/logic_model.h"

namespace abelc {

class PlaModel {
 public:
  PlaModel(Family family, std::vector<std::uint8_t> fuses);

  static constexpr int kPins = 24;
  void Apply(const std::vector<int>& drive);
  char Level(int pin) const;
  bool IsOutput(int pin) const;
  bool IsRegistered(int pin) const;
  std::vector<int> TakeUnsettled();
  // The output cells' registers, pin 23 first, then the buried cells 26..33.
  std::vector<int> Registers() const;
  void SetRegisters(const std::vector<int>& q);
  void Preload(const std::vector<int>& pin_levels);
  void LoadRegisters();  // every term-clocked register loads, as when its clock sum rises

 private:
  struct Cell {
    int pin = 0;  // an output pin, or a buried node
    bool buried = false;
    bool used = false;
    int sum_a = 0, enable_term = -1;
    // The third bit inverts sum B: a clock enable active low, or a clock term that loads as B falls.
    bool pin13 = false, combinational = false, b_inverted = false, no_invert = false;
    int q = 0;
    bool clock_was = false;  // a term clock (sum B, maybe inverted) at the last look: it loads as it rises
    int value = 0;           // combinational: sum A; registered: Q
    bool enabled = false;
  };
  struct InputCell {
    char mode = 'p';  // plain, registered, latched
    int held = 0;
  };

  bool Fuse(int n) const {
    return n < static_cast<int>(fuses_.size()) && fuses_[static_cast<std::size_t>(n)] != 0;
  }
  int PinLevel(int pin) const;
  int InputLevel(int pin) const;  // what the pin's input cell passes to the array
  void ReadColumns();
  bool Term(int term) const;
  bool SumValue(int sum) const;
  void ComputeTerms();
  void Settle();
  void ClockTerms(bool load);
  void ClockCells(bool pin13_rose);
  Cell* CellAtPin(int pin);
  const Cell* CellAtPin(int pin) const;
  int Load(const Cell& c) const;  // the state the cell's register takes on a clock

  std::vector<std::uint8_t> fuses_;
  std::vector<Cell> cells_;  // pins 23..14, then nodes 26..33
  std::vector<InputCell> inputs_ = std::vector<InputCell>(kPins + 1);
  std::vector<std::vector<int>> connected_;  // per term: its connected columns
  std::vector<std::vector<int>> sum_terms_;  // per sum: the shared terms that feed it
  std::vector<int> columns_;
  std::vector<bool> terms_;
  std::vector<int> drive_ = std::vector<int>(kPins + 1, -1);
  std::vector<int> unsettled_;
};

}  // namespace abelc
