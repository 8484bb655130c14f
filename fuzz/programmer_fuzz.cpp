// The programmer commands against a box whose answers are the fuzzer's
// bytes; fuzz/fuzzed_box.h says how the bytes are read.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzzed_box.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RunFuzzedBoxSession(data, size);
  return 0;
}
