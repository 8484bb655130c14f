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
    {"counter4_load", "q3", 6},      {"counter4_load", "q2", 5},     {"counter4_load", "q1", 4},
    {"counter4_load", "q0", 3},      {"counter4_load", "co", 1},     {"updown_decade", "q3", 8},
    {"updown_decade", "q2", 8},      {"updown_decade", "q1", 7},     {"updown_decade", "q0", 5},
    {"updown_decade", "maxmin", 2},  {"updown_decade", "rco", 1},    {"sequence_detector", "s1", 2},
    {"sequence_detector", "s0", 2},  {"sequence_detector", "z", 1},  {"mux12to4", "y3", 3},
    {"mux12to4", "y2", 3},           {"mux12to4", "y1", 3},          {"mux12to4", "y0", 3},
};

std::size_t TermsOf(const Compilation& c, const std::string& output) {
  for (const MinimisedOutput& mo : c.minimised.outputs) {
    const Output& o = c.model.outputs[static_cast<std::size_t>(mo.output)];
    if (c.model.signals[static_cast<std::size_t>(o.signal)].name == output && mo.logic) return mo.logic->Chosen().size();
  }
  return SIZE_MAX;
}

TEST(ClassicDesigns, NoOutputNeedsMoreTermsThanTheClassicCompiler) {
  for (const TermLimit& limit : kClassicCounts) {
    const std::string source = ReadText(DesignDir("ok") + "/" + limit.design + ".abl");
    Compilation c = CompileSource(source);
    ASSERT_FALSE(c.diags.HasErrors()) << limit.design;
    std::size_t terms = TermsOf(c, limit.output);
    EXPECT_LE(terms, limit.classic_terms) << limit.design << " " << limit.output;
    std::printf("%-18s %-7s %zu terms (classic %zu)\n", limit.design, limit.output, terms, limit.classic_terms);
  }
}

}  // namespace
