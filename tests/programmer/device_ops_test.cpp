// Reading, verifying and erasing through the simulated box, for every device
// family, with hand-computed fuse positions and a box unplugged mid-read.
#include "programmer/device_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "fuses/fuse_map_view.h"
#include "programmer/link_buffers.h"
#include "programmer/link_operation.h"
#include "tests/programmer/chip_maps.h"
#include "tests/programmer/connected_device.h"
#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"

namespace {

using Lines = std::vector<std::string>;

using Device = ConnectedDevice;

TEST(DeviceOps, EveryFamilyReadsBackTheDesignItHolds) {
  unsigned seed = 1;
  for (const ChipType& type : AllChipTypes()) {
    const Bytes fuses = RandomFuses(type.Fuses, seed++);
    Lines shownLines, shownStatus;
    {
      Device x;
      ShowDesign(type.Code, fuses);
      shownLines = x.Window().FuseMapLines;
      shownStatus = {x.Window().StatusFields[0], x.Window().StatusFields[1]};
    }
    Device x;
    x.link.Insert(type.Name, fuses);
    EXPECT_EQ(ReadOrVerifyDevice(0, 1), 0);
    EXPECT_FALSE(LinkOperationStopped()) << type.Name;
    EXPECT_EQ(FuseMapLength, type.Fuses) << type.Name;
    EXPECT_EQ(ShownFuseCount, type.Fuses) << type.Name;
    EXPECT_EQ(FuseMapBytes(type.Fuses), fuses) << type.Name;
    EXPECT_EQ(x.Window().FuseMapLines, shownLines) << type.Name;
    if (type.Code < 128) {  // an ATF's name comes from its PES
      EXPECT_EQ(x.Window().StatusFields[0], shownStatus[0]) << type.Name;
    }
    EXPECT_EQ(x.Window().StatusFields[1], shownStatus[1]) << type.Name;
    EXPECT_TRUE(x.Logged("->read")) << type.Name;
    EXPECT_EQ(x.link.Box.Frames.back(), (Bytes{2, 2})) << type.Name;
    EXPECT_EQ(x.Window().ProgressHistory.back(), 0) << type.Name;

    x.Window().LogLines.clear();
    ReadOrVerifyDevice(1, 1);
    EXPECT_TRUE(x.Logged("->verify")) << type.Name;
    EXPECT_TRUE(x.Logged("*** SUCCESS ***")) << type.Name;
  }
}

// A chip of the given type with a single programmed (0) fuse.
Bytes OneProgrammedFuse(int count, int fuse) {
  Bytes fuses(static_cast<std::size_t>(count), 1);
  fuses[static_cast<std::size_t>(fuse)] = 0;
  return fuses;
}

TEST(DeviceOps, HandComputedPositions) {
  struct Case {
    const char* Chip;
    int Fuse;  // the only 0 on the chip
  };
  const Case cases[] = {
      {"GAL16V8", 5 + 32 * 3},          // row 5, bit 3
      {"GAL16V8", 31 + 32 * 63},        // last row, last bit
      {"GAL16V8", 2128},                // configuration bit 0 of the original order
      {"GAL16V8AZ", 2048},              // configuration bit 0 of the later order
      {"GAL16V8", 2056},                // first UES bit
      {"GAL16V8", 2119},                // last UES bit
      {"GAL22V10", 43 + 44 * 131},      // row 43, bit 131
      {"ATF22V10C", 5828},              // UES bit 0, at bit 68 of the UES row
      {"GAL6001", 7296 + 78 * 2 + 4},   // row 4, reply byte 20 + 2
      {"GAL6001", 114 * 63 + 77},       // row 77, reply byte 31 + 63
      {"GAL6001", 114 * 5 + 78 + 7},    // column 5, reply byte 7
      {"GAL6001", 114 * 63 + 98 + 15},  // column 63, reply byte 103 + 15
      {"GAL6002B", 8329},               // last UES bit
  };
  for (const Case& c : cases) {
    Device x;
    const int count = FindChipType(c.Chip)->Fuses;
    x.link.Insert(c.Chip, OneProgrammedFuse(count, c.Fuse));
    ReadOrVerifyDevice(0, 1);
    EXPECT_EQ(FuseMapBytes(count), OneProgrammedFuse(count, c.Fuse)) << c.Chip << " fuse " << c.Fuse;
  }
}

TEST(DeviceOps, AGal16V8IsReadWith32RowRequests) {
  Device x;
  x.link.Insert("GAL16V8");
  ReadOrVerifyDevice(0, 1);
  std::vector<int> rows;
  for (const Bytes& frame : x.link.Box.Frames)
    if (frame[0] == 5 && frame[3] < 32) rows.push_back(frame[3]);
  ASSERT_EQ(rows.size(), 32u);
  for (int r = 0; r < 32; ++r) EXPECT_EQ(rows[r], r);
  const auto& progress = x.Window().ProgressHistory;
  EXPECT_EQ(std::count(progress.begin(), progress.end(), 100), 1);
  EXPECT_EQ(progress[0], 3);  // 1 x 100 div 32
}

TEST(DeviceOps, VerifyReportsTheLowestDifferenceAndBeeps) {
  Device x;
  const Bytes fuses = RandomFuses(2194, 7);
  Bytes design = fuses;
  design[5] ^= 1;
  design[9] ^= 1;
  ShowDesign(0, design);
  x.link.Insert("GAL16V8", fuses);
  ReadOrVerifyDevice(1, 1);
  const Lines& log = x.Window().LogLines;
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(Lines(log.end() - 3, log.end()),
            (Lines{"ERROR!", "VERIFY failed @ fuse #5",
                   "2 fuses differ, the first in row 0 (L00000), column 5 (counting from 0)"}));
  ASSERT_EQ(x.Window().Beeps.size(), 1u);
  EXPECT_EQ(x.Window().Beeps[0].FrequencyHz, 440);
  EXPECT_EQ(x.Window().Beeps[0].DurationMs, 300);
  EXPECT_EQ(FuseMapBytes(2194), design);
}

TEST(DeviceOps, AnErasedChipNoLongerVerifies) {
  Device x;
  const Bytes fuses = OneProgrammedFuse(5892, 17);
  ShowDesign(72, fuses);
  x.link.Insert("GAL22V10", fuses);
  EXPECT_EQ(EraseDevice(0), 1);
  EXPECT_TRUE(x.Logged("GAL22V10 erased"));
  const Bytes erase = x.link.Box.Frames[x.link.Box.Frames.size() - 2];
  EXPECT_EQ(Bytes(erase.begin(), erase.begin() + 5), (Bytes{7, 11, 1, 61, 0xFF}));
  EXPECT_EQ(x.link.Box.Frames.back(), (Bytes{2, 2}));
  ReadOrVerifyDevice(1, 1);
  EXPECT_TRUE(x.Logged("VERIFY failed @ fuse #17"));
  EXPECT_TRUE(x.Logged("1 fuse differs, the first in row 0 (L00000), column 17 (counting from 0)"));
}

// A map of another device type is not compared fuse by fuse: the chip is
// named, nothing is read, and the map keeps its own device.
TEST(DeviceOps, VerifyAgainstAnotherDeviceNamesBoth) {
  Device x;
  ShowDesign(0, RandomFuses(2194, 3));
  x.link.Insert("GAL22V10");
  ReadOrVerifyDevice(1, 1);
  EXPECT_TRUE(
      x.Logged("The fuse map is for a GAL16V8 (2194 fuses), the programmer holds a GAL22V10 (5892 fuses)"));
  for (const std::string& line : x.Window().LogLines)
    EXPECT_EQ(line.find("VERIFY failed"), std::string::npos);
  EXPECT_EQ(LastDeviceOutcome(), DeviceOutcome::VerifyFailed);
  const auto rowReads = std::count_if(x.link.Box.Frames.begin(), x.link.Box.Frames.end(),
                                      [](const Bytes& frame) { return frame[0] == 5; });
  EXPECT_EQ(rowReads, 1);  // the PES row only
  EXPECT_EQ(x.link.Box.Frames.back(), (Bytes{2, 2}));
  EXPECT_EQ(GalDevice.Name, "GAL16V8");
}

TEST(DeviceOps, EraseAllIsRefusedForAtfChips) {
  for (const char* chip : {"ATF16V8B", "ATF22V10C"}) {
    Device x;
    x.link.Insert(chip);
    EXPECT_EQ(EraseDevice(1), 1) << chip;
    EXPECT_TRUE(x.Logged("ATMEL devices do not support this feature")) << chip;
    EXPECT_EQ(LastDeviceOutcome(), DeviceOutcome::Unsupported) << chip;
    for (const Bytes& frame : x.link.Box.Frames) EXPECT_NE(frame[0], 7) << chip;
    EXPECT_EQ(x.link.Box.Frames.back(), (Bytes{2, 2})) << chip;
  }
}

TEST(DeviceOps, EraseAllOfAGalUsesItsEraseAllRow) {
  Device x;
  x.link.Insert("GAL18V10");
  EXPECT_EQ(EraseDevice(1), 1);
  const auto& frames = x.link.Box.Frames;
  const Bytes& setup = frames[frames.size() - 3];
  EXPECT_EQ(setup, (Bytes{1, 8, 180, 81, 80, 20, 1, 213}));  // Lattice class 0 of a 10-output type: 16.5 V
  EXPECT_EQ(frames[frames.size() - 2][3], 60);
}

TEST(DeviceOps, NoChipMeansNoRequestOfItsOwn) {
  Device x;
  EXPECT_EQ(EraseDevice(0), 0);
  EXPECT_EQ(ReadOrVerifyDevice(0, 1), 0);
  for (const Bytes& frame : x.link.Box.Frames) EXPECT_TRUE(frame[0] == 1 || frame[0] == 3);
  EXPECT_FALSE(LinkOperationStopped());
}

TEST(DeviceOps, AShortRowCountsAsZeros) {
  Device x;
  x.link.Insert("GAL16V8", Bytes(2194, 1));
  // Request 5 is row 0: probe set-up and ID, read set-up, PES row come first.
  x.link.Box.FaultOnRequest(5, {ReplyFault::ShortPayload, 10});
  ReadOrVerifyDevice(0, 1);
  EXPECT_FALSE(LinkOperationStopped());
  int zeros = static_cast<int>(std::count(FuseMap.begin(), FuseMap.begin() + 2194, 0));
  EXPECT_EQ(zeros, 54);  // row 0 bits 10..63
  EXPECT_EQ(FuseMap[0 + 32 * 10], 0);
  EXPECT_EQ(FuseMap[0 + 32 * 9], 1);
}

TEST(DeviceOps, UnpluggingTheBoxMidReadKeepsTheShownDesign) {
  Device x;
  const Bytes design = RandomFuses(2706, 3);
  ShowDesign(32, design);
  const Lines shown = x.Window().FuseMapLines;
  const std::string status0 = x.Window().StatusFields[0], status1 = x.Window().StatusFields[1];
  x.link.Insert("GAL22V10", RandomFuses(5892, 4));
  x.link.Box.FaultOnRequest(6 + 10, {ReplyFault::CutOff, 50});  // half-way through row 10
  const std::int64_t start = x.link.Clock().NowMs();
  ReadOrVerifyDevice(0, 1);
  EXPECT_TRUE(LinkOperationStopped());
  EXPECT_LE(x.link.Clock().NowMs() - start, 4000 + 500);
  // The row's own lines tell why: 50 of 140 bytes, then no echo at the end.
  EXPECT_EQ(Lines(x.Window().LogLines.end() - 2, x.Window().LogLines.end()),
            (Lines{"Connection Timeout", "Response Error"}));
  EXPECT_EQ(FuseMapBytes(2706), design);
  EXPECT_EQ(FuseMapLength, 2706);
  EXPECT_EQ(x.Window().FuseMapLines, shown);
  EXPECT_EQ(x.Window().StatusFields[0], status0);
  EXPECT_EQ(x.Window().StatusFields[1], status1);
  EXPECT_EQ(x.Window().Progress, 0);
  EXPECT_EQ(GalDevice.Name, "GAL20V8");
  EXPECT_EQ(x.link.Box.Frames.back(), (Bytes{2, 2}));
  EXPECT_EQ(std::count(x.link.Box.Frames.begin(), x.link.Box.Frames.end(), Bytes{2, 2}), 1);
}

TEST(DeviceOps, AResponseErrorStopsAVerifyAndAnErase) {
  for (int operation = 0; operation < 2; ++operation) {
    Device x;
    x.link.Insert("GAL20V8");
    x.link.Box.FaultOnRequest(x.link.Box.RequestCount() + 9, {ReplyFault::WrongEcho});
    if (operation == 0) {
      ReadOrVerifyDevice(1, 1);
    } else {
      EXPECT_EQ(EraseDevice(0), 0);
    }
    EXPECT_TRUE(LinkOperationStopped()) << operation;
    EXPECT_TRUE(x.Logged("Response Error")) << operation;
    EXPECT_FALSE(x.Logged("*** SUCCESS ***")) << operation;
    EXPECT_EQ(x.link.Box.Frames.back(), (Bytes{2, 2})) << operation;
  }
}

}  // namespace
