// The fitter: places a minimised design on its GAL. It checks what each
// declared pin can do, numbers the pins the design left open, chooses the
// 16V8/20V8 mode, gives each output its product-term rows and polarity and
// sets the architecture fuses. The result is the device's whole fuse map.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "abelc/diagnostics.h"
#include "abelc/gal_devices.h"
#include "abelc/logic_model.h"
#include "abelc/minimise.h"

namespace abelc {

struct FittedCell {
  int pin = 0;
  int output = -1;  // index into LogicModel::outputs; -1: no output here
  int input = -1;   // signal read from this pin when it is no output; -1 none
  bool registered = false;
  bool active_high = false;  // the polarity fuse
  bool enable_term = false;  // the cell has an OE row in this mode
  int terms_used = 0, terms_max = 0;
};

struct FitResult {
  GalMode mode = GalMode::Simple;
  std::string part;                 // the part as reported: "P16V8R", "P22V10"
  int fuse_count = 0;               // QF: the map's length as written
  std::vector<int> pin_of;          // per signal (a node: the cell it took); 0 unplaced
  std::vector<int> node_of;         // GAL6001/6002: per signal, the node number of its cell; 0 none
  std::vector<std::uint8_t> fuses;  // 0 or 1, fuse_count entries
  std::vector<FittedCell> cells;    // the device's output cells, highest pin first
  MinimisedDesign implemented;      // the minimised design in the polarities the map uses
  // Per output: the inverter behind each register as built (Buffer or
  // Invert); Unknown for combinational outputs.
  std::vector<Inverter> inverters;
  int terms_used = 0, terms_total = 0;
};

// Nothing when the design does not fit; the errors say why.
std::optional<FitResult> FitDesign(const LogicModel& model, const MinimisedDesign& design,
                                   Diagnostics& diags);

// The model as the map builds it: each register's inverter as the fit chose
// it where the design left it free. The writers and the map's checks read
// this model, so a register's power-up level and '.Q' mean what the chip does.
LogicModel FittedModel(const LogicModel& model, const FitResult& fit);

}  // namespace abelc
