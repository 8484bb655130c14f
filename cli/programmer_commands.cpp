// quelvox-cli's programmer commands: each sets the port --port names as the
// programmer port (the simulated box of sim: included) and runs the window's
// own commands on it.
#include "cli/programmer_commands.h"

#include <functional>
#include <iostream>

#include "cli/cli_commands.h"
#include "cli/output_file.h"
#include "commands/command_ids.h"
#include "commands/device_commands.h"
#include "commands/dispatch.h"
#include "commands/programmer_port.h"

namespace {

// Runs the steps of a programmer command on the port --port names. A
// simulated chip that cannot be made ends the command before the box (the
// reason is on stderr); the steps meet the box through the commands' own
// link, which says "Hardware not present!" when nothing answers.
int OnTheBox(const CliOptions& options, CliWindow& window, const std::function<CommandResult()>& steps) {
  if (const std::string why = ChooseProgrammerPort(PortChoiceOf(options.Port)); !why.empty()) {
    std::cerr << "quelvox-cli: " << why << '\n';
    // A command that opened its file first still closes once.
    if (!window.LogLines.empty()) CloseCliCommand(CommandFailed("no chip in the simulated box"));
    return ExitFailed;
  }
  return CloseCliCommand(RunUnclosed(steps));
}

}  // namespace

int RunIdentify(const std::vector<std::string>&, const CliOptions& options, CliWindow& window) {
  return OnTheBox(options, window, RunDeviceIdentify);
}

// A read that was stopped, or found no chip, saves nothing; one whose file
// could not be written is not started.
int RunReadChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window) {
  if (const std::string why = WhyNotWritable(WithExtension(operands[0], "jed")); !why.empty()) {
    std::cerr << "quelvox-cli: cannot save the read: " << why << '\n';
    return ExitFailed;
  }
  return OnTheBox(options, window, [&] {
    return Steps(
        {[] { return RunCommandAction(CmdRead); }, [&] { return SaveDesignAs(operands[0], window); }});
  });
}

int RunVerifyChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window) {
  const CommandResult opened = OpenDesign(operands[0], window);
  if (!opened.IsDone()) return CloseCliCommand(opened);
  return OnTheBox(options, window, [] { return RunCommandAction(CmdVerify); });
}

int RunEraseChip(const std::vector<std::string>&, const CliOptions& options, CliWindow& window) {
  if (options.All) return OnTheBox(options, window, [] { return RunDeviceErase(1); });
  window.BoxAnswers.push_back(BoxAnswer::Yes);  // the command line already said so
  return OnTheBox(options, window, [] { return RunCommandAction(CmdErase); });
}

// The command line already said so: no question. --security read-protects a
// chip that verified; --force programs a map loaded from a damaged file.
int RunProgramChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window) {
  const CommandResult opened = OpenDesign(operands[0], window);
  if (!opened.IsDone()) return CloseCliCommand(opened);
  SetSecurityFeature(options.Security);
  return OnTheBox(options, window, [&] { return RunDeviceProgram(0, options.Force ? 1 : 0); });
}
