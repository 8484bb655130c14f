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

namespace {

// Single fuses of the classic GAL6001/6002 and GAL20XV10 maps (tests/abelc/maps/)
// flipped, and how many of the map's own vectors the classic simulator then
// passed: the model reads every cell, input and term fuse as that simulator does
// (but the GAL20XV10's mode fuse, which it ignores for the header's part name).
TEST(FuseMapModel, RunsFlippedMapsAsTheClassicSimulatorDoes) {
  const struct {
    const char* map;
    Family family;
    int fuse;
    int passed;
  } kFlips[] = {
      {"f6001/registers_with_vectors", Family::Gal6001, 8214, 7},  // y23 clocked by its empty sum B
      {"f6001/registers_with_vectors", Family::Gal6001, 8215, 7},  // y23 combinational
      {"f6001/registers_with_vectors", Family::Gal6001, 8216, 2},  // y23 loads only when sum B is 1
      {"f6001/registers_with_vectors", Family::Gal6001, 8217, 0},  // y23 does not invert
      {"f6001/registers_with_vectors", Family::Gal6001, 8210, 9},  // y22's term clock, pin 13 ignored
      {"f6001/registers_with_vectors", Family::Gal6001, 8212, 7},  // y22 loads unless its clock sum
      {"f6001/registers_with_vectors", Family::Gal6001, 8213, 1},  // y22 does not invert
      {"f6001/registers_with_vectors", Family::Gal6001, 8175, 5},  // n33 clocked by its empty sum B
      {"f6001/registers_with_vectors", Family::Gal6001, 8177, 5},  // n33 loads only when sum B is 1
      {"f6001/registers_with_vectors", Family::Gal6001, 8218, 4},  // pins 2-11 registered, pin 1 never rises
      {"f6001/registers_with_vectors", Family::Gal6001, 8219, 9},  // still plain
      {"f6001/registers_with_vectors", Family::Gal6001, 78, 9},    // term 0 feeds sum 0, y14, unused
      {"f6001/registers_with_vectors", Family::Gal6001, 2, 5},     // column 2 (pin 2) joins term 0
      {"f6001/registers_with_vectors", Family::Gal6001, 7296, 0},  // y23's enable term reads pin 1
      {"f6001/input_cells_latched", Family::Gal6001, 8218, 4},
      {"f6001/input_cells_latched", Family::Gal6001, 8219, 5},  // latched becomes registered
      {"f6001/input_cells_latched", Family::Gal6001, 8220, 6},  // pins 14-23: unused
      {"f6001/input_cells_registered", Family::Gal6001, 8218, 4},
      {"f6001/input_cells_registered", Family::Gal6001, 8219, 5},
      {"f6001/enable_and_reset", Family::Gal6001, 8076, 7},  // the reset term also reads pin 1
      {"f6001/enable_and_reset", Family::Gal6001, 8080, 7},
      {"f6002/mixed_input_cells", Family::Gal6002, 8218, 3},  // pin 2's own cell
      {"f6002/mixed_input_cells", Family::Gal6002, 8219, 5},
      {"f6002/mixed_input_cells", Family::Gal6002, 8238, 5},     // pin 23's cell, not read
      {"p20xv10/xor_sums", Family::Gal20XV10, 1610, 8},          // y23's XOR cell read as a plain sum
      {"p20xv10/xor_sums", Family::Gal20XV10, 1612, 5},          // y21's too
      {"p20xv10/xor_sums", Family::Gal20XV10, 1620, 16},         // y23 combinational: every vector clocks
      {"p20xv10/xor_sums", Family::Gal20XV10, 1600, 16},         // an XOR cell's polarity fuse does nothing
      {"p20xv10/xor_sums", Family::Gal20XV10, 1606, 0},          // y17's plain sum inverted
      {"p20xv10/pin13_enable", Family::Gal20XV10, 1610, 1},      // y23 a plain sum with its enable row
      {"p20xv10/fb_mode_enable_term", Family::Gal20XV10, 0, 3},  // pin 2 joins y23's enable term
  };
  for (const auto& f : kFlips) {
    SCOPED_TRACE(std::string(f.map) + " fuse " + std::to_string(f.fuse));
    JedecMap map =
        ReadJedec(ReadFile(std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/maps/" + f.map + ".jed"));
    ASSERT_FALSE(map.vectors.empty());
    map.fuses[static_cast<std::size_t>(f.fuse)] ^= 1;
    FuseMapModel model(f.family, map.fuses);
    EXPECT_EQ(RunPinVectors(model, map.vectors).passed, f.passed);
  }
}

}  // namespace
