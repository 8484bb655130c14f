// Checking an output file before a command runs: that it can be written (so
// that a slow read from the chip is never lost), and that it is none of the
// command's inputs.
#pragma once

#include <string>

// "" when path can be written: its folder exists and takes new files, and a
// file already there may be replaced. Otherwise why not. Creates and
// changes nothing.
std::string WhyNotWritable(const std::string& path);

// Whether a and b are one existing file, however each is spelled: through
// ./, a symbolic link or a hard link. A file that does not exist is no other.
bool SameFile(const std::string& a, const std::string& b);

// path, or path.extension when its file name has no extension and extension
// is not empty: the file a Save dialog answered with path writes.
std::string WithExtension(const std::string& path, const std::string& extension);
