// The per-user work folder of an installed Quelvox: the compile step needs
// vDosPlus/ with the compiler and its abel/ folder in the current directory,
// and an installed program's folders are not the user's to write. The
// launcher and quelvox-cli prepare it with this one piece of code.
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
