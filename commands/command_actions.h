// The actions behind the Open, Save, Compile and Info commands. Each runs the
// operations of its command and says what they came to.
#pragma once

#include <string>

#include "commands/command_result.h"

CommandResult RunOpenCommand();
CommandResult RunSaveCommand();
CommandResult RunCompileCommand();
CommandResult RunInfoCommand();
// Read: clears the design path and reads the chip into the fuse map.
CommandResult RunReadCommand();

// Open and Compile of a file already chosen, by its full path.
CommandResult RunOpenFileCommand(const std::string& path);
CommandResult RunCompileFileCommand(const std::string& design);

// A file named on the window's command line, run as a command of its own
// with its closing line: a .abl design (in any case) is compiled as Compile
// does, any other file opened as Open does. A relative name is taken from
// the current directory.
CommandResult OpenNamedFile(const std::string& file);

// True when the fuse-map pane shows a map: what a load leaves when it worked.
bool FuseMapShown();
