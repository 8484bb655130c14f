// Supply codes and pulse times from the PES.
#include "programmer/supply.h"

#include <cmath>

#include "devices/gal_device.h"
#include "programmer/link_buffers.h"
#include "programmer/requests.h"

namespace {

constexpr int MakerLattice = 0xA1, MakerNational = 0x8F, MakerSt = 0x20;

bool IsAtf(int code) {
  return code >= 128 && code <= 132;
}

const char* MakerName(int maker) {
  switch (maker) {
    case MakerLattice:
      return "LATTICE";
    case MakerNational:
      return "NATIONAL";
    case MakerSt:
      return "ST";
    default:
      return "???";
  }
}

struct ClassTiming {
  std::uint8_t ProgPulse;
  float Volts;
};

// Class 3 of the 8-output families and class 2 of the others program at
// 15.0 V on a National chip and 14.5 V on any other.
float NationalOrOther(int maker) {
  return maker == MakerNational ? 15.0f : 14.5f;
}

ClassTiming EightOutputTiming(int algorithmClass, int maker) {
  switch (algorithmClass) {
    case 0:
      return {100, 15.75f};
    case 1:
      return {80, 15.75f};
    case 2:
      return {10, 16.5f};
    case 3:
      return {40, NationalOrOther(maker)};
    case 4:
      return {100, 15.75f};
    default:
      return {100, 15.0f};  // 6, 7
  }
}

ClassTiming OtherTiming(int algorithmClass, int maker) {
  switch (algorithmClass) {
    case 0:
      return {10, 16.5f};
    case 1:
      return {100, 15.75f};
    case 2:
      return {40, NationalOrOther(maker)};
    case 3:
      return {100, 14.0f};
    default:
      return {100, 15.0f};  // 4, 6, 7
  }
}

// Class 5 chips carry their own pulse times and voltages in PES bytes 4 to 6.
void ClassFiveTiming() {
  const int b4 = PesByte(4), b5 = PesByte(5), b6 = PesByte(6);
  const int t = (b4 >> 2) & 7;
  GalDevice.ErasePulse = static_cast<std::int32_t>(std::pow(2.0, t) * 12.5);
  const int p = ((b5 & 1) << 3) | (b4 >> 5);
  static constexpr std::uint8_t progPulses[16] = {1,  2,  5,  10, 20,  30,  40,  50,
                                                  60, 70, 80, 90, 100, 200, 200, 200};
  GalDevice.ProgPulse = progPulses[p & 15];
  GalDevice.VppProgCode = VppToCode(5.0f + 0.5f * static_cast<float>((b5 >> 1) & 31));
  GalDevice.VppReadCode = VppToCode(5.0f + 0.5f * static_cast<float>(((b6 << 2) | (b5 >> 6)) & 31));
}

}  // namespace

std::uint8_t VppToCode(float volts) {
  const double x = 565.7342657342657 - static_cast<double>(volts) * 210.0 / 7.15;
  const double rounded = x > 0 ? std::floor(x + 0.5) : std::ceil(x - 0.5);
  if (rounded < 0) return 0;
  if (rounded > 255) return 255;
  return static_cast<std::uint8_t>(rounded);
}

float CodeToVolts(int code) {
  return (4045.0f - static_cast<float>(code) * 7.15f) / 210.0f;
}

void ComputeSupplyAndTiming() {
  GalDeviceRecord& d = GalDevice;
  d.VccCode = SupplyCode;
  const int code = d.DeviceCode;
  if (IsAtf(code)) {
    const bool cType = code == 129 || code == 132;
    d.ProgPulse = cType ? 20 : 10;
    d.ErasePulse = cType ? 200 : 100;
    d.VppProgCode = VppToCode(12.0f);
    d.VppReadCode = d.VppProgCode;
    d.Manufacturer = "ATMEL";
    return;
  }
  const int maker = PesByte(3);
  d.Manufacturer = MakerName(maker);
  const int algorithmClass = PesByte(1) & 7;
  if (algorithmClass == 5) {
    ClassFiveTiming();
    return;
  }
  ClassTiming timing{};
  switch (code) {
    case 0:
    case 26:
    case 32:
    case 58:
    case 64:
    case 65:
    case 68:
      d.ErasePulse = (code == 64 || code == 65 || code == 68) ? 50 : 100;
      timing = EightOutputTiming(algorithmClass, maker);
      break;
    default:
      d.ErasePulse = maker == MakerNational ? 50 : 100;
      timing = OtherTiming(algorithmClass, maker);
      break;
  }
  d.ProgPulse = timing.ProgPulse;
  d.VppProgCode = VppToCode(timing.Volts);
}
