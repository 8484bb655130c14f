// The DIP drawing of the selected device, the renaming of pins in registered
// mode, the pull-up line, and the order of lines the Info command leaves.

#include "devices/pinout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/design_path.h"
#include "base/fuse_map.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "devices/gal_device.h"
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

// Chosen lines of the log after a pinout: the fuses set to 1, the number of
// log lines, and lines by their index.
TEST(ShowPinout, RowsByDeviceAndFuses) {
  struct Case {
    int Code;
    std::vector<int> Fuses;
    std::size_t LineCount;
    std::vector<std::pair<std::size_t, std::string>> Lines;
  };
  // clang-format off
  const Case cases[] = {
    // 28 pins, 14 rows, no analysis even with every fuse set
    {88, {-1}, 17, {{2, " I_CLK |  1         28 | I"}, {8, "   VCC |  7         22 | I/O"},
                    {9, "     I |  8         21 | GND"}, {15, "     I | 14         15 | I/O"}}},
    {96, {}, 15, {{2, "   /PL |  1         24 | VCC"}, {13, "   GND | 12         13 | /OE"}}},
    {64, {}, 15, {{13, "   GND | 12         13 | OCLK"}}},
    {93, {}, 17, {{5, "I_CLK2 |  4         25 | I/O"}}},
    {80, {}, 13, {{10, "   I/O |  9         12 | I/O"}}},
    {101, {}, 15, {{13, "   GND | 12         13 | I_/OE"}}},
    // 20V8 registered: pin 13, not 11, becomes /OE
    {58, {2705}, 16, {{0, "Registered Mode; SYN=0, AC0=1; /OE & CLK are dedicated inputs"},
                      {3, "   CLK |  1         24 | VCC"}, {4, "     I |  2         23 | I"},
                      {5, "     I |  3         22 | REGISTER; TRI-STATE by /OE"},
                      {13, "     I | 11         14 | I"}, {14, "   GND | 12         13 | /OE"}}},
    // early GAL16V8 in simple mode keeps its clock and /OE input names; pin 12 an input
    {0, {2192, 2127}, 15, {{0, "Simple Mode; SYN=1, AC0=0"},
                           {1, "CAUTION! Early GAL revision. All outputs without feedback!"},
                           {4, " I_CLK |  1         20 | VCC"}, {5, "     I |  2         19 | OUTPUT (NO feedback!)"},
                           {12, "     I |  9         12 | INPUT"}, {13, "   GND | 10         11 | I_/OE"}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Code);
    TestWindowScope scope;
    SelectDevice(c.Code);
    for (int fuse : c.Fuses) {
      if (fuse < 0)
        FuseMap.fill(1);
      else
        FuseMap[fuse] = 1;
    }
    ShowPinout();
    const Lines& log = scope.window().LogLines;
    ASSERT_EQ(log.size(), c.LineCount);
    for (const auto& [index, text] : c.Lines) EXPECT_EQ(log[index], text) << "line " << index;
  }
}

TEST(ShowPinout, LeftNamesAreCutToSixCharactersRightNamesNever) {
  TestWindowScope scope;
  SelectDevice(72);
  GalDevice.PinCount = 28;     // puts the OLMC of pin 14 in the left column
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
