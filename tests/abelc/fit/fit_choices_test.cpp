// The fitter's choices on designs made to need them: the 16V8/20V8 mode and
// the part suffix that forces one, registers declared 'buffer' on those
// parts, the polarity of free 22V10 registers and declared outputs that get
// no equation. Each case keeps the classic compiler's verdict on the same
// text, from its own run, beside ours; where both fit, no output of ours
// uses more product terms than the classic map gives it.
#include <gtest/gtest.h>

#include "abelc/compile.h"
#include "fit_support.h"

namespace {

using namespace abelc;
using namespace abelc_fit_test;

struct Term {
  const char* output;
  int terms;         // ours
  int classic;       // the classic map's product-term rows for it
  bool active_high;  // ours, the polarity fuse
};

struct Case {
  const char* design;   // tests/abelc/ok/<design>.abl
  const char* device;   // replaces the design's part string; "" keeps it
  const char* classic;  // the classic compiler's verdict
  const char* ours;     // the listing's fit line, or its first error
  std::vector<Term> terms;
  const char* warning;  // a warning of ours the listing holds; "" none
};

const Case kCases[] = {
    // No registers, and pins 12 and 19 (15 and 22) read back while the centre
    // pins are inputs: only registered mode holds it.
    {"registered_mode_16v8",
     "",
     "P16V8R, 8 of 8 vectors passed",
     "Device: 'P16V8' fitted as 'P16V8R' (registered mode)",
     {{"y1", 1, 1, true}, {"z", 2, 2, true}, {"y2", 1, 1, false}},
     ""},
    {"registered_mode_16v8",
     "P16V8R",
     "P16V8R, 8 of 8 vectors passed",
     "Device: 'P16V8R' fitted as 'P16V8R' (registered mode)",
     {{"y1", 1, 1, true}, {"z", 2, 2, true}, {"y2", 1, 1, false}},
     ""},
    {"registered_mode_16v8",
     "P16V8C",
     "Logical Error 5003: y1 pin 19 can't be used as input nor feedback",
     "registered_mode_16v8.abl:7:3: error: the logic reads 'y1', but pin 19 of the GAL16V8 cannot be read "
     "by the logic in complex mode",
     {},
     ""},
    {"registered_mode_16v8",
     "P16V8S",
     "Logical Error 5003: a pin 15 can't be used as input nor feedback",
     "registered_mode_16v8.abl:5:3: error: the logic reads 'a', but pin 15 of the GAL16V8 cannot be read by "
     "the logic in simple mode",
     {},
     ""},
    {"registered_mode_20v8",
     "",
     "P20V8R, 8 of 8 vectors passed",
     "Device: 'P20V8' fitted as 'P20V8R' (registered mode)",
     {{"y1", 1, 1, true}, {"z", 2, 2, true}, {"y2", 1, 1, false}},
     ""},
    // Beyond the classic compiler: the XOR in front of the flip-flop lets the pin show D.
    {"reg_buffer_16v8",
     "",
     "Syntax Error 1133: Signal 'q' is already defined as type 'INVERT'.",
     "Device: 'P16V8' fitted as 'P16V8R' (registered mode)",
     {{"y", 2, 0, true}, {"s", 1, 0, true}, {"r", 1, 0, false}, {"q", 1, 0, true}},
     ""},
    {"free_polarity_22v10",
     "",
     "P22V10, 8 of 8 vectors passed; p.D ISTYPE 'INVERT'",
     "Device: 'P22V10' fitted as 'P22V10' (macrocell mode)",
     {{"p", 1, 1, false}, {"q", 1, 1, true}, {"r", 1, 1, true}},
     ""},
    {"output_without_equation",
     "",
     "P16V8AS, 4 of 4 vectors passed, no warning",
     "Device: 'P16V8' fitted as 'P16V8S' (simple mode)",
     {{"y", 1, 1, true}},
     "output_without_equation.abl:7:3: warning: 'w' is declared as an output but has no equation; its pin "
     "stays an input"},
};

TEST(FitChoices, ModesBufferRegistersPolarityAndOutputsWithoutEquations) {
  for (const Case& t : kCases) {
    SCOPED_TRACE(std::string(t.design) + " " + t.device + " (classic: " + t.classic + ")");
    std::string source = ReadFile(std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/ok/" + t.design + ".abl");
    if (*t.device) {
      const std::size_t at = source.find("device '") + 8;
      source.replace(at, source.find('\'', at) - at, t.device);
    }
    const std::string file = std::string(t.design) + ".abl";
    const CompiledFiles files = CompileToFiles(file, source, "Thu Jan  1 00:00:00 2026");
    std::string listing = files.listing;
    std::erase(listing, '\r');
    EXPECT_NE(listing.find(std::string(t.ours) + "\n"), std::string::npos) << listing;
    if (*t.warning) {
      EXPECT_NE(listing.find(std::string(t.warning) + "\n"), std::string::npos) << listing;
    }
    EXPECT_EQ(files.ok, !t.terms.empty());
    if (!files.ok) continue;
    EXPECT_EQ(files.vectors_failed, 0) << files.sim;
    Compilation c = CompileSource(source);
    std::optional<FitResult> fit = FitDesign(c.model, c.minimised, c.diags);
    ASSERT_TRUE(fit);
    for (const std::string& p : CompareWithModel(c.model, *fit)) ADD_FAILURE() << p;
    std::size_t k = 0;
    for (const FittedCell& cell : fit->cells) {
      if (cell.output < 0) continue;
      ASSERT_LT(k, t.terms.size());
      const Term& want = t.terms[k++];
      const Output& o = c.model.outputs[static_cast<std::size_t>(cell.output)];
      EXPECT_EQ(c.model.signals[static_cast<std::size_t>(o.signal)].name, want.output);
      EXPECT_EQ(cell.terms_used, want.terms) << want.output;
      EXPECT_EQ(cell.active_high, want.active_high) << want.output;
      if (want.classic > 0) {
        EXPECT_LE(cell.terms_used, want.classic) << want.output;
      }
    }
    EXPECT_EQ(k, t.terms.size());
  }
}

}  // namespace
