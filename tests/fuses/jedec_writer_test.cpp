// The writer's exact bytes with a fixed clock, and a round trip through the
// reader for every device type.
#include "fuses/jedec_writer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/fuse_map.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "devices/gal_device.h"
#include "fuses/fuse_file_load.h"
#include "fuses/fuse_map_view.h"
#include "tests/fuses/fuse_test_files.h"
#include "tests/support/recording_window.h"
#include "tests/support/virtual_clock.h"

namespace {

void ShowDevice(int code) {
  SelectDevice(code);
  FuseMapLength = GalDevice.FuseCount;
  ShowFuseMap(FuseMapLength);
}

std::string SaveTo(RecordingWindow& w, const std::string& path) {
  w.AnswerDialog(path, 0);
  WriteJedecFile();
  return ReadBytes(path);
}

TEST(JedecWriter, ExactBytes) {
  ScratchDir dir;
  TestWindowScope scope;
  VirtualClockScope clock;
  clock.clock().Wall = {2026, 12, 7, 23, 41, 43};
  for (int i = 0; i < 32; ++i) FuseMap[i] = 1;
  ShowDevice(0);
  EXPECT_EQ(SaveTo(scope.window(), dir / "a.jed"),
            "\x02\r\n"
            "This is a JEDEC compatible fuse file.\r\n"
            "CREATED BY: Quelvox\r\n"
            "CREATED DATE: 07/12/2026  23:41:43\r\n"
            "*QF2194* F0* G0* \r\n"
            "L00000 11111111111111111111111111111111*\r\n"
            "C03FC*\r\n"
            "\x03\r\n");
  EXPECT_TRUE(scope.window().LogLines.empty());  // nothing is logged on success
}

TEST(JedecWriter, RowsWithoutAOneAreLeftOut) {
  ScratchDir dir;
  TestWindowScope scope;
  VirtualClockScope clock;
  clock.clock().Wall = {2024, 3, 5, 7, 8, 9};
  ShowDevice(0);
  EXPECT_EQ(JedecFileText(TheClock().Now()),
            "\x02\r\nThis is a JEDEC compatible fuse file.\r\nCREATED BY: Quelvox\r\n"
            "CREATED DATE: 05/03/2024  07:08:09\r\n*QF2194* F0* G0* \r\nC0000*\r\n\x03\r\n");
  FuseMap[63] = 1;  // the last fuse of row 1
  ShowFuseMap(2194);
  const std::string text = JedecFileText(TheClock().Now());
  EXPECT_NE(text.find("\r\nL00032 " + std::string(31, '0') + "1*\r\nC0080*\r\n"), std::string::npos) << text;
}

TEST(JedecWriter, WritesWhatThePaneShows) {
  TestWindowScope scope;
  auto& w = scope.window();
  ShownFuseCount = 7;
  FuseMapLength = 12000;  // left by a rejected QF: the checksum stays inside the array
  FuseMap.fill(1);
  w.FuseMapLines = {"L00000 0000", "L00004 0010 1", "L00008 "};
  const std::string text = JedecFileText({2025, 1, 2, 3, 4, 5});
  EXPECT_NE(text.find("*QF7* F0* G0* \r\nL00004 0010 1*\r\nCDD1F*\r\n"), std::string::npos) << text;
}

TEST(JedecWriter, CancelledSaveWritesNothing) {
  ScratchDir dir;
  TestWindowScope scope;
  auto& w = scope.window();
  SelectDevice(0);
  ShowFuseMap(2194);
  w.CancelDialog();
  DispatchCommand(CmdSaveButton);
  EXPECT_EQ(w.LogLines, (std::vector<std::string>{"Save canceled", ">>> done <<<"}));
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(JedecWriter, RoundTripForEveryDeviceType) {
  const int codes[] = {0,   26, 128, 129, 80,  32, 58, 130, 96, 97, 101,
                       102, 72, 73,  131, 132, 88, 89, 93,  64, 65, 68};
  std::mt19937 random(20260101);
  ScratchDir dir;
  for (int code : codes) {
    TestWindowScope scope;
    auto& w = scope.window();
    SelectDevice(code);
    const int count = GalDevice.FuseCount;
    std::vector<std::uint8_t> fuses(static_cast<std::size_t>(count));
    for (auto& fuse : fuses) fuse = static_cast<std::uint8_t>(random() & 1);
    for (int row = 3; row < 9; ++row) {
      for (int i = 0; i < GalDevice.RowCount; ++i) fuses[row * GalDevice.RowCount + i] = 0;  // rows left out
    }
    std::copy(fuses.begin(), fuses.end(), FuseMap.begin());
    ShowDevice(code);
    w.AnswerDialog(dir / "round", 0);  // the JEDEC filter adds ".jed"
    w.AnswerBox(BoxAnswer::Yes);       // replace the file of the type before
    DispatchCommand(CmdSaveAsMenu);
    w.AnswerDialog(dir / "round.jed");
    DispatchCommand(CmdOpenMenu);
    EXPECT_EQ(std::vector<std::uint8_t>(FuseMap.begin(), FuseMap.begin() + count), fuses) << code;
    EXPECT_EQ(w.LogLines[2], std::to_string(count) + " fuses match " + GalDevice.Name) << code;
    EXPECT_EQ(GalDevice.DeviceCode, DeviceCodeForFuseCount(count)) << code;
    EXPECT_EQ(GalDevice.FuseCount, count) << code;
  }
}

}  // namespace
