// quelvox-cli: the program's commands without a window. It answers the
// dialogs itself and prints what the window would show.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "abel/work_folder.h"
#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "cli/cli_window.h"
#include "commands/programmer_port.h"
#include "platform/process.h"

namespace {

void PrintUsage(std::ostream& out) {
  out << "usage:";
  const char* lead = " ";
  for (const CliCommand& command : CliCommands()) {
    out << lead << "quelvox-cli " << command.Name << ' ' << command.Operands << '\n';
    lead = "       ";
  }
  out << lead << "quelvox-cli --help | --version\n";
}

// The commands that run for a while at the programmer.
bool ShowsProgress(const std::string& name) {
  for (const char* slow : {"read", "verify", "erase", "program"}) {
    if (name == slow) return true;
  }
  return false;
}

// The ports, and the chip types the simulated programmer takes (the bash
// completion reads them from here).
void PrintPortHelp(std::ostream& out) {
  out << "\nports (--port PORT):\n"
         "  COMn (the n-th serial device: ttyUSB*, ttyACM*, then ttyS*), a device path (/dev/ttyUSB0),\n"
         "  or sim:CHIP.jed[,TYPE][,keep], the simulated programmer: a chip made from the JEDEC file\n"
         "  CHIP.jed, of the type its fuse count names or of TYPE, which must have as many fuses;\n"
         "  with keep the chip goes back into CHIP.jed after a command that changed it.\n"
         "  Chip types:\n";
  const std::vector<std::string> types = SimulatedChipTypeNames();
  for (std::size_t i = 0; i < types.size(); ++i) {
    out << (i % 7 == 0 ? "    " : " ") << types[i] << (i % 7 == 6 || i + 1 == types.size() ? "\n" : "");
  }
  out << "  A family name of the Devices box (GAL26V12, GAL6002...) stands for the one type it begins.\n";
}

void PrintHelp(std::ostream& out) {
  PrintUsage(out);
  out << "\ncommands:\n";
  for (const CliCommand& command : CliCommands()) {
    out << "  " << command.Name << ' ' << command.Operands << "\n      " << command.Description << '\n';
  }
  out << "\noptions:\n"
         "  --brief    leave out the fuse-map block\n"
         "  --force    program: also a map loaded from a damaged file (cut short, checksum mismatch)\n"
         "  --version  print the version and exit\n"
         "  --work-folder\n"
         "             prepare the user's work folder for compiling (as quelvox-launch does) and print it\n"
         "\nOutput: the log pane, the fuse-map pane and the two status fields, each block under its own\n"
         "header; progress of the programmer commands on stderr when it is a terminal.\n"
         "An output that is the same file as an input (or as the chip file of sim:) is refused.\n"
         "Exit status: 0 done, 1 failed, 2 bad arguments, 3 simulate ran the vectors and one failed.\n";
  PrintPortHelp(out);
}

int UsageError(const std::string& reason) {
  std::cerr << "quelvox-cli: " << reason << '\n';
  PrintUsage(std::cerr);
  return ExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("no command given");
  if (args[0] == "--help" || args[0] == "-h") {
    if (args.size() != 1) return UsageError("--help takes no operands");
    PrintHelp(std::cout);
    return ExitDone;
  }
  if (args[0] == "--work-folder") {
    if (args.size() != 1) return UsageError("--work-folder takes no operands");
    std::string folder;
    if (const std::string why = PrepareUserWorkFolder(ProgramDirectory(), folder); !why.empty()) {
      std::cerr << "quelvox-cli: " << why << '\n';
      return ExitFailed;
    }
    std::cout << folder << '\n';
    return ExitDone;
  }
  if (args[0] == "--version") {
    if (args.size() != 1) return UsageError("--version takes no operands");
    std::cout << "quelvox-cli " << QUELVOX_VERSION << '\n';
    return ExitDone;
  }
  for (const CliCommand& command : CliCommands()) {
    if (args[0] != command.Name) continue;
    std::vector<std::string> operands(args.begin() + 1, args.end());
    CliOptions options;
    const std::string wrong = TakeOptions(operands, options);
    if (!wrong.empty()) return UsageError(wrong);
    if (options.HasPort != command.NeedsPort) {
      return UsageError(std::string(command.Name) +
                        (command.NeedsPort ? " needs --port PORT" : " takes no --port"));
    }
    if (options.All && !command.TakesAll) return UsageError(std::string(command.Name) + " takes no --all");
    if (options.Security && !command.TakesSecurity)
      return UsageError(std::string(command.Name) + " takes no --security");
    if (options.Force && !command.TakesForce)
      return UsageError(std::string(command.Name) + " takes no --force");
    if (options.HasVectors && !command.TakesVectors)
      return UsageError(std::string(command.Name) + " takes no --vectors");
    if (static_cast<int>(operands.size()) != command.OperandCount) {
      return UsageError(std::string(command.Name) + " needs " + command.Operands);
    }
    for (std::size_t i = 0; i < operands.size(); ++i) {
      if (operands[i].empty() && static_cast<int>(i) != command.TextOperand)
        return UsageError("an empty file name");
    }
    CliWindow window;
    window.ShowProgress = ShowsProgress(command.Name) && isatty(STDERR_FILENO) == 1;
    InstallWindow(&window);
    int status = ExitFailed;
    if (const std::string why = WhyOutputIsAnInput(command, operands, options); !why.empty()) {
      std::cerr << "quelvox-cli: " << why << '\n';  // before anything runs
    } else {
      status = command.Run(operands, options, window);
    }
    window.EndProgress();
    PrintWindow(window, std::cout, options.Brief);
    InstallWindow(nullptr);
    return status;
  }
  return UsageError("unknown command \"" + args[0] + "\"");
}
