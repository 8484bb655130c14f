// The commands that read logic back from the loaded fuse map (Equations,
// Export ABEL design), the PAL question of Open and the conversion of a PAL
// map file without a window.
#pragma once

#include <optional>
#include <string>

#include "commands/command_result.h"
#include "logic/map_logic.h"

// The JEDEC file behind the loaded map: the opened file, or the one a
// compile made; "" for a map read from a chip or none.
std::string LoadedJedecPath();

// The loaded map decoded, its pins named from its file. Nothing when no map
// is loaded or its device has no decoding; `why` then holds the line that
// says so (for the device: unsupported + its name).
std::optional<MapLogic> DecodeLoadedMap(const std::string& unsupported, std::string& why);

// The start of the line for a map whose device the simulation does not
// know; the device's name ends it.
extern const char* const SimulatedMapsOnly;

// Logs the equations of the loaded map.
CommandResult RunEquationsCommand();
// For a loaded map of a family the OLMC analysis does not cover (GAL18V10,
// GAL26CV12, GAL26V12, GAL20RA10): logs each output cell's kind and polarity as
// Equations reads them. Silent for other maps and without one.
void ShowCellKinds();
// Asks for a file name and writes the ABEL design that rebuilds the loaded map.
CommandResult RunExportAbelCommand();

// What a vector run came to: the command's result, and how many of the
// vectors passed.
struct SimulationOutcome {
  CommandResult Result;
  int Passed = 0;
  int Total = 0;
};
// Runs test vectors on the loaded map and logs the vector table with the
// count of vectors passed: those of the map's JEDEC file (its V fields), or
// the ABEL TEST_VECTORS over pin numbers in vectorFile when it is given.
SimulationOutcome RunSimulateCommand(const std::string& vectorFile = "");

// Loads a fuse file as Open does. A map with the fuse count of a PAL16 or
// PAL20 type asks which type it is (the one the file's header names first);
// the answer loads the converted GAL map. Declined, the map is refused as a
// map of no GAL, with a hint at quelvox-cli convert-pal.
void OpenFuseFile(const std::string& path);

// Reads the PAL map in, converts it as the type palType and writes the GAL
// map to out; the GAL map is then the loaded one.
CommandResult RunConvertPal(const std::string& in, const std::string& palType, const std::string& out);
