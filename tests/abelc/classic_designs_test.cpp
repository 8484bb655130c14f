// Minimisation quality on the designs of the classic compiler's era: no
// output may need more product terms than that compiler reported for it.
#include <gtest/gtest.h>

#include "abelc/compile.h"
#include "golden_support.h"

namespace {

using namespace abelc;
using namespace abelc_test;

struct TermLimit {
  const char* design;
  const char* output;
  std::size_t classic_terms;
};

const TermLimit kClassicCounts[] = {
    {"counter4_load", "q3", 6},     {"counter4_load", "q2", 5},    {"counter4_load", "q1", 4},
    {"counter4_load", "q0", 3},     {"counter4_load", "co", 1},    {"updown_decade", "q3", 8},
    {"updown_decade", "q2", 8},     {"updown_decade", "q1", 7},    {"updown_decade", "q0", 5},
    {"updown_decade", "maxmin", 2}, {"updown_decade", "rco", 1},   {"sequence_detector", "s1", 2},
    {"sequence_detector", "s0", 2}, {"sequence_detector", "z", 1}, {"mux12to4", "y3", 3},
    {"mux12to4", "y2", 3},          {"mux12to4", "y1", 3},         {"mux12to4", "y0", 3},
};

std::size_t TermsOf(const Compilation& c, const std::string& output) {
  for (const MinimisedOutput& mo : c.minimised.outputs) {
    const Output& o = c.model.outputs[static_cast<std::size_t>(mo.output)];
    if (c.model.signals[static_cast<std::size_t>(o.signal)].name == output && mo.logic)
      return mo.logic->Chosen().size();
  }
  return SIZE_MAX;
}

// The product-term rows the fitted map gives the output.
std::size_t FittedTermsOf(const Compilation& c, const FitResult& fit, const std::string& output) {
  for (const FittedCell& cell : fit.cells) {
    if (cell.output < 0) continue;
    const Output& o = c.model.outputs[static_cast<std::size_t>(cell.output)];
    if (c.model.signals[static_cast<std::size_t>(o.signal)].name == output)
      return static_cast<std::size_t>(cell.terms_used);
  }
  return SIZE_MAX;
}

// Minimised, and as fitted on the design's device (where the polarity may be
// fixed by the register's inverter).
TEST(ClassicDesigns, NoOutputNeedsMoreTermsThanTheClassicCompiler) {
  for (const TermLimit& limit : kClassicCounts) {
    const std::string source = ReadText(DesignDir("ok") + "/" + limit.design + ".abl");
    Compilation c = CompileSource(source);
    ASSERT_FALSE(c.diags.HasErrors()) << limit.design;
    std::optional<FitResult> fit = FitDesign(c.model, c.minimised, c.diags);
    ASSERT_TRUE(fit) << limit.design;
    std::size_t terms = TermsOf(c, limit.output);
    std::size_t fitted = FittedTermsOf(c, *fit, limit.output);
    EXPECT_LE(terms, limit.classic_terms) << limit.design << " " << limit.output;
    EXPECT_LE(fitted, limit.classic_terms) << limit.design << " " << limit.output << " as fitted";
    std::printf("%-18s %-7s %zu terms, %zu fitted on the %s (classic %zu)\n", limit.design, limit.output,
                terms, fitted, fit->part.c_str(), limit.classic_terms);
  }
}

}  // namespace
