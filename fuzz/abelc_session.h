// Any text as an ABEL design, through every stage the compiler runs: parse,
// elaborate, minimise, fit, simulate the vectors and write the four files.
// Shared by the fuzz target and the test that replays the inputs it found.
#pragma once

#include <string>

#include "abelc/compile.h"
#include "fuses/fuse_file_load.h"
#include "fuses/jedec_reader.h"
#include "tests/support/recording_window.h"

// Empty when the compilation ended with a verdict of its own; otherwise what
// went wrong: a stage stopped on an unexpected exception, or the fuse file is
// one the program's own reader would not open cleanly. (The listing is not
// searched for the "internal error" text: the fuzzer learns the words it is
// compared with and writes them into designs.)
inline std::string CompileFuzzedDesign(const std::string& source) {
  const abelc::CompiledFiles files = abelc::CompileToFiles("abelcpl.abl", source, "2026-01-01 00:00:00");
  if (files.stopped) return "a stage stopped unexpectedly";
  if (!files.ok) return "";
  TestWindowScope scope;
  const std::int64_t count = ReadJedecText(files.jed);
  if (DeviceCodeForFuseCount(count) < 0) return "the fuse file gives " + std::to_string(count) + " fuses";
  if (!scope.window().LogLines.empty()) return "reading the fuse file logs " + scope.window().LogLines.back();
  return "";
}
