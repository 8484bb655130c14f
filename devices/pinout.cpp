// The DIP drawing of the selected device and the pull-up line.

#include "devices/pinout.h"

#include <string>

#include "base/message_log.h"
#include "devices/device_families.h"
#include "devices/gal_device.h"
#include "devices/olmc.h"
#include "devices/pin_layouts.h"

std::int64_t PullUpMode = 0;

namespace {

const std::string Indent(6, ' ');

// Pads on the left to `width`, or keeps only the first `width` characters.
std::string RightAlign(const std::string& text, std::size_t width) {
  if (text.size() >= width) return text.substr(0, width);
  return std::string(width - text.size(), ' ') + text;
}

}  // namespace

void ShowPinout() {
  const int n = GalDevice.PinCount;
  if (n == 0) return;
  std::string names[29];
  for (int p = 1; p <= n; ++p) names[p] = PinName(GalDevice.PinTypes[p]);

  const std::int32_t code = GalDevice.DeviceCode;
  if (const ModeFamily* family = FindModeFamily(code)) {
    for (int p = family->FirstOlmcPin; p < family->FirstOlmcPin + 8; ++p) names[p] = DescribeOlmc(p);
    if (DeviceMode(*family) == 1) {  // registered: pin 1 clocks, the /OE pin enables
      names[1] = "CLK";
      names[family->OePin] = "/OE";
    }
  } else if (Is22V10Family(code)) {
    for (int p = FirstOlmcPin22V10; p <= LastOlmcPin22V10; ++p) names[p] = DescribeOlmc(p);
  }

  MessageLog(Indent + "  _____     _____", LevelPlain);
  MessageLog(Indent + " |     \\___/     |", LevelPlain);
  for (int p = 1; p <= n / 2; ++p) {
    const int opposite = n - p + 1;
    MessageLog(RightAlign(names[p], 6) + " | " + RightAlign(std::to_string(p), 2) + std::string(9, ' ') +
                   RightAlign(std::to_string(opposite), 2) + " | " + names[opposite],
               LevelPlain);
  }
  MessageLog(Indent + " |_______________|", LevelPlain);
}

void ShowPullUps() {
  switch (PullUpMode) {
    case 0:
      MessageLog("Device Input & I/O Pull-ups: NO", LevelPlain);
      break;
    case 1:
      MessageLog("Device Input & I/O Pull-ups: YES", LevelPlain);
      break;
    case 2:
      MessageLog("Device Input & I/O Pull-ups: PIN KEEPER", LevelPlain);
      break;
    default:
      break;
  }
}
