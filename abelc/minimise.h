// Two-level minimisation: the expand / irredundant / reduce loop over a
// function's on-set with its don't-care set, run for the function and for its
// complement so the fitter can take whichever polarity needs fewer terms.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "abelc/cover.h"
#include "abelc/diagnostics.h"
#include "abelc/logic_model.h"

namespace abelc {

// The work one function may cost before minimisation gives up on it.
constexpr std::int64_t kMinimiseWorkPerFunction = 40'000'000;

// Minimises `on` with the don't cares `dc`. False when the work budget ran out.
bool MinimiseCover(const Cover& on, const Cover& dc, Cover& result,
                   std::int64_t budget = kMinimiseWorkPerFunction);

struct MinimisedFunction {
  Cover positive;             // the function
  Cover negative;             // its complement (empty cover unless computed)
  bool complemented = false;  // the chosen form is `negative`
  bool has_positive = false;  // false under 'neg'
  bool has_negative = false;  // false under 'pos' and for control functions
  const Cover& Chosen() const { return complemented ? negative : positive; }
};

struct MinimisedOutput {
  int output = 0;  // index into LogicModel::outputs
  std::optional<MinimisedFunction> logic, clock, reset, preset, enable;
  std::optional<MinimisedFunction> clock_enable, latch_enable;
  int terms_before = 0;  // product terms of the unminimised logic function
};

struct MinimisedDesign {
  std::vector<MinimisedOutput> outputs;
};

// A 22V10 register written pin to pin (':=') whose design fixes neither its
// inverter ('buffer', 'invert') nor its polarity ('pos', 'neg'), gives it no
// reset or preset and never reads its flip-flop ('.Q'): the fitter builds it
// in whichever form needs fewer terms, behind the matching inverter.
bool RegisterInverterIsFree(const LogicModel& model, const Output& o);

// Every function of every output; the logic function in both polarities
// unless 'pos' or 'neg' fixes one. An output over the work limit gets an
// error naming it.
MinimisedDesign MinimiseDesign(const LogicModel& model, Diagnostics& diags);
// The same for one output (an index into model.outputs).
MinimisedOutput MinimiseOutput(const LogicModel& model, int output, Diagnostics& diags);

}  // namespace abelc
