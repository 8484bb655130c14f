// Where the programmer commands find the programmer, one choice for both
// front ends: by the scan of every port name (the default), on a named port,
// or in the simulated box with a chip made from a JEDEC file. The choice
// holds until changed or the program ends; the simulated box and its chip
// stay the same from command to command, and with keep the chip goes back
// into its file after each command that changed it.
#pragma once

#include <string>
#include <vector>

#include "commands/command_result.h"

struct PortChoice {
  enum class Kind { Automatic, Named, Simulated };
  Kind What = Kind::Automatic;
  std::string Name;      // Named: COMn or a device path
  std::string ChipFile;  // Simulated: the JEDEC file the chip is made from
  std::string TypeName;  // Simulated: "" for the type the file's fuse count names
  bool Keep = false;     // Simulated: the chip goes back into ChipFile
  std::string Wrong;     // why a sim: text cannot be taken as it stands
};

// A --port value: sim:CHIP.jed[,TYPE][,keep] or a port name (COMn, a path).
PortChoice PortChoiceOf(const std::string& text);

// Makes choice the one the programmer commands use. The simulated chip is
// made from its file now. "" when taken; otherwise why not, and the choice
// in force stays as it was.
std::string ChooseProgrammerPort(const PortChoice& choice);
// The same with the reason logged as an error; true when taken.
bool ChooseProgrammerPortLogged(const PortChoice& choice);

const PortChoice& CurrentPortChoice();  // TypeName is the type in use
// What the window title adds: "" (automatic), the port's name, or
// "simulated: chip.jed (GAL22V10)".
std::string PortChoiceTitle();

// The chip types sim: takes, in the simulated box's order.
std::vector<std::string> SimulatedChipTypeNames();

// The programmer for one command: the port of the choice, opened and the box
// found on it. While a simulated choice holds, the object plugs its box in
// as the serial port and a clock that moves only when the program sleeps,
// and takes both out again when it ends.
class ProgrammerLink {
 public:
  ProgrammerLink();
  ~ProgrammerLink();
  ProgrammerLink(const ProgrammerLink&) = delete;
  ProgrammerLink& operator=(const ProgrammerLink&) = delete;

  // True when the box answered; otherwise "Hardware not present!" is logged
  // with what each port tried said.
  bool Connect();
  // The command's result, once a chip kept in its file is back there: a
  // chip that could not be written back fails the command after an error line.
  CommandResult Finish(const CommandResult& result);

 private:
  bool simulated_ = false;
};

// Device > Port...: a list of the choices, and for the simulated programmer
// its chip file, chip type and whether the chip is kept in the file.
CommandResult RunChoosePortCommand();
// The choice a --port value names, taken with the same log lines.
CommandResult RunChoosePortText(const std::string& portText);

void ResetProgrammerPort();  // automatic, no simulated box
