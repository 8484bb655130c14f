// The commands of quelvox-cli. Each runs the program's own commands through
// DispatchCommand, with the dialogs answered from its arguments, and takes
// its exit status from the commands' results.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_window.h"
#include "commands/command_result.h"

constexpr int ExitDone = 0;           // the command did what was asked
constexpr int ExitFailed = 1;         // it did not
constexpr int ExitUsage = 2;          // bad arguments
constexpr int ExitVectorsFailed = 3;  // simulate: the vectors ran and at least one failed

struct CliCommand {
  const char* Name;
  const char* Operands;  // for the usage text, e.g. "IN OUT"
  int OperandCount;
  const char* Description;  // for --help
  int (*Run)(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
  bool NeedsPort = false;            // a programmer command: --port PORT is required
  bool TakesAll = false;             // --all is allowed
  bool TakesSecurity = false;        // --security is allowed
  bool TakesForce = false;           // --force is allowed
  bool TakesVectors = false;         // --vectors FILE is allowed
  int TextOperand = -1;              // the operand that is a text, which may be empty
  int InputOperand = -1;             // the operand that is a file the command reads
  int OutputOperand = -1;            // the operand that is a file the command writes
  const char* OutputExtension = "";  // added to an output named without one, as the Save dialog adds it
};

// Every command, in the order --help lists them.
const std::vector<CliCommand>& CliCommands();

// "" or, when the command would write over a file it reads, the line that
// says so: the file its output operand names (with OutputExtension when it
// has none) is the input operand or the chip file of --port sim:CHIP.jed, or
// a chip file kept (,keep) is the input.
std::string WhyOutputIsAnInput(const CliCommand& command, const std::vector<std::string>& operands,
                               const CliOptions& options);

// The dialogs hand out full paths; so does the command line.
std::string FullPath(const std::string& path);
// A quelvox-cli command is one action for its user, whatever steps it takes:
// it writes one closing line and returns its exit status.
int CloseCliCommand(const CommandResult& result);
// Open as from the window, without the closing line.
CommandResult OpenDesign(const std::string& file, CliWindow& window);
// Save As from the window, answered with file (an existing one is replaced).
CommandResult SaveDesignAs(const std::string& file, CliWindow& window);
// Runs the steps in turn until one does not end done; the first that fails
// is the result.
CommandResult Steps(std::initializer_list<std::function<CommandResult()>> steps);
