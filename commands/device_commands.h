// The programmer commands: each makes sure a box is connected, then runs its
// device operation and says what it came to (aborted when a failed exchange
// stopped it).
#pragma once

#include "commands/command_result.h"

CommandResult RunDeviceRead();  // the caller clears the design path first
CommandResult RunDeviceVerify();
// eraseAll 0 asks before erasing (the window's Erase); 1 erases completely
// without asking, as quelvox-cli erase --all does.
CommandResult RunDeviceErase(int eraseAll);
// Identifies the chip and powers the socket down again.
CommandResult RunDeviceIdentify();
