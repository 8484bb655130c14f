// The compiler's entry points: source text through every stage, and the
// command line. Nothing thrown inside a stage leaves them; failures are
// diagnostics.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "abelc/diagnostics.h"
#include "abelc/logic_model.h"
#include "abelc/minimise.h"

namespace abelc {

struct Compilation {
  Diagnostics diags;
  LogicModel model;
  MinimisedDesign minimised;
};

// Parses, elaborates and minimises. Stops after the first stage with errors.
Compilation CompileSource(const std::string& source);

// `abelc ARGS...`; returns the exit status (0 ok, 1 errors, 2 usage).
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace abelc
