// quelvox-cli's file commands (open, save, info, compile, set-ues) and their exit statuses.
#include "cli/cli_commands.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <system_error>

#include "base/requesters.h"
#include "cli/logic_cli_commands.h"
#include "cli/output_file.h"
#include "cli/programmer_commands.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "commands/programmer_port.h"

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

// Compile as from the window; the compile step runs the compiler in
// vDosPlus/ of the current directory, or of the user's work folder when the
// current directory has none. Only a successful compile loads a fuse map.
int RunCompile(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  window.DialogAnswers.push_back({FullPath(operands[0]), FilterAbel});
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
      {.Name = "open",
       .Operands = "FILE",
       .OperandCount = 1,
       .Description = "open the JEDEC file FILE and show it",
       .Run = RunOpen,
       .InputOperand = 0},
      {.Name = "save",
       .Operands = "IN OUT",
       .OperandCount = 2,
       .Description = "open the JEDEC file IN and save it as OUT (replacing OUT)",
       .Run = RunSave,
       .InputOperand = 0,
       .OutputOperand = 1,
       .OutputExtension = "jed"},
      {.Name = "info",
       .Operands = "FILE",
       .OperandCount = 1,
       .Description = "open FILE and show its pinout and OLMC configuration",
       .Run = RunInfo,
       .InputOperand = 0},
      {.Name = "compile",
       .Operands = "DESIGN",
       .OperandCount = 1,
       .Description = "compile the ABEL file DESIGN (in vDosPlus/ of the current directory, else of the "
                      "user's work folder), load the result",
       .Run = RunCompile,
       .InputOperand = 0},
      {.Name = "set-ues",
       .Operands = "IN TEXT OUT",
       .OperandCount = 3,
       .Description = "open IN, set its user signature (UES) to TEXT and save it as OUT (replacing OUT)",
       .Run = RunSetUes,
       .TextOperand = 1,
       .InputOperand = 0,
       .OutputOperand = 2,
       .OutputExtension = "jed"},
      {.Name = "equations",
       .Operands = "FILE",
       .OperandCount = 1,
       .Description = "open the JEDEC file FILE and show the equations of its map",
       .Run = RunEquations,
       .InputOperand = 0},
      {.Name = "export-abel",
       .Operands = "IN OUT",
       .OperandCount = 2,
       .Description = "open the JEDEC file IN and write the ABEL design that rebuilds it as OUT",
       .Run = RunExportAbel,
       .InputOperand = 0,
       .OutputOperand = 1,
       .OutputExtension = "abl"},
      {.Name = "convert-pal",
       .Operands = "IN TYPE OUT",
       .OperandCount = 3,
       .Description =
           "convert the map of the PAL type TYPE (PAL16R4, ...) in IN into a GAL map, saved as OUT",
       .Run = RunConvertPalFile,
       .InputOperand = 0,
       .OutputOperand = 2},
      {.Name = "simulate",
       .Operands = "MAP [--vectors FILE]",
       .OperandCount = 1,
       .Description = "open the JEDEC file MAP and run its test vectors (V fields) on the map, registers "
                      "as at power-up (--vectors: those of the ABEL TEST_VECTORS over pin numbers or "
                      "names in FILE); exit status 3 when a vector fails",
       .Run = RunSimulate,
       .TakesVectors = true,
       .InputOperand = 0},
      {.Name = "identify",
       .Operands = "--port PORT",
       .OperandCount = 0,
       .Description = "identify the chip in the programmer on PORT",
       .Run = RunIdentify,
       .NeedsPort = true},
      {.Name = "read",
       .Operands = "OUT --port PORT",
       .OperandCount = 1,
       .Description = "read the chip on PORT and save its fuse map as OUT",
       .Run = RunReadChip,
       .NeedsPort = true,
       .OutputOperand = 0,
       .OutputExtension = "jed"},
      {.Name = "verify",
       .Operands = "FILE --port PORT",
       .OperandCount = 1,
       .Description = "open FILE and verify the chip on PORT against it",
       .Run = RunVerifyChip,
       .NeedsPort = true,
       .InputOperand = 0},
      {.Name = "erase",
       .Operands = "[--all] --port PORT",
       .OperandCount = 0,
       .Description = "erase the chip on PORT (--all: erase it completely)",
       .Run = RunEraseChip,
       .NeedsPort = true,
       .TakesAll = true},
      {.Name = "program",
       .Operands = "FILE [--security] [--force] --port PORT",
       .OperandCount = 1,
       .Description = "open FILE, program the chip on PORT with it and verify it (--security: then "
                      "read-protect it; --force: also a map from a damaged file)",
       .Run = RunProgramChip,
       .NeedsPort = true,
       .TakesSecurity = true,
       .TakesForce = true,
       .InputOperand = 0},
  };
  return commands;
}

std::string WhyOutputIsAnInput(const CliCommand& command, const std::vector<std::string>& operands,
                               const CliOptions& options) {
  const auto refused = [](const std::string& what) { return what + ": refused, nothing written"; };
  const std::string* input = command.InputOperand >= 0 ? &operands[command.InputOperand] : nullptr;
  const std::string written = command.OutputOperand >= 0
                                  ? WithExtension(operands[command.OutputOperand], command.OutputExtension)
                                  : "";
  const std::string* output = command.OutputOperand >= 0 ? &written : nullptr;
  if (input && output && SameFile(*output, *input)) {
    return refused("the output " + *output + " is the same file as the input " + *input);
  }
  const PortChoice port = PortChoiceOf(options.Port);
  if (!options.HasPort || port.What != PortChoice::Kind::Simulated) return "";
  const PortChoice* sim = &port;
  // The chip's file is read before the command and written after it with keep.
  if (output && SameFile(*output, sim->ChipFile)) {
    return refused("the output " + *output + " is the same file as the chip file " + sim->ChipFile);
  }
  if (input && sim->Keep && SameFile(sim->ChipFile, *input)) {
    return refused("the chip file " + sim->ChipFile + " (keep) is the same file as the input " + *input);
  }
  return "";
}
