#include "cli/cli_commands.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/commands.h"
#include "app/dispatch.h"
#include "app/requesters.h"
#include "cli/programmer_commands.h"

// The dialogs hand out full paths; so does the command line.
std::string FullPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(path), error);
  return error ? path : full.string();
}

bool LogHas(const CliWindow& window, const std::string& line) {
  return std::find(window.LogLines.begin(), window.LogLines.end(), line) != window.LogLines.end();
}

bool LogHasError(const CliWindow& window) {
  return LogHas(window, "ERROR!");
}

bool OpenDesign(const std::string& file, CliWindow& window) {
  window.DialogAnswers.push_back({FullPath(file), FilterJedec});
  DispatchCommand(CmdOpenMenu);
  return !window.FuseMapLines.empty() && !LogHasError(window);
}

namespace {

int RunOpen(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  return OpenDesign(operands[0], window) ? ExitDone : ExitFailed;
}

// A failed open ends the command: saving then would replace OUT with an
// empty fuse map.
int RunSave(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  if (!OpenDesign(operands[0], window)) return ExitFailed;
  window.DialogAnswers.push_back({FullPath(operands[1]), FilterJedec});
  window.BoxAnswers.push_back(BoxAnswer::Yes);  // replace an existing OUT
  DispatchCommand(CmdSaveAsMenu);
  return LogHasError(window) || LogHas(window, "Save canceled") ? ExitFailed : ExitDone;
}

int RunInfo(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  if (!OpenDesign(operands[0], window)) return ExitFailed;
  DispatchCommand(CmdInfo);
  return LogHasError(window) ? ExitFailed : ExitDone;
}

// Compile as from the window; the runner is looked for in vDosPlus/ of the
// current directory. Only a successful compile loads a fuse map.
int RunCompile(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  window.DialogAnswers.push_back({FullPath(operands[0]), FilterAbel});
  DispatchCommand(CmdCompile);
  return window.FuseMapLines.empty() ? ExitFailed : ExitDone;
}

}  // namespace

const std::vector<CliCommand>& CliCommands() {
  static const std::vector<CliCommand> commands{
      {"open", "FILE", 1, "open the JEDEC file FILE and show it", RunOpen},
      {"save", "IN OUT", 2, "open the JEDEC file IN and save it as OUT (replacing OUT)", RunSave},
      {"info", "FILE", 1, "open FILE and show its pinout and OLMC configuration", RunInfo},
      {"compile", "DESIGN", 1,
       "compile the ABEL file DESIGN with vDosPlus/ of the current directory, load the result", RunCompile},
      {"identify", "--port PORT", 0, "identify the chip in the programmer on PORT", RunIdentify, true},
      {"read", "OUT --port PORT", 1, "read the chip on PORT and save its fuse map as OUT", RunReadChip, true},
      {"verify", "FILE --port PORT", 1, "open FILE and verify the chip on PORT against it", RunVerifyChip,
       true},
      {"erase", "[--all] --port PORT", 0, "erase the chip on PORT (--all: erase it completely)", RunEraseChip,
       true, true},
  };
  return commands;
}
