// Compiling an ABEL design: the design goes under the fixed name abelcpl into
// the compiler's folder vDosPlus/abel/ of the current directory, the runner
// vDosPlus/vDosPlus.exe compiles it there, and its listing and output files
// come back beside the design under the design's own name.
#pragma once

#include <string>

// The folder of the runner: the current directory followed by "vDosPlus" and
// a separator.
std::string VdosDirectory();

// The compiler's file with the given extension ("abl", "out", "doc", "sim",
// "jed") in the abel folder of VdosDirectory().
std::string WorkFile(const std::string& vdosDirectory, const std::string& extension);

// The design path without its extension: the directory part and the base
// name. The output copies are this followed by ".out", ".doc", ".sim", ".jed".
std::string OutputBaseOf(const std::string& designPath);

// Returns 1 when the new fuse file was copied beside the design, else 0. An
// empty path does nothing; every other failure but a missing fuse file is
// logged with an "ERROR: " line. The listing replaces the log pane's lines.
int CompileAbelDesign(const std::string& designPath);
