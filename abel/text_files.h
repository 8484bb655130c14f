// The file operations of the compile step: whole text files as lines, read
// tolerantly (LF or CR LF) and written strictly (CR LF), and a copy that
// replaces its target whole or not at all.
#pragma once

#include <string>
#include <vector>

// The lines of a text file, without their line ends. False when the file
// cannot be opened or read (a folder cannot).
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines);

// Creates or truncates the file and writes each line followed by CR LF.
// False when the file cannot be created or a write fails.
bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

// Copies a file over its target, replacing an existing one: the bytes go to a
// temporary file beside the target that is then renamed over it, so the
// target is the old file or the whole new one. Copying a file onto itself
// leaves it as it is and counts as done. False with why set to the system's
// reason (as "Permission denied") when the source cannot be read or the
// target not replaced.
bool CopyReplacing(const std::string& from, const std::string& to, std::string& why);

// Deletes a file; a file that is not there is no error. False when the file
// is still there afterwards.
bool DeleteIfPresent(const std::string& path);
