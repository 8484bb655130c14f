// The reference evaluator: runs a logic model's test vectors straight from
// its equations, cycle by cycle, so tests can check the front end against
// what the designer wrote and the minimiser (and later the fitter) against
// the model.
#pragma once

#include <string>
#include <vector>

#include "abelc/logic_model.h"

namespace abelc {

struct SimulationResult {
  int vectors = 0;
  int passed = 0;
  std::vector<std::string> failures;  // one line per mismatching output
};

// Power-up: every flip-flop holds 0. Clocks (.C. .K. .U. .D.) clock the
// registers whose clock function sees a rising edge; a register without a
// clock equation follows any clocked input.
SimulationResult RunTestVectors(const LogicModel& model);

}  // namespace abelc
