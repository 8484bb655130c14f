// The compiler's entry points: source text through every stage, and the
// command line. Nothing thrown inside a stage leaves them; failures are
// diagnostics.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "abelc/diagnostics.h"
#include "abelc/fit.h"
#include "abelc/logic_model.h"
#include "abelc/minimise.h"
#include "abelc/source_context.h"

namespace abelc {

struct Compilation {
  Diagnostics diags;
  LogicModel model;
  MinimisedDesign minimised;
};

// Parses, elaborates and minimises. Stops after the first stage with errors.
// `context` says where @INCLUDE and LIBRARY look for files.
Compilation CompileSource(const std::string& source);
Compilation CompileSource(const std::string& source, const SourceContext& context);

// FUSES statements have the last word on a fitted map: sets the fuses they
// name (those the map holds).
void ForceFuses(const LogicModel& model, std::vector<std::uint8_t>& fuses);

// The four files of one compilation. Without errors all four are written;
// with errors only the listing, and the caller removes stale outputs.
struct CompiledFiles {
  bool ok = false;
  std::string listing, jed, doc, sim;  // CR LF line ends
};

// Compiles, fits and simulates `source`; `file_name` ("abelcpl.abl") names
// the design in messages and its base names the outputs. `created` is the
// time stamp the files carry.
CompiledFiles CompileToFiles(const std::string& file_name, const std::string& source,
                             const std::string& created);
CompiledFiles CompileToFiles(const std::string& file_name, const std::string& source,
                             const std::string& created, const SourceContext& context);

// `abelc [DESIGN.abl]` writes DESIGN.out, .jed, .doc and .sim beside the
// design (abel/abelcpl.abl of the working directory when no design is
// named) and prints the listing; `abelc --equations DESIGN.abl` prints the
// reduced equations. Returns the exit status (0 ok, 1 errors, 2 usage).
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace abelc
