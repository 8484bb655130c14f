// The logic a GAL6001 or GAL6002B fuse map holds: the shared product terms,
// which of them feed each output and buried cell, how each cell clocks, its
// enable, the shared reset term and each input cell's setting. Read by the
// decoder of map_logic.h, which also fills the output pins' CellLogic.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "abelc/cover.h"

struct PlaCellLogic {
  int Pin = 0;   // an output pin, or 0 for a buried cell
  int Node = 0;  // a buried cell's node (26..33), else 0
  bool Used = false;
  bool Registered = false;
  bool Pin13Clock = false;   // else a register loads as sum B rises
  bool ClockEnable = false;  // pin-13 clock, loading only while sum B is 1
  // Pin-13 clock, holding while sum B is 1: how the classic compiler writes
  // a JK register (K in sum B), and how the classic simulator runs it.
  bool HoldWhileB = false;
  bool ClockOnFall = false;     // a term clock with the third bit set: the register loads as sum B falls
  bool Inverting = true;        // an output cell's pin shows NOT sum A (NOT Q)
  std::vector<int> SumA, SumB;  // the shared terms that feed them
  abelc::Cover EnableTerm;      // an output's: one cube, or none when never enabled
};

struct PlaLogic {
  std::vector<std::optional<abelc::Cube>> Terms;  // the 64 shared terms; none: never true
  std::vector<PlaCellLogic> Cells;                // pins 23..14, then nodes 26..33
  abelc::Cover Reset;                             // the shared reset term (node 25)
  std::vector<char> InputCell;         // per pin: 'p' plain, 'r' registered on pin 1, 'l' latched; ' ' none
  std::vector<std::string> NodeNames;  // per node number up to 89: the name used for it
};

// Per column pair of the array: does a used cell's sum, clock, clock enable
// or enable, or (with a register) the reset term, read it?
std::vector<bool> PlaPairsRead(const PlaLogic& logic);
