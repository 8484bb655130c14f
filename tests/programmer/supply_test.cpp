// Voltage codes and pulse times from the device type and the PES.
#include "programmer/supply.h"

#include <gtest/gtest.h>

#include "devices/gal_device.h"
#include "programmer/link_buffers.h"
#include "tests/support/recording_window.h"

namespace {

TEST(Supply, VoltsToCodes) {
  const std::pair<float, int> cases[] = {{12.0f, 213},  {14.0f, 155}, {14.5f, 140}, {15.0f, 125},
                                         {15.75f, 103}, {16.5f, 81},  {10.5f, 255}, {5.0f, 255},
                                         {19.3f, 0},    {20.5f, 0}};
  for (auto [volts, code] : cases) EXPECT_EQ(VppToCode(volts), code) << volts;
}

TEST(Supply, CodesToVoltsInSinglePrecision) {
  EXPECT_FLOAT_EQ(CodeToVolts(213), (4045.0f - 213 * 7.15f) / 210.0f);
  EXPECT_NEAR(CodeToVolts(213), 12.0098, 1e-4);
  EXPECT_NEAR(CodeToVolts(103), 15.755, 1e-4);
}

struct TimingCase {
  const char* Case;
  int Code;
  std::vector<std::uint8_t> Pes;
  const char* Maker;
  int ProgPulse, ErasePulse, ProgCode, ReadCode;
};

TEST(Supply, TimingByTypeClassAndMaker) {
  const std::vector<TimingCase> cases = {
      {"ATF22V10C ignores its PES", 132, {0, 5, 0, 0xA1, 0xFF, 0xFF, 0xFF}, "ATMEL", 20, 200, 213, 213},
      {"ATF16V8C", 129, {}, "ATMEL", 20, 200, 213, 213},
      {"ATF16V8B", 128, {0, 2}, "ATMEL", 10, 100, 213, 213},
      {"ATF22V10B", 131, {}, "ATMEL", 10, 100, 213, 213},
      {"Lattice GAL16V8 class 0", 0, {0, 0, 0, 0xA1}, "LATTICE", 100, 100, 103, 99},
      {"GAL16V8 class 1", 0, {0, 1, 0, 0x20}, "ST", 80, 100, 103, 99},
      {"GAL20V8 class 2", 32, {0, 2, 32, 0xA1}, "LATTICE", 10, 100, 81, 99},
      {"National GAL20V8 class 3", 32, {0, 3, 32, 0x8F}, "NATIONAL", 40, 100, 125, 99},
      {"Lattice GAL20V8 class 3", 32, {0, 3, 32, 0xA1}, "LATTICE", 40, 100, 140, 99},
      {"GAL16V8AZ class 4", 26, {0, 4}, "???", 100, 100, 103, 99},
      {"GAL20V8AZ class 6", 58, {0, 0xF6}, "???", 100, 100, 125, 99},
      {"GAL6002B class 2", 68, {0, 2, 68, 0xA1}, "LATTICE", 10, 50, 81, 99},
      {"GAL6001 class 7", 64, {0, 7}, "???", 100, 50, 125, 99},
      {"GAL22V10 class 0", 72, {0, 0, 72, 0xA1}, "LATTICE", 10, 100, 81, 99},
      {"National GAL22V10 class 1", 72, {0, 1, 72, 0x8F}, "NATIONAL", 100, 50, 103, 99},
      {"National GAL18V10 class 2", 80, {0, 2, 80, 0x8F}, "NATIONAL", 40, 50, 125, 99},
      {"GAL26CV12 class 2", 88, {0, 2, 88, 0x20}, "ST", 40, 100, 140, 99},
      {"GAL20RA10 class 3", 96, {0, 3}, "???", 100, 100, 155, 99},
      {"GAL26V12C class 4", 93, {0, 4}, "???", 100, 100, 125, 99},
      {"GAL20XV10 class 6", 101, {0, 6}, "???", 100, 100, 125, 99},
      // Class 5: erase 12.5 ms x 2^t, programming pulse and both voltages from bytes 4 to 6.
      {"class 5, all fields 0", 72, {0, 5, 72, 0xA1, 0, 0, 0}, "LATTICE", 1, 12, 255, 255},
      {"class 5, t 7, p 15", 72, {0, 5, 72, 0xA1, 0xFC, 0x01, 0}, "LATTICE", 200, 1600, 255, 255},
      {"class 5, p 13 and 14", 0, {0, 5, 0, 0xA1, 0xA0, 0x01, 0}, "LATTICE", 200, 12, 255, 255},
      {"class 5, p 3, t 3", 0, {0, 5, 0, 0xA1, 0x6C, 0x00, 0}, "LATTICE", 10, 100, 255, 255},
      {"class 5, p 12", 0, {0, 5, 0, 0xA1, 0x80, 0x01, 0}, "LATTICE", 100, 12, 255, 255},
      // Voltage fields: prog (byte5 >> 1) & 31 = 14 asks 12.0 V; read field 31 asks 20.5 V.
      {"class 5 voltages", 0, {0, 5, 0, 0xA1, 0x40, 0xDC, 0x07}, "LATTICE", 5, 12, 213, 0},
  };
  for (const TimingCase& c : cases) {
    TestWindowScope scope;
    SelectDevice(c.Code);
    GalDevice.VppReadCode = 99;  // left alone except for ATF and class 5
    PesBytes = c.Pes;
    ComputeSupplyAndTiming();
    EXPECT_EQ(GalDevice.Manufacturer, c.Maker) << c.Case;
    EXPECT_EQ(GalDevice.ProgPulse, c.ProgPulse) << c.Case;
    EXPECT_EQ(GalDevice.ErasePulse, c.ErasePulse) << c.Case;
    EXPECT_EQ(GalDevice.VppProgCode, c.ProgCode) << c.Case;
    EXPECT_EQ(GalDevice.VppReadCode, c.ReadCode) << c.Case;
    EXPECT_EQ(GalDevice.VccCode, 180) << c.Case;
  }
}

TEST(Supply, ClassFiveOnAFiveBytePesReadsByteSixAsZero) {
  TestWindowScope scope;
  SelectDevice(101);  // GAL20XV10: 40-bit rows, 5 PES bytes plus the extra zero entry
  PesBytes = {0, 5, 101, 0xA1, 0x00, 0x00};
  ComputeSupplyAndTiming();
  EXPECT_EQ(GalDevice.VppReadCode, 255);  // 5.0 V: the read field is 0
  EXPECT_EQ(GalDevice.ErasePulse, 12);
}

}  // namespace
