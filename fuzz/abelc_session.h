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
// went wrong: a stage stopped on an unexpected exception (the "internal
// error" diagnostic, which has no source line and so no caret line below it),
// or the fuse file is one the program's own reader would not open cleanly.
inline std::string CompileFuzzedDesign(const std::string& source) {
  const abelc::CompiledFiles files = abelc::CompileToFiles("abelcpl.abl", source, "2026-01-01 00:00:00");
  const std::string internal = "\nabelcpl.abl: error: internal error";
  for (std::size_t at = files.listing.find(internal); at != std::string::npos;
       at = files.listing.find(internal, at + 1)) {
    const std::size_t next = files.listing.find('\n', at + 1);
    const std::size_t end = next == std::string::npos ? next : files.listing.find('\n', next + 1);
    const std::string following = next == std::string::npos ? "" : files.listing.substr(next + 1, end - next - 1);
    if (following.find_first_not_of(" \t\r^") != std::string::npos || following.find('^') == std::string::npos) {
      return "a stage stopped unexpectedly:\n" + files.listing;
    }
  }
  if (!files.ok) return "";
  TestWindowScope scope;
  const std::int64_t count = ReadJedecText(files.jed);
  if (DeviceCodeForFuseCount(count) < 0) return "the fuse file gives " + std::to_string(count) + " fuses";
  if (!scope.window().LogLines.empty()) return "reading the fuse file logs " + scope.window().LogLines.back();
  return "";
}
