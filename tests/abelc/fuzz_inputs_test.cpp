// Inputs the fuzzer once found to hang or crash the compiler, kept in
// tests/abelc/fuzz/. Each goes through every stage and the printing of its
// diagnostics as the fuzz target does, and must end with a verdict of its own:
// errors or equations, never the "internal error" of a stage that threw.
#include <gtest/gtest.h>

#include "abelc/compile.h"
#include "abelc/equation_printer.h"
#include "golden_support.h"

namespace {

using namespace abelc;

TEST(FuzzInputs, EachEndsWithItsOwnDiagnostics) {
  const std::vector<std::string> names = abelc_test::DesignNames("fuzz");
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string source = abelc_test::ReadText(abelc_test::DesignDir("fuzz") + "/" + name + ".abl");
    const Compilation c = CompileSource(source);
    const std::string text = abelc_test::DiagnosticText(c, name + ".abl", source);
    EXPECT_EQ(text.find("internal error"), std::string::npos) << text;
    if (!c.diags.HasErrors()) PrintEquations(c.model, c.minimised);
  }
}

}  // namespace
