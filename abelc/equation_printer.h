// The reduced equations in the layout of the report's "Programmed Logic"
// page: one group per output, continuation lines led by '#'.
#pragma once

#include <string>

#include "abelc/logic_model.h"
#include "abelc/minimise.h"

namespace abelc {

// Lines end in '\n'; writers of CR LF files convert.
std::string PrintEquations(const LogicModel& model, const MinimisedDesign& design);

}  // namespace abelc
