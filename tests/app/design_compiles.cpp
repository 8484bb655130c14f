// Compiling a design with the compiler library for the window tests.
#include "tests/app/design_compiles.h"

#include "abelc/compile.h"
#include "abelc/fit.h"

std::string CompiledPart(const std::string& design) {
  abelc::Compilation c = abelc::CompileSource(design);
  std::optional<abelc::FitResult> fit;
  if (!c.diags.HasErrors()) fit = abelc::FitDesign(c.model, c.minimised, c.diags);
  if (fit) return fit->part;
  std::string errors = "error: ";
  for (const abelc::Diagnostic& d : c.diags.List()) errors += d.message + "\n";
  return errors;
}
