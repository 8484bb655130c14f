// The DIP drawing of the selected device, the renaming of pins in registered
// mode, the pull-up line, and the order of lines the Info command leaves.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "app/dispatch.h"
#include "devices/gal_device.h"
#include "devices/pinout.h"
#include "fuses/fuse_map.h"
#include "tests/support/recording_window.h"

namespace {

using Lines = std::vector<std::string>;

TEST(ShowPinout, RegisteredGal16V8AZCharacterForCharacter) {
  TestWindowScope scope;
  SelectDevice(26);
  FuseMap[2193] = 1;  // SYN = 0, AC0 = 1
  FuseMap[2120] = 1;  // AC1 of pin 19
  ShowPinout();
  const Lines expected = {
      "Registered Mode; SYN=0, AC0=1; /OE & CLK are dedicated inputs",
      "        _____     _____",
      "       |     \\___/     |",
      "   CLK |  1         20 | VCC",
      "     I |  2         19 | TRI-STATE by Product Term",
      "     I |  3         18 | REGISTER; TRI-STATE by /OE",
      "     I |  4         17 | REGISTER; TRI-STATE by /OE",
      "     I |  5         16 | REGISTER; TRI-STATE by /OE",
      "     I |  6         15 | REGISTER; TRI-STATE by /OE",
      "     I |  7         14 | REGISTER; TRI-STATE by /OE",
      "     I |  8         13 | REGISTER; TRI-STATE by /OE",
      "     I |  9         12 | REGISTER; TRI-STATE by /OE",
      "   GND | 10         11 | /OE",
      "       |_______________|",
  };
  EXPECT_EQ(scope.window().LogLines, expected);
}

TEST(ShowPinout, TwentyTwoV10WithMixedOutputs) {
  TestWindowScope scope;
  SelectDevice(132);
  for (int pin : {14, 17, 23}) FuseMap[5827 - 2 * (pin - 14)] = 1;
  ShowPinout();
  const Lines expected = {
      "        _____     _____",
      "       |     \\___/     |",
      " I_CLK |  1         24 | VCC",
      "     I |  2         23 | COMBINATORIAL",
      "     I |  3         22 | REGISTERED",
      "     I |  4         21 | REGISTERED",
      "     I |  5         20 | REGISTERED",
      "     I |  6         19 | REGISTERED",
      "     I |  7         18 | REGISTERED",
      "     I |  8         17 | COMBINATORIAL",
      "     I |  9         16 | REGISTERED",
      "     I | 10         15 | REGISTERED",
      "     I | 11         14 | COMBINATORIAL",
      "   GND | 12         13 | I",
      "       |_______________|",
  };
  EXPECT_EQ(scope.window().LogLines, expected);
}

TEST(ShowPinout, TwentyEightPinsWithoutAnalysis) {
  TestWindowScope scope;
  SelectDevice(88);
  FuseMap.fill(1);
  ShowPinout();
  const Lines& log = scope.window().LogLines;
  ASSERT_EQ(log.size(), 17u);  // two top lines, 14 rows, the bottom line
  EXPECT_EQ(log[2], " I_CLK |  1         28 | I");
  EXPECT_EQ(log[8], "   VCC |  7         22 | I/O");
  EXPECT_EQ(log[9], "     I |  8         21 | GND");
  EXPECT_EQ(log[15], "     I | 14         15 | I/O");
}

TEST(ShowPinout, LayoutNamesOfTypesWithoutAnalysis) {
  struct Row {
    int Code;
    std::size_t Line;
    const char* Text;
  };
  const Row rows[] = {
      {96, 2, "   /PL |  1         24 | VCC"}, {96, 13, "   GND | 12         13 | /OE"},
      {64, 13, "   GND | 12         13 | OCLK"}, {93, 5, "I_CLK2 |  4         25 | I/O"},
      {80, 10, "   I/O |  9         12 | I/O"}, {101, 13, "   GND | 12         13 | I_/OE"},
  };
  for (const Row& r : rows) {
    TestWindowScope scope;
    SelectDevice(r.Code);
    ShowPinout();
    ASSERT_GT(scope.window().LogLines.size(), r.Line);
    EXPECT_EQ(scope.window().LogLines[r.Line], r.Text) << r.Code;
  }
}

TEST(ShowPinout, TwentyV8RegisteredRenamesPinThirteen) {
  TestWindowScope scope;
  SelectDevice(58);
  FuseMap[2705] = 1;
  ShowPinout();
  const Lines& log = scope.window().LogLines;
  ASSERT_EQ(log.size(), 16u);
  EXPECT_EQ(log[0], "Registered Mode; SYN=0, AC0=1; /OE & CLK are dedicated inputs");
  EXPECT_EQ(log[3], "   CLK |  1         24 | VCC");
  EXPECT_EQ(log[4], "     I |  2         23 | I");
  EXPECT_EQ(log[5], "     I |  3         22 | REGISTER; TRI-STATE by /OE");
  EXPECT_EQ(log[13], "     I | 11         14 | I");
  EXPECT_EQ(log[14], "   GND | 12         13 | /OE");
}

TEST(ShowPinout, EarlySixteenV8InSimpleModeKeepsClockAndOeInputs) {
  TestWindowScope scope;
  SelectDevice(0);
  FuseMap[2192] = 1;
  FuseMap[2127] = 1;  // pin 12 an input
  ShowPinout();
  const Lines& log = scope.window().LogLines;
  ASSERT_EQ(log.size(), 15u);
  EXPECT_EQ(log[0], "Simple Mode; SYN=1, AC0=0");
  EXPECT_EQ(log[1], "CAUTION! Early GAL revision. All outputs without feedback!");
  EXPECT_EQ(log[4], " I_CLK |  1         20 | VCC");
  EXPECT_EQ(log[5], "     I |  2         19 | OUTPUT (NO feedback!)");
  EXPECT_EQ(log[12], "     I |  9         12 | INPUT");
  EXPECT_EQ(log[13], "   GND | 10         11 | I_/OE");
}

TEST(ShowPinout, LeftNamesAreCutToSixCharactersRightNamesNever) {
  TestWindowScope scope;
  SelectDevice(72);
  GalDevice.PinCount = 28;  // puts the OLMC of pin 14 in the left column
  GalDevice.PinTypes[2] = 99;  // a code without a name
  ShowPinout();
  const Lines& log = scope.window().LogLines;
  ASSERT_EQ(log.size(), 17u);
  EXPECT_EQ(log[3], "       |  2         27 | ");
  EXPECT_EQ(log[15], "REGIST | 14         15 | REGISTERED");
}

TEST(ShowPinout, NothingBeforeAnyDeviceIsSelected) {
  TestWindowScope scope;
  ShowPinout();
  EXPECT_TRUE(scope.window().LogLines.empty());
  SelectDevice(1);  // unknown code: still no package
  ShowPinout();
  EXPECT_TRUE(scope.window().LogLines.empty());
}

TEST(ShowPullUps, OneLinePerReportedKind) {
  const std::pair<std::int64_t, Lines> cases[] = {
      {0, {"Device Input & I/O Pull-ups: NO"}},
      {1, {"Device Input & I/O Pull-ups: YES"}},
      {2, {"Device Input & I/O Pull-ups: PIN KEEPER"}},
      {3, {}},
      {-1, {}},
      {0x100000000LL, {}},
  };
  for (const auto& [mode, lines] : cases) {
    TestWindowScope scope;
    PullUpMode = mode;
    ShowPullUps();
    EXPECT_EQ(scope.window().LogLines, lines) << mode;
  }
}

TEST(InfoCommand, WithoutDocFileShowsModeLinesAndDrawing) {
  TestWindowScope scope;
  SelectDevice(32);
  FuseMap[2704] = 1;
  FuseMap[2705] = 1;
  CurrentDesignPath = std::string(QUELVOX_BINARY_DIR) + "/no-such-design.jed";
  DispatchCommand(CmdInfo);
  const Lines& log = scope.window().LogLines;
  ASSERT_EQ(log.size(), 17u);
  EXPECT_EQ(log[0], "Complex Mode; SYN=1, AC0=1");
  EXPECT_EQ(log[1], "        _____     _____");
  EXPECT_EQ(log[15], "       |_______________|");
  EXPECT_EQ(log[16], ">>> done <<<");
}

}  // namespace
