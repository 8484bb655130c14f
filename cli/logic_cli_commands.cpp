// equations FILE, export-abel IN OUT, convert-pal IN TYPE OUT and simulate
// MAP: open as from the window and run the command, or convert without a
// window.
#include "cli/logic_cli_commands.h"

#include "base/requesters.h"
#include "cli/cli_commands.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "commands/logic_commands.h"

int RunEquations(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  return CloseCliCommand(Steps(
      {[&] { return OpenDesign(operands[0], window); }, [] { return RunCommandAction(CmdEquations); }}));
}

int RunExportAbel(const std::vector<std::string>& operands, const CliOptions&, CliWindow& window) {
  return CloseCliCommand(Steps({[&] { return OpenDesign(operands[0], window); },
                                [&] {
                                  window.DialogAnswers.push_back({FullPath(operands[1]), FilterAbel});
                                  window.BoxAnswers.push_back(BoxAnswer::Yes);  // replace an existing OUT
                                  return RunCommandAction(CmdExportAbel);
                                }}));
}

int RunConvertPalFile(const std::vector<std::string>& operands, const CliOptions&, CliWindow&) {
  const std::string in = FullPath(operands[0]), type = operands[1], out = FullPath(operands[2]);
  return CloseCliCommand(RunUnclosed([&] { return RunConvertPal(in, type, out); }));
}

// Exit status 3 tells a run whose vectors failed from a map that could not
// be run at all (1).
int RunSimulate(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window) {
  int passed = 0, total = 0;
  const int status = CloseCliCommand(Steps({[&] { return OpenDesign(operands[0], window); },
                                            [&] {
                                              const SimulationOutcome run = RunSimulateCommand(
                                                  options.HasVectors ? FullPath(options.Vectors) : "");
                                              passed = run.Passed;
                                              total = run.Total;
                                              return run.Result;
                                            }}));
  return status == ExitDone && passed < total ? ExitVectorsFailed : status;
}
