// Replacing a file without ever destroying it: the new bytes go to a
// temporary file beside the target, which is renamed over the target only
// after everything was written, flushed and closed.
#pragma once

#include <string>

// Returns 1 when path now holds bytes. On any failure returns 0, removes the
// temporary file and leaves whatever was at path untouched.
int ReplaceFileContents(const std::string& path, const std::string& bytes);

// The same, setting why to the system's reason (as "Permission denied") when
// it returns 0.
int ReplaceFileContents(const std::string& path, const std::string& bytes, std::string& why);
