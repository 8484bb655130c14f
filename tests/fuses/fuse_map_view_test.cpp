// The fuse-map pane and the status bar: rows per family, the line format
// and the UES text.
#include "fuses/fuse_map_view.h"

#include <gtest/gtest.h>

#include <string>

#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "tests/support/recording_window.h"

namespace {

struct ViewCase {
  int Code;
  const char* Name;
  int Lines;
  const char* LastLineStart;
  std::size_t LastLineFuses;
  std::size_t UesChars;
};

TEST(FuseMapView, RowsOfEveryFamily) {
  const ViewCase cases[] = {
      {0, "GAL16V8", 69, "L02176 ", 18, 8},     {32, "GAL20V8", 68, "L02680 ", 26, 8},
      {80, "GAL18V10", 99, "L03528 ", 12, 8},   {96, "GAL20RA10", 82, "L03240 ", 34, 8},
      {101, "GAL20XV10", 42, "L01640 ", 31, 5}, {72, "GAL22V10", 134, "L05852 ", 40, 8},
      {88, "GAL26CV12", 124, "L06396 ", 36, 8}, {93, "GAL26V12C", 153, "L07904 ", 8, 8},
      {64, "GAL6001", 107, "L08268 ", 26, 9},   {68, "GAL6002B", 107, "L08268 ", 62, 9},
  };
  for (const ViewCase& c : cases) {
    TestWindowScope scope;
    auto& w = scope.window();
    SelectDevice(c.Code);
    ShowFuseMap(GalDevice.FuseCount);
    EXPECT_EQ(ShownFuseCount, GalDevice.FuseCount) << c.Name;
    ASSERT_EQ(w.FuseMapLines.size(), static_cast<std::size_t>(c.Lines)) << c.Name;
    const std::string& last = w.FuseMapLines.back();
    EXPECT_EQ(last, c.LastLineStart + std::string(c.LastLineFuses, '0')) << c.Name;
    EXPECT_EQ(w.FuseMapLines[1].substr(0, 7), "L000" + std::to_string(GalDevice.RowCount) + " ") << c.Name;
    EXPECT_EQ(w.StatusFields[0], c.Name);
    EXPECT_EQ(w.StatusFields[1], "UES: " + std::string(c.UesChars, ' ')) << c.Name;
  }
}

TEST(FuseMapView, LinesShowEachFuseInOrder) {
  TestWindowScope scope;
  SelectDevice(0);
  FuseMap[0] = FuseMap[31] = FuseMap[33] = FuseMap[2193] = 1;
  FuseMap[2194] = 1;  // past the count: not shown
  ShowFuseMap(2194);
  const auto& lines = scope.window().FuseMapLines;
  EXPECT_EQ(lines[0], "L00000 1" + std::string(30, '0') + "1");
  EXPECT_EQ(lines[1], "L00032 01" + std::string(30, '0'));
  EXPECT_EQ(lines[68], "L02176 " + std::string(17, '0') + "1");
}

TEST(FuseMapView, NothingToShow) {
  for (long long n : {0LL, -5LL}) {
    TestWindowScope scope;
    auto& w = scope.window();
    SelectDevice(72);
    w.FuseMapLines = {"old"};
    ShowFuseMap(n);
    EXPECT_TRUE(w.FuseMapLines.empty());
    EXPECT_EQ(w.StatusFields[0], "GAL22V10");
    EXPECT_EQ(w.StatusFields[1], "UES:         ");
  }
  TestWindowScope scope;  // no device selected yet: row width 0
  ShowFuseMap(2194);
  EXPECT_TRUE(scope.window().FuseMapLines.empty());
  EXPECT_EQ(scope.window().StatusFields[1], "UES: ");
}

void SetUesByte(int k, unsigned value) {
  for (int j = 0; j < 8; ++j) FuseMap[GalDevice.UesFuse + 8 * k + j] = (value >> (7 - j)) & 1;
}

TEST(FuseMapView, UesTextKeepsEveryByte) {
  TestWindowScope scope;
  SelectDevice(0);
  const unsigned bytes[8] = {0x41, 0x00, 0x01, 0x5C, 0x7F, 0xE9, 0xFF, 0x0A};
  for (int k = 0; k < 8; ++k) SetUesByte(k, bytes[k]);
  EXPECT_EQ(FuseMap[2056], 0);  // first fuse is the most significant bit
  EXPECT_EQ(FuseMap[2057], 1);
  ShowFuseMap(2194);
  EXPECT_EQ(scope.window().StatusFields[1], "UES: A \x01\\\x7F\xC3\xA9\xC3\xBF\n");
}

TEST(FuseMapView, UesOfAFiveByteDevice) {
  TestWindowScope scope;
  SelectDevice(101);
  for (int k = 0; k < 5; ++k) SetUesByte(k, "GAL20"[k]);
  ShowFuseMap(1671);
  EXPECT_EQ(scope.window().StatusFields[1], "UES: GAL20");
}

}  // namespace
