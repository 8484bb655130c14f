// Identifying the chip in the socket: probing, PES decoding and checking,
// and the lines shown, through the simulated box.
#include "programmer/pes.h"

#include <gtest/gtest.h>

#include "devices/gal_device.h"
#include "devices/pinout.h"
#include "programmer/link_buffers.h"
#include "programmer/link_operation.h"
#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"

namespace {

using Lines = std::vector<std::string>;

struct Identify {
  TestWindowScope scope;
  BoxLink link;
  Identify() { link.Connect(); }
  Lines& Log() { return scope.window().LogLines; }
  bool Logged(const std::string& line) { return std::find(Log().begin(), Log().end(), line) != Log().end(); }
};

TEST(Pes, EveryChipTypeIsIdentifiedAsItself) {
  const std::vector<std::pair<std::string, std::string>> chips = {
      {"GAL16V8", "GAL16V8 [LATTICE]"},     {"GAL16V8AZ", "GAL16V8AZ [LATTICE]"},
      {"ATF16V8B", "ATF16V8B [ATMEL]"},     {"ATF16V8C", "ATF16V8C [ATMEL]"},
      {"GAL18V10", "GAL18V10 [LATTICE]"},   {"GAL20V8", "GAL20V8 [LATTICE]"},
      {"GAL20V8AZ", "GAL20V8AZ [LATTICE]"}, {"ATF20V8", "ATF20V8B [ATMEL]"},  // named as its PES spells it
      {"GAL20RA10", "GAL20RA10 [LATTICE]"}, {"GAL20RA10B", "GAL20RA10B [LATTICE]"},
      {"GAL20XV10", "GAL20XV10 [LATTICE]"}, {"GAL20XV10B", "GAL20XV10B [LATTICE]"},
      {"GAL22V10", "GAL22V10 [LATTICE]"},   {"GAL22V10AZ", "GAL22V10AZ [LATTICE]"},
      {"ATF22V10B", "ATF22V10B [ATMEL]"},   {"ATF22V10C", "ATF22V10C [ATMEL]"},
      {"GAL26CV12", "GAL26CV12 [LATTICE]"}, {"GAL26CV12B", "GAL26CV12B [LATTICE]"},
      {"GAL26V12C", "GAL26V12C [LATTICE]"}, {"GAL6001", "GAL6001 [LATTICE]"},
      {"GAL6001B", "GAL6001B [LATTICE]"},   {"GAL6002B", "GAL6002B [LATTICE]"},
  };
  for (const auto& [chip, shown] : chips) {
    Identify x;
    x.link.Insert(chip);
    x.Log() = {"old line"};
    ASSERT_EQ(ReadPes(), 1) << chip;
    ASSERT_EQ(x.Log().size(), 5u) << chip;  // the log was cleared first
    EXPECT_EQ(x.Log()[0], "Device: " + shown) << chip;
    EXPECT_EQ(GalDevice.DeviceCode, FindChipType(chip)->Code) << chip;
    EXPECT_EQ(x.link.Box.Frames.back()[0], 5) << chip << ": no end request after the PES";
  }
}

TEST(Pes, TheFiveLinesOfAGal16V8) {
  Identify x;
  x.link.Insert("GAL16V8").PullUps = 1;
  ASSERT_EQ(ReadPes(), 1);
  EXPECT_EQ(x.Log(),
            (Lines{"Device: GAL16V8 [LATTICE]", "Device Input & I/O Pull-ups: YES",
                   "Vpp Supply: \t15.8V (prog.)\t\t12.0V (read)",
                   "Pulse Timing: \t100ms (prog.)\t\t100ms (erase)", "PES: 00 00 00 A1 00 00 00 00 "}));
  EXPECT_EQ(PullUpMode, 1);
}

TEST(Pes, AnAtf22V10CIsReadAgainWithItsDeviceFlag) {
  Identify x;
  x.link.Insert("ATF22V10C");
  ASSERT_EQ(ReadPes(), 1);
  std::vector<std::vector<std::uint8_t>> pesReads;
  for (const auto& frame : x.link.Box.Frames)
    if (frame[0] == 5) pesReads.push_back(frame);
  ASSERT_EQ(pesReads.size(), 2u);
  EXPECT_EQ(pesReads[0][6], 0);
  EXPECT_EQ(pesReads[1][6], 1);
  EXPECT_EQ(GalDevice.Name, "ATF22V10C");
  EXPECT_FALSE(x.Logged("PES not valid"));
  EXPECT_EQ(x.Log()[2], "Vpp Supply: \t12.0V (prog.)\t\t12.0V (read)");
  EXPECT_EQ(x.Log()[3], "Pulse Timing: \t20ms (prog.)\t\t200ms (erase)");
}

struct PesCheck {
  const char* Chip;
  int TypeByte;
  const char* Selected;
  bool Invalid;
  const char* Maker = "NATIONAL";
};

TEST(Pes, TheTypeByteIsCheckedAgainstTheProbe) {
  const PesCheck cases[] = {
      {"GAL16V8", 0, "GAL16V8", false},
      {"GAL16V8", 26, "GAL16V8AZ", false},
      {"GAL16V8", 1, "GAL16V8", true},     // unknown type: the probed one stays
      {"GAL16V8", 72, "GAL16V8AZ", true},  // another family: the AZ fallback
      {"GAL20V8", 72, "GAL20V8AZ", true},
      {"GAL20V8", 58, "GAL20V8AZ", false},
      {"GAL22V10", 80, "GAL22V10", true},  // a different row width
      {"GAL22V10", 131, "ATF22V10B", false, "ATMEL"},
      {"GAL6001", 68, "GAL6002B", false},
  };
  for (const PesCheck& c : cases) {
    Identify x;
    x.link.Insert(c.Chip).SetGalPes(MakerNational, 1, c.TypeByte);
    ASSERT_EQ(ReadPes(), 1) << c.Chip << " " << c.TypeByte;
    EXPECT_EQ(GalDevice.Name, c.Selected) << c.Chip << " " << c.TypeByte;
    EXPECT_EQ(x.Logged("PES not valid"), c.Invalid) << c.Chip << " " << c.TypeByte;
    EXPECT_TRUE(x.Logged("Device: " + std::string(c.Selected) + " [" + c.Maker + "]"))
        << c.Chip << " " << c.TypeByte;
  }
}

TEST(Pes, NoChipOrAnUnknownIdFindsNothing) {
  for (int variant = 0; variant < 2; ++variant) {
    Identify x;
    if (variant == 1) x.link.Insert("ATF16V8B").Id[1] = 0x41;
    EXPECT_EQ(ReadPes(), 0);
    EXPECT_EQ(x.Log(), (Lines{"ERROR!", "No GAL found!"}));
    EXPECT_FALSE(LinkOperationStopped());
    const int probes = variant == 1 ? 1 : 6;  // the ATF answers the first probe
    EXPECT_EQ(x.link.Box.RequestCount(), 2 * probes);
  }
}

TEST(Pes, DecodingPutsTheFirstBitOfEachByteLowest) {
  TestWindowScope scope;
  SelectDevice(0);
  ReplyBuffer.assign(64, 1);
  std::fill(ReplyBuffer.begin(), ReplyBuffer.begin() + 8, 0);
  ReplyBuffer[0] = 1;
  ReplyBuffer[8 + 1] = 0;  // byte 1: 0xFD
  EXPECT_EQ(DecodePes(0), "");
  EXPECT_EQ(PesBytes.size(), 9u);
  EXPECT_EQ(PesBytes[0], 1);
  EXPECT_EQ(PesBytes[1], 0xFD);
  EXPECT_EQ(DecodePes(2), "01 FD FF FF FF FF FF FF ");
  EXPECT_EQ(PesText, std::string("\xFD\x01"));
}

TEST(Pes, AnAllOnesPesGivesNoTextAndNoAtfName) {
  TestWindowScope scope;
  SelectDevice(128);
  ReplyBuffer.assign(64, 1);
  DecodePes(0);
  EXPECT_EQ(PesText, "");
  EXPECT_EQ(DecodePes(1), "");
  EXPECT_EQ(GalDevice.Name, "ATF16V8B");
}

TEST(Pes, AShortPesRowDecodesAsZeroBits) {
  TestWindowScope scope;
  SelectDevice(72);
  ReplyBuffer.assign(3, 1);  // a reply whose trailer gave 3 of 132 bits
  DecodePes(0);
  EXPECT_EQ(PesBytes.size(), 17u);
  EXPECT_EQ(PesBytes[0], 0x07);
  EXPECT_TRUE(std::all_of(PesBytes.begin() + 1, PesBytes.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(Pes, ALinkThatFailsWhileProbingStopsAtOnce) {
  Identify x;
  x.link.Insert("GAL22V10");
  SelectDevice(93);
  x.link.Box.UnplugAfter(3);  // set-up and ID of the first probe, then the second set-up
  const std::int64_t start = x.link.Clock().NowMs();
  EXPECT_EQ(ReadPes(), 0);
  EXPECT_TRUE(LinkOperationStopped());
  EXPECT_EQ(x.Log(), Lines{"Connection Timeout"});
  EXPECT_EQ(GalDevice.Name, "GAL26V12C");  // the selection from before
  EXPECT_EQ(x.link.Box.Frames.back(), (std::vector<std::uint8_t>{2, 2}));
  EXPECT_EQ(x.link.Box.Frames.size(), 5u);
  EXPECT_LT(x.link.Clock().NowMs() - start, 4100);
}

}  // namespace
