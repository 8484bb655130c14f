// Programming through the simulated box: the frames of one Program per family
// with hand-computed bytes, every type programmed and read back, the chips and
// maps it refuses, a box unplugged half-way, a row that does not stick, and
// the security cell.
#include "programmer/program_device.h"

#include <gtest/gtest.h>

#include <random>

#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "fuses/fuse_map_view.h"
#include "programmer/device_ops.h"
#include "programmer/link_operation.h"
#include "tests/programmer/chip_maps.h"
#include "tests/programmer/connected_device.h"
#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"

namespace {

using Lines = std::vector<std::string>;

struct Device : ConnectedDevice {
  // The frames from the programming set-up on (the identification's before it).
  std::vector<Bytes> ProgramFrames() {
    const auto& frames = link.Box.Frames;
    auto setup = std::find_if(frames.begin(), frames.end(),
                              [](const Bytes& f) { return f.size() == 8 && f[0] == 1 && f[6] == 1; });
    return std::vector<Bytes>(setup, frames.end());
  }
  bool AnythingWritten() {
    for (const Bytes& frame : link.Box.Frames)
      if (frame[0] == 7) return true;
    return false;
  }
};

Bytes Head(const Bytes& frame, std::size_t n) {
  return Bytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(std::min(n, frame.size())));
}

Bytes Data(const Bytes& frame) {
  return Bytes(frame.begin() + 10, frame.end());
}

// All ones but a 0 at `at`.
Bytes OnesWithZeroAt(std::size_t count, int at) {
  Bytes bits(count, 1);
  bits[static_cast<std::size_t>(at)] = 0;
  return bits;
}

// One Program per family, on an erased chip, of a map with three fuses at 0:
// one in the array (row Row, bit Bit), one in the UES (bit UesBit of the UES
// row) and one in the configuration row (bit 0). Pulses and voltages are
// those of a Lattice chip of algorithm class 0 (an ATF has its own).
TEST(Program, FramesOfOneProgramPerFamily) {
  struct Case {
    const char* Chip;
    Bytes Setup, Erase, RowHead;  // RowHead with the row number of row 0
    int RowAt;                    // where the row number goes: byte 3 or 4
    Bytes UesHead, ConfigHead, ReadSetup;
    int ArrayFuse, Row, Bit, UesFuse, UesBit, ConfigFuse;
  };
  const Case cases[] = {
      {"GAL16V8",
       {1, 8, 180, 103, 0, 20, 1, 213},
       {7, 11, 1, 63, 0xFF, 0, 0, 100, 0, 0, 1},
       {7, 74, 64, 0, 0xFF, 0, 0, 100, 0, 0},
       3,
       {7, 74, 64, 32, 0xFF, 0, 0, 100, 0, 0},
       {7, 92, 82, 60, 0xFF, 0, 0, 100, 0, 0},
       {1, 7, 180, 213, 0, 20, 0},
       5 + 32 * 3,
       5,
       3,
       2056,
       0,
       2128},
      {"GAL20V8",
       {1, 8, 180, 103, 32, 24, 1, 213},
       {7, 11, 1, 63, 0xFF, 0, 0, 100, 0, 0, 1},
       {7, 74, 64, 0, 0xFF, 0, 0, 100, 0, 0},
       3,
       {7, 74, 64, 40, 0xFF, 0, 0, 100, 0, 0},
       {7, 92, 82, 60, 0xFF, 0, 0, 100, 0, 0},
       {1, 7, 180, 213, 32, 24, 0},
       39 + 40 * 63,
       39,
       63,
       2631,
       63,
       2640},
      {"GAL18V10",
       {1, 8, 180, 81, 80, 20, 1, 213},
       {7, 11, 1, 61, 0xFF, 6, 0, 100, 0, 0, 0},
       {7, 106, 96, 0, 0, 6, 0, 10, 0, 0},
       4,
       {7, 106, 96, 0, 44, 6, 0, 10, 0, 0},
       {7, 30, 20, 16, 0xFF, 6, 0, 10, 0, 0},
       {1, 7, 180, 213, 80, 20, 0},
       0 + 36 * 95,
       0,
       95,
       3476,
       0,
       3457},
      {"GAL20RA10",
       {1, 8, 180, 81, 96, 24, 1, 213},
       {7, 11, 1, 61, 0xFF, 6, 0, 100, 0, 0, 0},
       {7, 90, 80, 0, 0, 6, 0, 10, 0, 0},
       4,
       {7, 90, 80, 0, 40, 6, 0, 10, 0, 0},
       {7, 20, 10, 16, 0xFF, 6, 0, 10, 0, 0},
       {1, 7, 180, 213, 96, 24, 0},
       17 + 40 * 2,
       17,
       2,
       3217,
       7,
       3200},
      {"GAL20XV10",
       {1, 8, 180, 81, 101, 24, 1, 213},
       {7, 11, 1, 61, 0xFF, 6, 0, 100, 0, 0, 0},
       {7, 50, 40, 0, 0, 6, 0, 10, 0, 0},
       4,
       {7, 50, 40, 0, 44, 6, 0, 10, 0, 0},
       {7, 41, 31, 16, 0xFF, 6, 0, 10, 0, 0},
       {1, 7, 180, 213, 101, 24, 0},
       1 + 40 * 39,
       1,
       39,
       1670,
       39,
       1630},
      {"GAL22V10",
       {1, 8, 180, 81, 72, 24, 1, 213},
       {7, 11, 1, 61, 0xFF, 6, 0, 100, 0, 0, 0},
       {7, 142, 132, 0, 0, 6, 0, 10, 0, 0},
       4,
       {7, 142, 132, 0, 44, 6, 0, 10, 0, 0},
       {7, 30, 20, 16, 0xFF, 6, 0, 10, 0, 0},
       {1, 7, 180, 213, 72, 24, 0},
       43 + 44 * 131,
       43,
       131,
       5828,
       0,
       5809},
      // The ATF22V10C: its device flag in byte 6, its UES at bit 68 of the row.
      {"ATF22V10C",
       {1, 8, 180, 213, 132, 24, 1, 213},
       {7, 11, 1, 61, 0xFF, 6, 1, 200, 0, 0, 0},
       {7, 142, 132, 0, 0, 6, 1, 20, 0, 0},
       4,
       {7, 142, 132, 0, 44, 6, 1, 20, 0, 0},
       {7, 30, 20, 16, 0xFF, 6, 1, 20, 0, 0},
       {1, 7, 180, 213, 132, 24, 0},
       43 + 44 * 131,
       43,
       131,
       5828,
       68,
       5809},
      {"GAL26CV12",
       {1, 8, 180, 81, 88, 28, 1, 213},
       {7, 11, 1, 61, 0xFF, 6, 0, 100, 0, 0, 0},
       {7, 132, 122, 0, 0, 6, 0, 10, 0, 0},
       4,
       {7, 132, 122, 0, 52, 6, 0, 10, 0, 0},
       {7, 34, 24, 16, 0xFF, 6, 0, 10, 0, 0},
       {1, 7, 180, 213, 88, 28, 0},
       51 + 52 * 1,
       51,
       1,
       6369,
       1,
       6345},
      {"GAL26V12C",
       {1, 8, 180, 81, 93, 28, 1, 213},
       {7, 11, 1, 61, 0xFF, 6, 0, 100, 0, 0, 0},
       {7, 160, 150, 0, 0, 6, 0, 10, 0, 0},
       4,
       {7, 160, 150, 0, 52, 6, 0, 10, 0, 0},
       {7, 58, 48, 16, 0xFF, 6, 0, 10, 0, 0},
       {1, 7, 180, 213, 93, 28, 0},
       26 + 52 * 149,
       26,
       149,
       7911,
       63,
       7836},
  };
  for (const Case& c : cases) {
    Device x;
    const ChipType& type = *FindChipType(c.Chip);
    x.link.Insert(c.Chip);
    Bytes map(static_cast<std::size_t>(type.Fuses), 1);
    for (int fuse : {c.ArrayFuse, c.UesFuse, c.ConfigFuse}) map[static_cast<std::size_t>(fuse)] = 0;
    ShowDesign(type.Code, map);
    ASSERT_EQ(ProgramDevice(0, 0), 1) << c.Chip;

    const std::vector<Bytes> frames = x.ProgramFrames();
    const int rows = type.Inputs, rowLength = type.Terms;
    ASSERT_GE(frames.size(), static_cast<std::size_t>(rows + 5)) << c.Chip;
    EXPECT_EQ(frames[0], c.Setup) << c.Chip;
    EXPECT_EQ(frames[1], c.Erase) << c.Chip;
    for (int r = 0; r < rows; ++r) {
      const Bytes& row = frames[static_cast<std::size_t>(2 + r)];
      Bytes head = c.RowHead;
      head[static_cast<std::size_t>(c.RowAt)] = static_cast<std::uint8_t>(r);
      EXPECT_EQ(Head(row, 10), head) << c.Chip << " row " << r;
      const Bytes expected = r == c.Row ? OnesWithZeroAt(static_cast<std::size_t>(rowLength), c.Bit)
                                        : Bytes(static_cast<std::size_t>(rowLength), 1);
      EXPECT_EQ(Data(row), expected) << c.Chip << " row " << r;
    }
    const Bytes& ues = frames[static_cast<std::size_t>(2 + rows)];
    EXPECT_EQ(Head(ues, 10), c.UesHead) << c.Chip;
    EXPECT_EQ(Data(ues), OnesWithZeroAt(static_cast<std::size_t>(rowLength), c.UesBit)) << c.Chip;
    const Bytes& config = frames[static_cast<std::size_t>(3 + rows)];
    EXPECT_EQ(Head(config, 10), c.ConfigHead) << c.Chip;
    EXPECT_EQ(Data(config), OnesWithZeroAt(c.ConfigHead[2], 0)) << c.Chip;
    EXPECT_EQ(frames[static_cast<std::size_t>(4 + rows)], c.ReadSetup) << c.Chip;
    // Then the reads of a verify, and the end.
    EXPECT_EQ(frames[static_cast<std::size_t>(5 + rows)][0], 5) << c.Chip;
    EXPECT_EQ(frames.back(), (Bytes{2, 2})) << c.Chip;
    EXPECT_EQ(std::count(frames.begin(), frames.end(), Bytes{2, 2}), 1) << c.Chip;
    EXPECT_TRUE(x.Logged("*** SUCCESS ***")) << c.Chip;
  }
}

TEST(Program, EveryTypeHoldsTheMapItWasProgrammedWithOverWhatItHeld) {
  unsigned seed = 100;
  for (const ChipType& type : AllChipTypes()) {
    if (type.Layout6001) continue;  // refused below
    const Bytes map = RandomFuses(type.Fuses, seed++);
    Device x;
    x.link.Insert(type.Name, RandomFuses(type.Fuses, seed++));
    ShowDesign(type.Code, map);
    const Lines shown = x.Window().FuseMapLines;
    EXPECT_EQ(ProgramDevice(0, 0), 1) << type.Name;
    EXPECT_EQ(LastDeviceOutcome(), DeviceOutcome::Programmed) << type.Name;
    EXPECT_EQ(x.link.Box.Socket->Fuses, map) << type.Name;
    EXPECT_TRUE(x.Logged("->program")) << type.Name;
    EXPECT_TRUE(x.Logged("*** SUCCESS ***")) << type.Name;
    EXPECT_EQ(x.Window().FuseMapLines, shown) << type.Name;
    EXPECT_EQ(x.Window().Progress, 0) << type.Name;

    ReadOrVerifyDevice(0, 1);
    EXPECT_EQ(FuseMapBytes(type.Fuses), map) << type.Name;
  }
}

// For every type: a map of another device is refused with nothing written,
// and with one array row that does not stick the verify names that row's
// lowest fuse whose map value is 0.
TEST(Program, EveryTypeRefusesOtherMapsAndTellsARowThatDoesNotStick) {
  unsigned seed = 300;
  for (const ChipType& type : AllChipTypes()) {
    if (type.Layout6001) continue;
    const int otherCode = type.Fuses == 2194 ? 72 : 0;
    {
      Device x;
      const Bytes held = x.link.Insert(type.Name, RandomFuses(type.Fuses, seed++)).Fuses;
      SelectDevice(otherCode);
      ShowDesign(otherCode, RandomFuses(GalDevice.FuseCount, seed++));
      EXPECT_EQ(ProgramDevice(0, 0), 0) << type.Name;
      EXPECT_EQ(LastDeviceOutcome(), DeviceOutcome::Refused) << type.Name;
      EXPECT_FALSE(x.AnythingWritten()) << type.Name;
      EXPECT_EQ(x.link.Box.Socket->Fuses, held) << type.Name;
    }
    Device x;
    x.link.Insert(type.Name);
    const int row = type.Inputs / 2;
    x.link.Box.RowThatDoesNotStick = RowAddress{type.ShiftedRows, row};
    const Bytes map = RandomFuses(type.Fuses, seed++);
    ShowDesign(type.Code, map);
    int lowest = row;
    while (map[static_cast<std::size_t>(lowest)] != 0) lowest += type.Inputs;
    EXPECT_EQ(ProgramDevice(0, 0), 0) << type.Name;
    const Lines& log = x.Window().LogLines;
    EXPECT_EQ(log[log.size() - 2], "VERIFY failed @ fuse #" + std::to_string(lowest)) << type.Name;
  }
}

// Nothing is written to a chip that is refused; the socket is powered down
// and the selected device is the map's again.
TEST(Program, RefusedChipsGetNothingWritten) {
  struct Case {
    const char* Chip;
    int MapCode;
    Lines Said;        // the last log lines before the end
    int PesType = -1;  // a GAL PES naming this type, when >= 0
  };
  const std::vector<Case> cases = {
      {"GAL16V8",
       72,
       {"ERROR!",
        "The fuse map is for a GAL22V10 (5892 fuses), the programmer holds a GAL16V8 (2194 fuses)"}},
      {"GAL6001", 64, {"ERROR!", "Programming the GAL6001 is not available"}},
      {"GAL6002B", 68, {"ERROR!", "Programming the GAL6002B is not available"}},
      // A PES naming an unknown type: the voltages would rest on a guess.
      {"GAL16V8", 0, {"ERROR!", "The chip's PES is not valid: the chip is not programmed"}, 0x99},
  };
  for (const Case& c : cases) {
    Device x;
    const ChipType& type = *FindChipType(c.Chip);
    Chip& chip = x.link.Insert(c.Chip, RandomFuses(type.Fuses, 5));
    if (c.PesType >= 0) chip.SetGalPes(MakerLattice, 0, c.PesType);
    const Bytes held = chip.Fuses;
    SelectDevice(c.MapCode);
    ShowDesign(c.MapCode, RandomFuses(GalDevice.FuseCount, 6));
    const GalDeviceRecord mapDevice = GalDevice;
    const Bytes map = FuseMapBytes(GalDevice.FuseCount);
    EXPECT_EQ(ProgramDevice(0, 1), 0) << c.Chip;
    EXPECT_EQ(LastDeviceOutcome(), DeviceOutcome::Refused) << c.Chip;
    const Lines& log = x.Window().LogLines;
    ASSERT_GE(log.size(), c.Said.size()) << c.Chip;
    EXPECT_EQ(Lines(log.end() - static_cast<std::ptrdiff_t>(c.Said.size()), log.end()), c.Said) << c.Chip;
    EXPECT_FALSE(x.AnythingWritten()) << c.Chip;
    EXPECT_EQ(x.link.Box.Frames.back(), (Bytes{2, 2})) << c.Chip;
    EXPECT_EQ(x.link.Box.Socket->Fuses, held) << c.Chip;
    EXPECT_EQ(FuseMapBytes(GalDevice.FuseCount), map) << c.Chip;
    EXPECT_EQ(GalDevice, mapDevice) << c.Chip;
  }
}

TEST(Program, WithoutAMapNothingIsSent) {
  Device x;
  x.link.Insert("GAL16V8");
  SelectDevice(0);
  FuseMapLength = 2194;  // read from a file, never shown
  EXPECT_EQ(ProgramDevice(0, 0), 0);
  EXPECT_EQ(x.Window().LogLines, (Lines{"ERROR!", "No fuse map loaded"}));
  EXPECT_TRUE(x.link.Box.Frames.empty());
}

TEST(Program, UnpluggedHalfWayItStopsAndKeepsTheMap) {
  Device x;
  const Bytes map = RandomFuses(5892, 8);
  ShowDesign(72, map);
  const Lines shown = x.Window().FuseMapLines;
  const std::string status0 = x.Window().StatusFields[0], status1 = x.Window().StatusFields[1];
  x.link.Insert("GAL22V10");
  // Identification takes 10 frames (four probes, the read set-up, the PES
  // row); then come the set-up, the erase and the rows: this is row 20.
  x.link.Box.FaultOnRequest(10 + 2 + 21, {ReplyFault::CutOff, 5});
  EXPECT_EQ(ProgramDevice(0, 0), 0);
  ASSERT_GT(x.link.Box.Frames.size(), 32u);
  EXPECT_EQ(Head(x.link.Box.Frames[32], 5), (Bytes{7, 142, 132, 0, 20}));
  EXPECT_TRUE(LinkOperationStopped());
  EXPECT_EQ(LastDeviceOutcome(), DeviceOutcome::Stopped);
  EXPECT_EQ(FuseMapBytes(5892), map);
  EXPECT_EQ(FuseMapLength, 5892);
  EXPECT_EQ(x.Window().FuseMapLines, shown);
  EXPECT_EQ(x.Window().StatusFields[0], status0);
  EXPECT_EQ(x.Window().StatusFields[1], status1);
  EXPECT_EQ(x.Window().Progress, 0);
  EXPECT_FALSE(x.Logged("->verify"));
  EXPECT_EQ(x.link.Box.Frames.back(), (Bytes{2, 2}));
}

// The row's writes do not take, so after the erase it reads as ones: the
// verify names the lowest fuse of that row that the map has at 0; no
// security cell is set after a failed verify.
TEST(Program, ARowThatDoesNotStickFailsTheVerifyAtItsLowestZero) {
  struct Case {
    const char* Chip;
    RowAddress Row;
    int Fuse;                // the lowest fuse of the row at 0 in the map
    std::vector<int> Zeros;  // the map's zeros in that row (its other cells are 1)
  };
  const Case cases[] = {
      {"GAL22V10", {true, 43}, 43 + 44 * 7, {43 + 44 * 7, 43 + 44 * 131}},
      {"GAL22V10", {true, 44}, 5830, {5830, 5891}},   // the UES row
      {"GAL22V10", {false, 16}, 5810, {5810, 5827}},  // the configuration row
  };
  for (const Case& c : cases) {
    Device x;
    const ChipType& type = *FindChipType(c.Chip);
    x.link.Insert(c.Chip);
    x.link.Box.RowThatDoesNotStick = c.Row;
    Bytes map(static_cast<std::size_t>(type.Fuses), 1);
    for (int fuse : c.Zeros) map[static_cast<std::size_t>(fuse)] = 0;
    map[0] = map[1] = 0;  // row 0 and row 1 of the array, which stick
    ShowDesign(type.Code, map);
    EXPECT_EQ(ProgramDevice(0, 1), 0) << c.Chip;
    EXPECT_EQ(LastDeviceOutcome(), DeviceOutcome::VerifyFailed) << c.Chip;
    const Lines& log = x.Window().LogLines;
    EXPECT_EQ(Lines(log.end() - 3, log.end() - 1),
              (Lines{"ERROR!", "VERIFY failed @ fuse #" + std::to_string(c.Fuse)}))
        << c.Chip;
    EXPECT_FALSE(x.link.Box.Socket->Secured) << c.Chip;  // no security after a failed verify
    EXPECT_EQ(std::count_if(x.link.Box.Frames.begin(), x.link.Box.Frames.end(),
                            [](const Bytes& f) { return f[0] == 7 && f[1] == 11 && f[2] != 1; }),
              0)
        << c.Chip;
  }
}

// After a good verify, security sends the programming set-up, the auxiliary
// row (mode 7) and the end; the chip then reads its array and configuration
// as 0 and its UES as programmed, and no longer verifies.
TEST(Program, SecurityFollowsAGoodVerifyAndTheChipThenReadsProtected) {
  struct Case {
    const char* Chip;
    Bytes Setup, Aux;  // the programming set-up and the auxiliary-row request
  };
  const Case cases[] = {
      {"GAL16V8", {1, 8, 180, 103, 0, 20, 1, 213}, {7, 11, 64, 61, 0xFF, 0, 0, 100, 0, 0, 1}},
      {"GAL18V10", {1, 8, 180, 81, 80, 20, 1, 213}, {7, 11, 96, 0, 61, 6, 0, 10, 0, 0, 1}},
      {"GAL22V10", {1, 8, 180, 81, 72, 24, 1, 213}, {7, 11, 132, 0, 61, 6, 0, 10, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Device x;
    const ChipType& type = *FindChipType(c.Chip);
    x.link.Insert(c.Chip);
    const Bytes map = RandomFuses(type.Fuses, 9);
    ShowDesign(type.Code, map);
    EXPECT_EQ(ProgramDevice(0, 1), 1) << c.Chip;
    EXPECT_EQ(LastDeviceOutcome(), DeviceOutcome::Programmed) << c.Chip;
    const auto& frames = x.link.Box.Frames;
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames[frames.size() - 3], c.Setup) << c.Chip;
    EXPECT_EQ(frames[frames.size() - 2], c.Aux) << c.Chip;
    EXPECT_EQ(frames.back(), (Bytes{2, 2})) << c.Chip;
    const Lines& log = x.Window().LogLines;
    EXPECT_EQ(Lines(log.end() - 2, log.end()),
              (Lines{"*** SUCCESS ***", "Security fuse set: the chip is now read-protected"}))
        << c.Chip;
    EXPECT_TRUE(x.link.Box.Socket->Secured) << c.Chip;

    ReadOrVerifyDevice(0, 1);
    const int ues = type.UesFirstFuse, uesEnd = ues + type.UesBits;
    for (int f = 0; f < type.Fuses; ++f) {
      const bool inUes = f >= ues && f < uesEnd;
      ASSERT_EQ(FuseMap[static_cast<std::size_t>(f)], inUes ? map[static_cast<std::size_t>(f)] : 0)
          << c.Chip << " fuse " << f;
    }
  }
}

}  // namespace
