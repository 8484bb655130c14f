// Checking, before a slow read from the chip, that its fuse map can be saved
// where the command line says, so that a read is never lost.
#pragma once

#include <string>

// "" when path can be written: its folder exists and takes new files, and a
// file already there may be replaced. Otherwise why not. Creates and
// changes nothing.
std::string WhyNotWritable(const std::string& path);
