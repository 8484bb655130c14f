// The programmer commands and the other Device and Tools menu items: each
// programmer command makes sure a box is connected, then runs its device
// operation and says what it came to (aborted when a failed exchange stopped it).
#pragma once

#include <string>

#include "commands/command_result.h"

CommandResult RunDeviceRead();  // the caller clears the design path first
CommandResult RunDeviceVerify();
// eraseAll 0 asks before erasing (the window's Erase); 1 erases completely
// without asking, as quelvox-cli erase --all does.
CommandResult RunDeviceErase(int eraseAll);
// Identifies the chip and powers the socket down again.
CommandResult RunDeviceIdentify();

// Writes the loaded fuse map into the chip and verifies it. confirm 1 asks
// first (the window's Program); 0 does not, as quelvox-cli program. With the
// security feature on, a chip that verified gets its security cell set.
// A map loaded from a damaged file is refused unless the user agrees, or
// force is 1 (quelvox-cli program --force).
CommandResult RunDeviceProgram(int confirm, int force);

// Identifies the chip, powers the socket down and puts its PES bytes as hex
// text on the clipboard.
CommandResult RunCopyPes();

// Asks for a text and writes it into the loaded fuse map's user signature.
CommandResult RunSetUserSignature();

// "Enable Security feature": whether Program sets the security cell. Off at
// start; the item's check mark shows it.
bool SecurityFeatureEnabled();
void SetSecurityFeature(bool enabled);
CommandResult RunToggleSecurity();

// An item whose requests to the box are not known: "Not available: " + its text.
CommandResult RunNotAvailable(const std::string& itemText);

void ResetDeviceCommandState();  // security feature off
