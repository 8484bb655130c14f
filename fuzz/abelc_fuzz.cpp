// Any text as an ABEL design, through every stage the compiler runs and the
// printing of its diagnostics and equations. A stage that stops on an
// unexpected exception is a finding too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "abelc/compile.h"
#include "abelc/equation_printer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string source(reinterpret_cast<const char*>(data), size);
  abelc::Compilation c = abelc::CompileSource(source);
  std::string text;
  for (const abelc::Diagnostic& d : c.diags.List()) {
    if (d.message.rfind("internal error", 0) == 0) std::abort();
    text += abelc::FormatDiagnostic(d, "design.abl", source);
  }
  if (!c.diags.HasErrors()) text += abelc::PrintEquations(c.model, c.minimised);
  return 0;
}
