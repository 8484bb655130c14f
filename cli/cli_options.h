// The options of quelvox-cli's programmer commands: --port PORT, --all and
// --security.
#pragma once

#include <string>
#include <vector>

struct CliOptions {
  std::string Port;       // COMn, a device path, or sim:CHIP.jed[,NAME][,keep]
  bool All = false;       // erase --all
  bool Security = false;  // program --security
  bool HasPort = false;
};

// Takes the options out of args (the operands stay). Returns "" or the
// reason the arguments are wrong.
std::string TakeOptions(std::vector<std::string>& args, CliOptions& options);
