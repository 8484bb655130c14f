// Any bytes as a .jed file, opened as the user opens one (Open, then Info for
// the OLMC analysis and pinout), and the shown map turned back into a file.
#include <cstddef>
#include <cstdint>

#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "fuses/jedec_writer.h"
#include "fuzz/fuzz_support.h"
#include "platform/clock.h"
#include "tests/support/recording_window.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = WriteFuzzFile("design.jed", data, size);
  TestWindowScope scope;
  scope.window().AnswerDialog(path);
  DispatchCommand(CmdOpenMenu);
  DispatchCommand(CmdInfo);
  (void)JedecFileText(LocalDateTime{2026, 1, 1, 0, 0, 0});
  return 0;
}
