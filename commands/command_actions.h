// The actions behind the Open, Save, Compile and Info commands. Each runs the
// operations of its command and says what they came to.
#pragma once

#include "commands/command_result.h"

CommandResult RunOpenCommand();
CommandResult RunSaveCommand();
CommandResult RunCompileCommand();
CommandResult RunInfoCommand();

// True when the fuse-map pane shows a map: what a load leaves when it worked.
bool FuseMapShown();
