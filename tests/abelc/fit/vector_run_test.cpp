// Test vectors at pin level: register preload, bidirectional pins and clock
// edges between vectors give the same verdict on the fitted map as in the
// reference evaluator (or, for a bus conflict, a failure the map alone sees).
#include <gtest/gtest.h>

#include "abelc/compile.h"
#include "abelc/evaluate.h"

namespace {

using namespace abelc;

const char* const kDate = "Thu Jan  1 00:00:00 2026";

const struct {
  const char* what;
  const char* source;
  int reference_passed, map_passed, vectors;
  const char* in_sim;  // a line the .sim file holds
} kCases[] = {
    {"preload of a 16V8 register, which shows /Q on its pin",
     "module m\n d device 'P16V8';\n clk, a pin 1, 2;\n q1, q0 pin 18, 19 istype 'reg';\n P = .P.; C = .C.;\n"
     "equations\n [q1, q0].clk = clk;\n q0 := a;\n q1 := q0;\n"
     "test_vectors ([clk, a] -> [q1, q0])\n [P, 0] -> [1, 0];\n [C, 1] -> [0, 1];\n [P, 0] -> [0, 1];\n"
     " [C, 0] -> [1, 0];\nend m\n",
     4, 4, 4, "V0001  P 0 H L"},
    {"preload of an active-low 22V10 register",
     "module m\n d device 'P22V10';\n clk, a pin 1, 2;\n q pin 23 istype 'reg,invert';\n P = .P.; C = .C.;\n"
     "equations\n q.clk = clk;\n q := !q & a;\n"
     "test_vectors ([clk, a] -> q)\n [P, 0] -> 1;\n [C, 1] -> 0;\n [C, 1] -> 1;\n [P, 1] -> 0;\n [C, 1] -> "
     "1;\n"
     "end m\n",
     5, 5, 5, "V0004  P 1 L"},
    {"preload through the register pins listed as inputs, on a 'reg_d,invert' register",
     "module m\n d device 'P16V8';\n clk, oe pin 1, 11;\n q1, q0 pin 14, 15 istype 'reg_d,invert';\n"
     " P = .P.; C = .C.; X = .X.;\nequations\n [q1, q0].c = clk;\n [q1, q0].oe = !oe;\n"
     " q1.d = !q0.q;\n q0.d = !q1.q;\n"
     "test_vectors ([clk, oe, [q1, q0]] -> [q1, q0])\n [P, 1, 2] -> X;\n [0, 0, X] -> 2;\n"
     " [P, 1, 1] -> X;\n [0, 0, X] -> 1;\nend m\n",
     4, 4, 4, "V0003  P 1 0 1"},
    {"a bidirectional pin driven while its output is off",
     "module m\n d device 'P16V8';\n e, a pin 2, 3;\n b pin 14 istype 'com';\n y pin 19 istype 'com';\n"
     " Z = .Z.;\nequations\n b.oe = e;\n b = a;\n y = b.pin;\n"
     "test_vectors ([e, a, b] -> [b, y])\n [1, 1, .X.] -> [1, 1];\n [0, 1, 0] -> [Z, 0];\n [0, 0, 1] -> [Z, "
     "1];\n"
     "end m\n",
     3, 3, 3, "V0003  0 0 1 H"},
    {"a vector that drives a pin the device drives too",
     "module m\n d device 'P16V8';\n e, a pin 2, 3;\n b pin 14 istype 'com';\n Z = .Z.;\n"
     "equations\n b.oe = e;\n b = a;\n"
     "test_vectors ([e, a, b] -> b)\n [0, 1, 0] -> Z;\n [1, 1, 0] -> .X.;\nend m\n",
     2, 1, 2, "b 14, 'H' found  'Z' expected"},
    {"a clock that rises between vectors clocks",
     "module m\n d device 'P22V10';\n clk, a pin 1, 2;\n q pin 23 istype 'reg,buffer';\n"
     "equations\n q.clk = clk;\n q := a;\n"
     "test_vectors ([clk, a] -> q)\n [0, 1] -> 0;\n [1, 1] -> 1;\n [0, 0] -> 1;\n [1, 0] -> 0;\nend m\n",
     4, 4, 4, "4 out of 4 vectors passed."},
};

TEST(VectorRun, MapAndReferenceAgreeOnPreloadBusesAndEdges) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    Compilation compiled = CompileSource(c.source);
    ASSERT_FALSE(compiled.diags.HasErrors());
    SimulationResult reference = RunTestVectors(compiled.model);
    EXPECT_EQ(reference.passed, c.reference_passed);
    EXPECT_EQ(reference.vectors, c.vectors);
    CompiledFiles files = CompileToFiles("m.abl", c.source, kDate);
    ASSERT_TRUE(files.ok) << files.listing;
    const std::string passed =
        std::to_string(c.map_passed) + " out of " + std::to_string(c.vectors) + " vectors passed.";
    EXPECT_NE(files.listing.find(passed), std::string::npos) << files.listing;
    EXPECT_NE(files.sim.find(std::string(c.in_sim) + "\r\n"), std::string::npos) << files.sim;
  }
}

}  // namespace
