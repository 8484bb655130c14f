// Where quelvox-cli compiles: the current folder when it has vDosPlus/ (as
// in the build tree), else the user's work folder, prepared as the launcher
// prepares it, with the compiler found beside quelvox-cli or installed.
#pragma once

#include <string>

// Prepares the user's work folder; returns "" and its path in folder, or
// what went wrong.
std::string PrepareUserWorkFolder(std::string& folder);

// Makes the user's work folder the current directory unless the current one
// has vDosPlus/. Returns "" or what went wrong.
std::string EnterCompileFolder();
