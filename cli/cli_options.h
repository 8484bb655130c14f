// The options of quelvox-cli's commands: --port PORT, --all, --security and
// --force for the programmer, --vectors FILE for simulate, --brief for all.
#pragma once

#include <string>
#include <vector>

struct CliOptions {
  std::string Port;       // COMn, a device path, or sim:CHIP.jed[,NAME][,keep]
  bool All = false;       // erase --all
  bool Security = false;  // program --security
  bool Force = false;     // program --force: a map loaded from a damaged file too
  bool HasPort = false;
  bool Brief = false;   // --brief: no fuse-map block
  std::string Vectors;  // simulate --vectors FILE
  bool HasVectors = false;
};

// Takes the options out of args (the operands stay). Returns "" or the
// reason the arguments are wrong.
std::string TakeOptions(std::vector<std::string>& args, CliOptions& options);
