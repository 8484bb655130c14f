// Any text as an ABEL design, through every stage the compiler runs: parse,
// elaborate, minimise, fit, simulate the vectors and write the four files.
// A stage that stops on an unexpected exception is a finding, and so is a
// fuse file of ours that the program's own reader would not open cleanly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "abelc/compile.h"
#include "fuses/fuse_file_load.h"
#include "fuses/jedec_reader.h"
#include "tests/support/recording_window.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string source(reinterpret_cast<const char*>(data), size);
  const abelc::CompiledFiles files = abelc::CompileToFiles("abelcpl.abl", source, "2026-01-01 00:00:00");
  if (files.listing.find("internal error") != std::string::npos) std::abort();
  if (files.ok) {
    TestWindowScope scope;
    const std::int64_t count = ReadJedecText(files.jed);
    if (DeviceCodeForFuseCount(count) < 0 || !scope.window().LogLines.empty()) std::abort();
  }
  return 0;
}
