// Test vectors run on a decoded GAL16V8, GAL20V8 or macrocell GAL map through
// the compiler's fuse-map model, the registers starting as the chip powers
// up; the report is the vector table of the compiler's simulation file.
#pragma once

#include <string>
#include <vector>

#include "logic/map_logic.h"

struct MapSimulation {
  std::vector<std::string> Lines;  // the vector table, the closing count last
  int Passed = 0;
  int Total = 0;
};

// vectors: one string per vector, one character per pin (as the V fields
// of a JEDEC file hold them). The columns are named with logic.PinNames.
MapSimulation SimulateMap(const MapLogic& logic, const std::vector<std::string>& vectors);
