// The open and save requesters with their remembered directories.
#pragma once

#include <string>

// Filter text of both dialogs; indices 0 (JEDEC), 1 (ABEL), 2 (all files).
extern const char* const FilePatterns;
constexpr int FilterJedec = 0;
constexpr int FilterAbel = 1;
constexpr int FilterAll = 2;

extern std::string LastOpenDirectory;
extern std::string LastSaveDirectory;

// forSave 1: save dialog, 0: open dialog, anything else: nothing shown.
// Returns the chosen path, or the empty text when the user cancelled.
std::string AskFileName(int forSave, int filterIndex, const std::string& defaultName);

void ResetRequesterState();
