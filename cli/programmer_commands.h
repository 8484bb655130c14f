// quelvox-cli's programmer commands: identify, read, verify, erase and
// program, on a real port or on the simulated box with a chip made from a
// JEDEC file (which, with keep, gets the chip's cells back afterwards).
#pragma once

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_window.h"

int RunIdentify(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
int RunReadChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
int RunVerifyChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
int RunEraseChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
int RunProgramChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
