// Combinational nodes on devices without buried cells. A node's function
// takes the place of its name wherever the design reads it, the functions
// that read it are minimised again, and the node needs no cell. Registered
// nodes, and nodes with an enable, clock, reset or preset, stay as they are
// (the fitter then asks for a pin).
#pragma once

#include "abelc/diagnostics.h"
#include "abelc/logic_model.h"
#include "abelc/minimise.h"

namespace abelc {

// Rewrites `model` and `design` in place: the readers' functions no longer
// read collapsed nodes, and the nodes leave `design`. False after errors
// (nodes that read each other in a loop, or a reader over the work limit).
bool CollapseNodes(LogicModel& model, MinimisedDesign& design, Diagnostics& diags);

}  // namespace abelc
