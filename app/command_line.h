// The window's command line: quelvox [--port PORT] [FILE], --help,
// --version. Plain C++, so that its test needs no display.
#pragma once

#include <ostream>
#include <string>
#include <vector>

struct WindowCommandLine {
  enum class Action { Start, Help, Version, Wrong };
  Action What = Action::Start;
  std::string File;   // opened (a .jed) or compiled (a .abl) once the window is up
  std::string Port;   // the programmer port chosen at start: COMn, a path, sim:CHIP.jed[,TYPE][,keep]
  std::string Error;  // why the arguments are wrong
};

// args without the program name.
WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& args);

void PrintWindowUsage(std::ostream& out);
void PrintWindowHelp(std::ostream& out);
void PrintVersion(const char* program, std::ostream& out);
