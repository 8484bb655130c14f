// The fuse map of the GAL6001 and GAL6002B, as the classic compiler writes
// it: 64 product terms shared by 36 sums (an AND row of 78 columns then an OR
// fuse per sum), ten output enable terms, the shared reset term, the cell
// configuration bits and the signature. The fitter, the fuse-map model and
// the JEDEC writer all read their addresses here.
#pragma once

#include "abelc/logic_model.h"

namespace abelc::pla {

constexpr int kColumns = 78;      // 39 signals, true and complement
constexpr int kSums = 36;         // two per output cell and per buried cell
constexpr int kSharedTerms = 64;  // the terms with OR fuses
constexpr int kTerms = 75;        // with the ten enables and the reset
constexpr int kTermStride = kColumns + kSums;
constexpr int kResetTerm = 74;  // node 25
constexpr int kResetNode = 25;
constexpr int kFirstBuried = 26, kLastBuried = 33;
constexpr int kFirstInputCell = 70, kLastInputCell = 89;
constexpr int kInputClockPin = 1;    // clocks and latches the input cells
constexpr int kOutputClockPin = 13;  // the hardwired clock of the output and buried cells
constexpr int kCellBitsBase = 8154;  // buried cells 3 bits each, then output cells 4 bits each
constexpr int kInputBitsBase = 8218;

struct PlaMap {
  const char* name;  // "GAL6001"
  const char* part;  // the JEDEC header's part: "F6001"
  int fuses, ues;
  bool input_cell_pairs;  // the GAL6002B sets each input cell alone; the GAL6001 one pair per group
};

inline constexpr PlaMap kMap6001{"GAL6001", "F6001", 8294, 8222, false};
inline constexpr PlaMap kMap6002{"GAL6002B", "F6002", 8330, 8258, true};

inline const PlaMap& MapOf(Family f) {
  return f == Family::Gal6002 ? kMap6002 : kMap6001;
}

constexpr int AndFuse(int term, int column) {
  return term < kSharedTerms ? kTermStride * term + column
                             : kTermStride * kSharedTerms + kColumns * (term - kSharedTerms) + column;
}
constexpr int OrFuse(int term, int sum) {
  return kTermStride * term + kColumns + sum;
}

constexpr bool IsInputPin(int pin) {
  return pin >= 2 && pin <= 11;
}
constexpr bool IsOutputPin(int pin) {
  return pin >= 14 && pin <= 23;
}
constexpr bool IsBuriedNode(int node) {
  return node >= kFirstBuried && node <= kLastBuried;
}
constexpr bool IsInputCellNode(int node) {
  return node >= kFirstInputCell && node <= kLastInputCell;
}
// The pin an input cell reads: nodes 70-79 pins 2-11, nodes 80-89 pins 14-23.
constexpr int InputCellPin(int node) {
  return node < 80 ? node - 68 : node - 66;
}
constexpr int InputCellNode(int pin) {
  return IsInputPin(pin) ? pin + 68 : pin + 66;
}

// True columns (the complement is the next one); -1 where there is none.
// A pin's column reads it through its input cell.
constexpr int PinColumn(int pin) {
  return pin == 1 ? 0 : IsInputPin(pin) ? 2 * (pin - 1) : IsOutputPin(pin) ? 38 + 2 * (23 - pin) : -1;
}
constexpr int BuriedColumn(int node) {
  return 22 + 2 * (node - kFirstBuried);
}
// The register of an output cell: the true column carries Q, the inverse of the pin.
constexpr int RegisterColumn(int pin) {
  return 58 + 2 * (pin - 14);
}

// Sum A (data) and sum B (clock enable or clock term) of each cell.
constexpr int OutputSum(int pin) {
  return 2 * (pin - 14);
}
constexpr int BuriedSum(int node) {
  return 34 - 2 * (node - kFirstBuried);
}
constexpr int EnableTerm(int pin) {
  return kSharedTerms + 23 - pin;
}

// The cell bits: clocked by pin 13, combinational, load unless sum B (else
// only when it is 1), and for outputs not inverting.
constexpr int OutputCellBits(int pin) {
  return kCellBitsBase + 24 + 4 * (pin - 14);
}
constexpr int BuriedCellBits(int node) {
  return kCellBitsBase + 3 * (node - kFirstBuried);
}
// The pair of bits of an input pin's cell: 1 1 plain, 0 1 registered, 0 0 latched.
constexpr int InputCellBits(const PlaMap& map, int pin) {
  if (map.input_cell_pairs) return kInputBitsBase + 2 * (IsInputPin(pin) ? pin - 2 : 10 + 23 - pin);
  return kInputBitsBase + (IsInputPin(pin) ? 0 : 2);
}

}  // namespace abelc::pla
