// The fuse-map model against maps and vectors nobody here wrote.
#include "abelc/fuse_model.h"

#include <gtest/gtest.h>

#include "abelc/vectors.h"
#include "fit_support.h"

namespace {

using namespace abelc;
using namespace abelc_fit_test;

TEST(FuseMapModel, PassesTheVectorsOfAnother22V10Compiler) {
  JedecMap map = ReadJedec(ReadFile(TestData("z80computer_Z80_ADRSEL.jed")));
  ASSERT_EQ(map.vectors.size(), 22u);
  FuseMapModel model(Family::Gal22V10, map.fuses);
  VectorRun run = RunPinVectors(model, map.vectors);
  std::string report;
  for (const VectorMismatch& m : run.mismatches) {
    report += "vector " + std::to_string(m.vector) + " pin " + std::to_string(m.pin) + ": " + m.found +
              " found, " + m.expected + " expected\n";
  }
  EXPECT_EQ(run.passed, 22) << report;
}

}  // namespace
