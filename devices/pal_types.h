// The bipolar PAL types whose fuse maps a GAL16V8 or GAL20V8 takes over: the
// size of their AND array (all their map holds), the GAL that stands in for
// them and which of their outputs are registers.
#pragma once

#include <cstdint>

struct PalType {
  const char* Name;        // "PAL16R4"
  std::int32_t FuseCount;  // 64 rows of 32 or 40 columns
  std::int32_t GalCode;    // device code of the GAL that stands in for it
  int FirstRegisteredPin;  // registered outputs: pins First..Last; 0: none (an L8)
  int LastRegisteredPin;
};

// Every other output pin of these types is combinational with an enable
// term; every output is active low.
inline constexpr PalType PalTypes[] = {
    {"PAL16L8", 2048, 0, 0, 0},    {"PAL16R4", 2048, 0, 14, 17},  {"PAL16R6", 2048, 0, 13, 18},
    {"PAL16R8", 2048, 0, 12, 19},  {"PAL20L8", 2560, 32, 0, 0},   {"PAL20R4", 2560, 32, 17, 20},
    {"PAL20R6", 2560, 32, 16, 21}, {"PAL20R8", 2560, 32, 15, 22},
};
