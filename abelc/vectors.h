// Test vectors at pin level, as the JEDEC file holds them (one character per
// pin), and their run on the fuse-map model.
#pragma once

#include <string>
#include <vector>

#include "abelc/fuse_model.h"
#include "abelc/logic_model.h"

namespace abelc {

// One string per vector, character k for pin k + 1: inputs 0 1 C K U D P X,
// expected outputs H L Z, 'N' for the supply pins and outputs not tested,
// 'X' for pins the vector leaves alone. A bidirectional pin that the vector
// drives while its output is expected off (or not tested) carries the
// driven level.
std::vector<std::string> PinVectors(const LogicModel& model, const std::vector<int>& pin_of, int pins);

struct VectorMismatch {
  int vector = 0;  // 1-based
  int pin = 0;
  char found = 0, expected = 0;
};

struct UnsettledPin {
  int vector = 0;  // 1-based
  int pin = 0;
};

struct VectorRun {
  std::vector<std::string> shown;  // per vector: inputs as given, outputs as simulated
  std::vector<VectorMismatch> mismatches;
  std::vector<UnsettledPin> unsettled;  // outputs that oscillated while the vector was applied
  int passed = 0;
};

// Power-up state: every register 0. 'C' pulses a pin 0-1-0, 'K' 1-0-1,
// 'U' 0-1 and 'D' 1-0; a plain 0 to 1 on pin 1 between vectors clocks too.
// 'P' holds its pin low and preloads every register whose pin the vector
// drives (0, 1) or expects (H, L) with the level its pin then shows,
// whatever the polarity between register and pin. A pin the vector drives fails when the
// device drives it too; a vector during which an output does not settle fails.
VectorRun RunPinVectors(FuseMapModel& model, const std::vector<std::string>& vectors);

// The vector table as the .sim file shows it: the names (index = pin, "" for
// none) of the pins the vectors use written vertically above their columns,
// one line per vector with each failure explained under it, and the closing
// "N out of M vectors passed." Lines end in "\n".
std::string VectorTableText(const std::vector<std::string>& names, const std::vector<std::string>& vectors,
                            const VectorRun& run);

}  // namespace abelc
