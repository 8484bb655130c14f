// quelvox-cli's commands that read logic back from a fuse map or convert a
// PAL map, or run test vectors on a map: equations, export-abel,
// convert-pal, simulate.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_window.h"

int RunEquations(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
int RunExportAbel(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
int RunConvertPalFile(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
int RunSimulate(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window);
