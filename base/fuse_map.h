// The fuse states of the current design, their two counts and the JEDEC
// fuse checksum computed over them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

constexpr int FuseMapSize = 10001;  // indices 0..10000

extern std::array<std::uint8_t, FuseMapSize> FuseMap;
extern std::int64_t FuseMapLength;   // valid fuses, counted from 0
extern std::int64_t ShownFuseCount;  // fuses the view last showed

// JEDEC 16-bit fuse checksum of FuseMap[0 .. count-1]; 0 for count <= 0.
int FuseChecksum(std::int64_t count);

// What the file behind the loaded map showed that the fuses alone cannot:
// set by the load, kept through every change of the map made from it (a PAL
// conversion, a new user signature), cleared by a map that came from a
// design or a chip.
struct FuseMapFindings {
  // Why the file may not have held every fuse (it ends inside a field, its
  // checksum does not match); "" when nothing suggests that.
  std::string Damage;
};
extern FuseMapFindings LoadedMapFindings;

void ResetFuseState();  // FuseMap all zero, both counts 0, no findings
