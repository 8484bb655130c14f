// The fitter of the GAL6001 and GAL6002B: one pool of 64 product terms for
// every sum of the output and buried cells (a product that several sums use
// is one term), a term per output enable, the shared reset term (node 25),
// the cells' configuration bits and the input cells.
#pragma once

#include <optional>

#include "abelc/diagnostics.h"
#include "abelc/fit.h"
#include "abelc/logic_model.h"
#include "abelc/minimise.h"

namespace abelc {

// Nothing when the design does not fit; the errors say why.
std::optional<FitResult> FitPla(const LogicModel& model, const MinimisedDesign& design, Diagnostics& diags);

}  // namespace abelc
