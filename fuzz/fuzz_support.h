// What the fuzz targets share: a scratch folder of their own for the files
// they hand to the program, and the program state reset between inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The folder, created on first use (in memory-backed /dev/shm when there is
// one) and removed when the process ends.
const std::string& FuzzScratchDir();

// Writes the bytes as the file name in the scratch folder; returns its path.
std::string WriteFuzzFile(const std::string& name, const std::uint8_t* data, std::size_t size);
