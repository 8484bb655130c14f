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
  bool stopped = false;  // a stage stopped on an unexpected exception ("internal error")
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
  bool stopped = false;                // a stage stopped on an unexpected exception
  int vectors_failed = 0;              // test vectors the fitted map fails
  std::string listing, jed, doc, sim;  // CR LF line ends
  std::string summary;                 // the verdict file's text, see kSummaryExtension
  int errors = 0, warnings = 0;        // as the listing's closing line counts them
  std::size_t count_line = 0;          // where that line starts in `listing`
};

// The verdict the compiler leaves for the compile step beside a work copy
// that has a side file (abel/abelcpl.sum), CR LF lines of "key=value":
// first "compiler=" the compiler's name and version, which tells the file
// from others of the name; "show=" a line for the user, in order (the fit and its terms, each
// warning, the vector result); "vectors=" the test vectors run; "failed="
// those that failed; "simulation=" the name of the simulation file.
constexpr const char* kSummaryExtension = ".sum";

// Compiles, fits and simulates `source`; `file_name` ("abelcpl.abl") names
// the design in messages and its base names the outputs. `created` is the
// time stamp the files carry.
CompiledFiles CompileToFiles(const std::string& file_name, const std::string& source,
                             const std::string& created);
// The same for a source that came from `context`: messages name
// context.file_name at its line numbers, and an END label naming the module
// as it was before the compile step renamed it draws no warning. The
// outputs keep the base name of `file_name` ("abelcpl.abl").
CompiledFiles CompileToFiles(const std::string& file_name, const std::string& source,
                             const std::string& created, const SourceContext& context);

// The side file the compile step leaves beside its work copy: abel/abelcpl.src
// beside abel/abelcpl.abl. Lines of "key=value": "design=" the user's design
// path (absolute), "dropped=" the lines dropped before MODULE, "module=" the
// module name before the rewrite. Unknown keys are skipped.
constexpr const char* kSideFileExtension = ".src";

// The context of the design at `path`: its own file and folder, or, for a
// work copy with a side file beside it, the user's design as the side file
// describes it.
SourceContext ContextOf(const std::string& path);

// `abelc DESIGN.abl` writes DESIGN.out, .jed, .doc and .sim beside the
// design (into DIR with `--output-folder DIR` or `-o DIR`), all or none, and
// prints the listing; a file of these names that no ABEL compiler wrote is
// kept aside, never replaced or removed, and a design named like one of the
// outputs is refused (2); `abelc --equations DESIGN.abl` prints the
// reduced equations; --help and --version print and return 0. With no
// operand only the compile step's runner (as_runner) compiles, the design
// abel/abelcpl.abl of the working directory with its side file
// abel/abelcpl.src when present. Returns the exit status, the verdict: 0 the
// design fitted and every test vector passed, 1 errors (no fuse file),
// 2 usage, 3 the design fitted but a test vector failed. A design that
// cannot be read, or outputs that cannot be written, give 1, and the first
// line on `err` names the file and the reason.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool as_runner = false);

}  // namespace abelc
