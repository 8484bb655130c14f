// Decoding the OLMC configuration fuses of the 16V8, 20V8 and 22V10 families.

#include "devices/olmc.h"

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "devices/device_families.h"
#include "devices/gal_device.h"

namespace {

constexpr ModeFamily ModeFamilies[] = {
    // family        first OLMC pin  SYN   AC0   AC1 of first pin  /OE pin
    {Is16V8Family, 12, 2192, 2193, 2127, 11},
    {Is20V8Family, 15, 2704, 2705, 2639, 13},
};

constexpr int FirstSelectorFuse22V10 = 5827;  // pin 14; each next pin two fuses lower

const char* const ModeLines[] = {
    "Mode not defined!; SYN=0, AC0=0",
    "Registered Mode; SYN=0, AC0=1; /OE & CLK are dedicated inputs",
    "Simple Mode; SYN=1, AC0=0",
    "Complex Mode; SYN=1, AC0=1",
};

// A fuse is 0 or 1; anything else counts as 1 rather than indexing past a table.
int FuseBit(int fuse) {
  return FuseMap[fuse] != 0;
}

// The first GAL16V8 and GAL20V8 revisions have no feedback from outputs in simple mode.
bool IsEarlyRevision(std::int32_t code) {
  return code == 0 || code == 32;
}

std::string DescribeModeOlmc(const ModeFamily& family, int pin) {
  const int mode = DeviceMode(family);
  if (pin == family.FirstOlmcPin) {
    MessageLog(ModeLines[mode], LevelPlain);
    if (mode == 2 && IsEarlyRevision(GalDevice.DeviceCode))
      MessageLog("CAUTION! Early GAL revision. All outputs without feedback!", LevelPlain);
  }
  const int t = pin - family.FirstOlmcPin;
  const bool centre = t == 3 || t == 4;
  const bool outermost = t == 0 || t == 7;
  switch (2 * mode + FuseBit(family.FirstAc1Fuse - t)) {
    case 2:
      return "REGISTER; TRI-STATE by /OE";
    case 3:
      return "TRI-STATE by Product Term";
    case 4:
      return centre || IsEarlyRevision(GalDevice.DeviceCode) ? "OUTPUT (NO feedback!)" : "OUTPUT";
    case 5:
      return centre ? "not defined!" : "INPUT";
    case 7:
      return outermost ? "TRI-STATE (NO feedback!) by Product Term" : "TRI-STATE by Product Term";
    default:
      return "not defined!";
  }
}

}  // namespace

const ModeFamily* FindModeFamily(std::int32_t code) {
  for (const ModeFamily& family : ModeFamilies)
    if (family.Contains(code)) return &family;
  return nullptr;
}

int DeviceMode(const ModeFamily& family) {
  return 2 * FuseBit(family.SynFuse) + FuseBit(family.Ac0Fuse);
}

std::string DescribeOlmc(int pin) {
  const std::int32_t code = GalDevice.DeviceCode;
  if (const ModeFamily* family = FindModeFamily(code)) {
    // Only the eight OLMC pins have AC1 fuses; another pin would read a foreign fuse.
    if (pin < family->FirstOlmcPin || pin > family->FirstOlmcPin + 7) return "";
    return DescribeModeOlmc(*family, pin);
  }
  if (Is22V10Family(code) && pin >= FirstOlmcPin22V10 && pin <= LastOlmcPin22V10)
    return FuseBit(FirstSelectorFuse22V10 - 2 * (pin - FirstOlmcPin22V10)) ? "COMBINATORIAL" : "REGISTERED";
  return "";
}
