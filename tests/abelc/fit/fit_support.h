// Helpers of the fitter tests: JEDEC files of other tools read back into a
// fuse list and pin vectors, and the shared test data's paths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace abelc_fit_test {

struct JedecMap {
  int fuse_count = 0;
  std::vector<std::uint8_t> fuses;
  std::vector<std::string> vectors;  // the V fields' pin characters
};

// Reads QF, F, L and V fields; other fields are skipped.
JedecMap ReadJedec(const std::string& text);
std::string ReadFile(const std::string& path);
std::string TestData(const std::string& name);  // a file of the shared jedec folder

}  // namespace abelc_fit_test

#include "abelc/fit.h"

namespace abelc_fit_test {

// Runs the fitted map on the fuse-map model against the logic model's own
// meaning, at every input combination and register state (a fixed random
// sample beyond 2^16): pin levels with pin 1 low, the registers after a
// rising edge on pin 1, and the pin levels after it. Points where a don't
// care applies are skipped. Returns one line per disagreement (at most 10).
std::vector<std::string> CompareWithModel(const abelc::LogicModel& m, const abelc::FitResult& fit);

// The pins (above pin 1, the clock) the fit gave the design's inputs and outputs.
struct SignalPins {
  std::vector<int> inputs, outputs;
};
SignalPins PinsOf(const abelc::LogicModel& m, const abelc::FitResult& fit);

}  // namespace abelc_fit_test

namespace abelc_fit_test {

// Runs two maps of one device side by side at every combination of the
// input pins and register states of the output pins (pin 1 is the clock),
// comparing the output pins with pin 1 low and after its rising edge.
std::vector<std::string> CompareMaps(abelc::Family family, const std::vector<std::uint8_t>& expected,
                                     const std::vector<std::uint8_t>& actual,
                                     const std::vector<int>& input_pins, const std::vector<int>& output_pins);

}  // namespace abelc_fit_test
