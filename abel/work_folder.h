// The per-user work folder: the compile step runs the compiler in a folder
// vDosPlus/ holding it and its abel/ folder, and an installed program's
// folders are not the user's to write. Where the current directory has no
// vDosPlus/ of its own, the window, quelvox-cli and the launcher all use this
// folder, prepared by this one piece of code.
#pragma once

#include <string>

// $XDG_DATA_HOME/quelvox when XDG_DATA_HOME is an absolute path, else
// $HOME/.local/share/quelvox; empty when neither is set.
std::string UserWorkFolder();

// The compiler a work folder links to: abelc beside the program in
// programDirectory (or in its bin/, as in the build tree), else the first
// abelc on PATH; empty when there is none.
std::string FindCompiler(const std::string& programDirectory);

// Makes folder/vDosPlus/abel/ and links folder/vDosPlus/vDosPlus.exe to the
// compiler. A link there is replaced (it follows a moved installation); a
// real program the user put in its place is theirs and stays. Returns "" or
// what went wrong, naming the folder.
std::string PrepareWorkFolder(const std::string& folder, const std::string& compiler);

// Prepares the user's work folder with the compiler found from
// programDirectory (FindCompiler); returns "" and the folder's path in
// folder, or what went wrong.
std::string PrepareUserWorkFolder(const std::string& programDirectory, std::string& folder);

// The folder whose vDosPlus/ the compile step uses: the current directory
// when it has vDosPlus/ (as the build tree has), else the user's work folder,
// prepared. Returns "" and the folder's path in folder, or what went wrong.
// The current directory stays where it is.
std::string ChooseCompileFolder(const std::string& programDirectory, std::string& folder);
