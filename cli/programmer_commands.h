// quelvox-cli's programmer commands: identify, read, verify, erase and
// program, on a real port or on the simulated box with a chip made from a
// JEDEC file (which, with keep, gets the chip's cells back afterwards).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_window.h"

// The simulated box of --port sim:CHIP.jed[,NAME][,keep].
struct SimulatedChipPort {
  std::string ChipFile;
  std::string TypeName;  // "": the type the file's number of fuses names
  bool Keep = false;     // the chip goes back into ChipFile after the command
  bool GoodOptions = true;
};
// Nothing when port is not a sim: port.
std::optional<SimulatedChipPort> SimulatedChipOf(const std::string& port);

int RunIdentify(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
int RunReadChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
int RunVerifyChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
int RunEraseChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
int RunProgramChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
