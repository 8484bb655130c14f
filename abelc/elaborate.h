// Elaboration: resolves the names, sets, constants and sections of a parsed
// module into its logic model.
#pragma once

#include "abelc/ast.h"
#include "abelc/diagnostics.h"
#include "abelc/logic_model.h"

namespace abelc {

LogicModel Elaborate(const Module& module, Diagnostics& diags);

}  // namespace abelc
