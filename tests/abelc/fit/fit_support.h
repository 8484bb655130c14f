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
