// The file the current design came from: set by Open and Compile, cleared by
// Read, and read by the chip-diagram display to find the design's .doc file.
#pragma once

#include <string>

extern std::string CurrentDesignPath;
