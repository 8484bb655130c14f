// quelvox-cli's file commands (open, save, info, compile, set-ues) and their exit statuses.
#include "cli/cli_commands.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "base/requesters.h"
#include "cli/cli_work_folder.h"
#include "cli/logic_cli_commands.h"
#include "cli/programmer_commands.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"

// The dialogs hand out full paths; so does the command line.
std::string FullPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(path), error);
  return error ? path : full.string();
}

int CloseCliCommand(const CommandResult& result) {
  CloseCommand(result);
  return result.IsDone() ? ExitDone : ExitFailed;
}

CommandResult OpenDesign(const std::string& file, CliWindow& window) {
  window.DialogAnswers.push_back({FullPath(file), FilterJedec});
  return RunCommandAction(CmdOpenMenu);
}

CommandResult SaveDesignAs(const std::string& file, CliWindow& window) {
  window.DialogAnswers.push_back({FullPath(file), FilterJedec});
  window.BoxAnswers.push_back(BoxAnswer::Yes);  // replace an existing file
  return RunCommandAction(CmdSaveAsMenu);
}

CommandResult Steps(std::initializer_list<std::function<CommandResult()>> steps) {
  CommandResult result;
  for (const auto& step : steps) {
    result = step();
    if (!result.IsDone()) break;
  }
  return result;
}

namespace {

int RunOpen(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  return CloseCliCommand(OpenDesign(operands[0], window));
}

// A failed open ends the command: saving then would replace OUT with an
// empty fuse map.
int RunSave(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  return CloseCliCommand(Steps(
      {[&] { return OpenDesign(operands[0], window); }, [&] { return SaveDesignAs(operands[1], window); }}));
}

int RunInfo(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  return CloseCliCommand(
      Steps({[&] { return OpenDesign(operands[0], window); }, [] { return RunCommandAction(CmdInfo); }}));
}

// Compile as from the window; the runner is looked for in vDosPlus/ of the
// current directory, or of the user's work folder when the current directory
// has none. Only a successful compile loads a fuse map.
int RunCompile(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  const std::string design = FullPath(operands[0]);  // before the folder changes
  if (const std::string why = EnterCompileFolder(); !why.empty()) {
    std::cerr << "quelvox-cli: " << why << '\n';
    return ExitFailed;
  }
  window.DialogAnswers.push_back({design, FilterAbel});
  return CloseCliCommand(RunCommandAction(CmdCompile));
}

// Set User Signature as from the window, answered with TEXT, then Save As.
int RunSetUes(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  return CloseCliCommand(Steps({[&] { return OpenDesign(operands[0], window); },
                                [&] {
                                  window.TextAnswers.push_back(operands[1]);
                                  return RunCommandAction(CmdSetUserSignature);
                                },
                                [&] { return SaveDesignAs(operands[2], window); }}));
}

}  // namespace

const std::vector<CliCommand>& CliCommands() {
  static const std::vector<CliCommand> commands{
      {"open", "FILE", 1, "open the JEDEC file FILE and show it", RunOpen},
      {"save", "IN OUT", 2, "open the JEDEC file IN and save it as OUT (replacing OUT)", RunSave},
      {"info", "FILE", 1, "open FILE and show its pinout and OLMC configuration", RunInfo},
      {"compile", "DESIGN", 1,
       "compile the ABEL file DESIGN (in vDosPlus/ of the current directory, else of the user's work "
       "folder), load the result",
       RunCompile},
      {"set-ues", "IN TEXT OUT", 3,
       "open IN, set its user signature (UES) to TEXT and save it as OUT (replacing OUT)", RunSetUes, false,
       false, false, 1},
      {"equations", "FILE", 1, "open the JEDEC file FILE and show the equations of its map", RunEquations},
      {"export-abel", "IN OUT", 2, "open the JEDEC file IN and write the ABEL design that rebuilds it as OUT",
       RunExportAbel},
      {"convert-pal", "IN TYPE OUT", 3,
       "convert the map of the PAL type TYPE (PAL16R4, ...) in IN into a GAL map, saved as OUT",
       RunConvertPalFile},
      {"identify", "--port PORT", 0, "identify the chip in the programmer on PORT", RunIdentify, true},
      {"read", "OUT --port PORT", 1, "read the chip on PORT and save its fuse map as OUT", RunReadChip, true},
      {"verify", "FILE --port PORT", 1, "open FILE and verify the chip on PORT against it", RunVerifyChip,
       true},
      {"erase", "[--all] --port PORT", 0, "erase the chip on PORT (--all: erase it completely)", RunEraseChip,
       true, true},
      {"program", "FILE [--security] --port PORT", 1,
       "open FILE, program the chip on PORT with it and verify it (--security: then read-protect it)",
       RunProgramChip, true, false, true},
  };
  return commands;
}
