// Any bytes as the .doc report beside the current design, drawn into the log.
#include <cstddef>
#include <cstdint>

#include "base/design_path.h"
#include "commands/dispatch.h"
#include "devices/pinout.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/recording_window.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("design.doc", data, size);
  TestWindowScope scope;
  CurrentDesignPath = FuzzScratchDir() + "/design.jed";
  ShowChipDiagram();
  return 0;
}
