// What each output logic macrocell (OLMC) of the current design is set up
// as, decoded from its architecture fuses; the 16V8 and 20V8 families also
// report their global mode. Other types get no analysis.
#pragma once

#include <cstdint>
#include <string>

// The 16V8 and 20V8 families: a global mode from SYN and AC0, one AC1 fuse
// per OLMC, the AC1 fuses descending with the pin number.
struct ModeFamily {
  bool (*Contains)(std::int32_t code);
  int FirstOlmcPin;  // eight OLMC pins from here
  int SynFuse;
  int Ac0Fuse;
  int FirstAc1Fuse;  // AC1 of the first OLMC pin
  int OePin;         // the /OE input in registered mode
};

// The family of a device code, or nullptr for the other types.
const ModeFamily* FindModeFamily(std::int32_t code);

// 2 × SYN + AC0: 0 undefined, 1 registered, 2 simple, 3 complex.
int DeviceMode(const ModeFamily& family);

// The 22V10 family: one registered/combinatorial selector fuse per output.
constexpr int FirstOlmcPin22V10 = 14;
constexpr int LastOlmcPin22V10 = 23;

// The description of the OLMC at package pin `pin` of the selected type,
// empty for types without analysis and for pins that are no OLMC. At the
// first OLMC pin of a 16V8 or 20V8 the mode line (and for the early
// GAL16V8/GAL20V8 in simple mode a caution line) goes to the log.
std::string DescribeOlmc(int pin);
