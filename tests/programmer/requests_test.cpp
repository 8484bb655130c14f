// Request frames byte for byte, for every read and write mode and both
// addressing styles, with numbers worked out by hand from the catalogue.
#include "programmer/requests.h"

#include <gtest/gtest.h>

#include "devices/gal_device.h"
#include "programmer/link_buffers.h"
#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Frame() {
  return Bytes(CommandBuffer.begin(), CommandBuffer.begin() + CommandBuffer[1]);
}

void Select(int code) {
  SelectDevice(code);
  GalDevice.VppReadCode = 213;
  GalDevice.VppProgCode = 103;
  GalDevice.ProgPulse = 20;
  GalDevice.ErasePulse = 1600;
}

struct ReadCase {
  int Code, Mode, Value;
  Bytes Expected;
};

TEST(Requests, ReadRowFrames) {
  const std::vector<ReadCase> cases = {
      // GAL16V8: rows by number in byte 3, 0xFF in byte 4.
      {0, ReadArrayRow, 5, {5, 8, 64, 5, 0xFF, 0, 0, 0}},
      {0, ReadUesRow, 0, {5, 8, 64, 32, 0xFF, 0, 0, 0}},
      {0, ReadPesRow, 0, {5, 8, 64, 58, 0xFF, 0, 0, 0}},
      {0, ReadConfigRow, 0, {5, 8, 82, 60, 0xFF, 0, 0, 0}},
      // GAL22V10: array, UES and PES rows shifted in from byte 4.
      {72, ReadArrayRow, 5, {5, 8, 132, 0, 5, 6, 0, 0}},
      {72, ReadUesRow, 0, {5, 8, 132, 0, 44, 6, 0, 0}},
      {72, ReadPesRow, 0, {5, 8, 132, 0, 58, 6, 0, 0}},
      {72, ReadConfigRow, 0, {5, 8, 20, 16, 0xFF, 6, 0, 0}},
      // The ATF22V10C carries its device flag in byte 6.
      {132, ReadArrayRow, 43, {5, 8, 132, 0, 43, 6, 1, 0}},
      {64, ReadArrayRow, 3, {5, 8, 95, 0, 3, 24, 0, 0}},
      {64, ReadPesRow, 0, {5, 8, 95, 0, 193, 24, 0, 0}},
      {64, ReadConfigRow, 0, {5, 8, 68, 8, 0xFF, 24, 0, 0}},
  };
  for (const ReadCase& c : cases) {
    Select(c.Code);
    BuildReadRequest(c.Mode, c.Value);
    EXPECT_EQ(Frame(), c.Expected) << "code " << c.Code << " mode " << c.Mode;
  }
}

struct WriteCase {
  int Code, Mode, Row;
  std::uint8_t Flag;
  Bytes Head;  // bytes 0..10
  int Length;
};

TEST(Requests, WriteRowFrames) {
  const std::vector<WriteCase> cases = {
      {0, WriteArrayRow, 7, 0, {7, 74, 64, 7, 0xFF, 0, 0, 20, 0, 0}, 74},
      {72, WriteArrayRow, 7, 1, {7, 142, 132, 0, 7, 6, 0, 20, 0, 1}, 142},
      {64, WriteColumn, 3, 0, {7, 129, 119, 3, 0xFF, 24, 0, 20, 0x80, 0}, 129},
      {0, WriteUesRow, 0, 0, {7, 74, 64, 32, 0xFF, 0, 0, 20, 0, 0}, 74},
      {72, WritePesRow, 0, 0, {7, 142, 132, 0, 58, 6, 0, 20, 0, 0}, 142},
      {72, WriteConfigRow, 0, 0, {7, 30, 20, 16, 0xFF, 6, 0, 20, 0, 0}, 30},
      // Erase: 1600 ms travels as 0x40 in byte 7 and 2 in byte 8 (10 bits).
      {0, WriteErase, 0, 0, {7, 11, 1, 63, 0xFF, 0, 0, 0x40, 2, 0, 1}, 11},
      {72, WriteErase, 0, 0, {7, 11, 1, 61, 0xFF, 6, 0, 0x40, 2, 0, 0}, 11},
      {80, WriteEraseAll, 0, 0, {7, 11, 1, 60, 0xFF, 6, 0, 0x40, 2, 0, 0}, 11},
      {88, WriteEraseAll, 0, 0, {7, 11, 1, 57, 0xFF, 6, 0, 0x40, 2, 0, 1}, 11},
      {0, WriteAuxRow, 0, 0, {7, 11, 64, 61, 0xFF, 0, 0, 20, 0, 0, 1}, 11},
      {80, WriteAuxRow, 0, 0, {7, 11, 96, 0, 61, 6, 0, 20, 0, 0, 1}, 11},
      {0, WriteRow59, 0, 0, {7, 11, 1, 59, 0xFF, 0, 0, 20, 0, 0, 0}, 11},
      {72, WriteRow59, 0, 0, {7, 11, 1, 0, 59, 6, 0, 20, 0, 0, 0}, 11},
  };
  for (const WriteCase& c : cases) {
    Select(c.Code);
    CommandBuffer[10] = 0x77;  // a caller's data bit, kept by the data-carrying modes
    BuildWriteRequest(c.Mode, c.Row, c.Flag);
    Bytes expected = c.Head;
    if (expected.size() == 10) expected.push_back(0x77);
    EXPECT_EQ(Bytes(CommandBuffer.begin(), CommandBuffer.begin() + 11), expected)
        << "code " << c.Code << " mode " << c.Mode;
    EXPECT_EQ(CommandBuffer[1], c.Length);
  }
}

TEST(Requests, EraseTimeKeepsOnlyTenBits) {
  Select(0);
  for (auto [pulse, low, high] : {std::tuple{100, 100, 0}, {1023, 0xFF, 3}, {1024, 0, 0}, {1600, 0x40, 2}}) {
    GalDevice.ErasePulse = pulse;
    BuildWriteRequest(WriteErase, 0, 0);
    EXPECT_EQ(CommandBuffer[7], low) << pulse;
    EXPECT_EQ(CommandBuffer[8], high) << pulse;
  }
}

TEST(Requests, SetUpFrames) {
  TestWindowScope scope;
  BoxLink link;
  link.Connect();
  Select(72);
  SendReadSetup();
  SendProgrammingSetup();
  SendEndRequest();
  SendIdRequest();
  const std::vector<Bytes> expected = {
      {1, 7, 180, 213, 72, 24, 0}, {1, 8, 180, 103, 72, 24, 1, 213}, {2, 2}, {3, 2}};
  EXPECT_EQ(link.Box.Frames, expected);
}

TEST(Requests, AColumnRequestSendsWhatEarlierRequestsLeft) {
  TestWindowScope scope;
  BoxLink link;
  link.Insert("GAL6001");
  link.Connect();
  Select(64);
  SendReadSetup();
  BuildWriteRequest(WriteColumn, 0x21, 0x5C);  // leaves 0x21, 0xFF, 0x80 and 0x5C in bytes 3, 4, 8 and 9
  for (int i = 10; i < 129; ++i) CommandBuffer[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(SendReadRequest(ReadColumn, 99), 119);
  const Bytes& sent = link.Box.Frames.back();
  ASSERT_EQ(sent.size(), 129u);
  EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 10), (Bytes{5, 129, 119, 0x21, 0xFF, 24, 0, 119, 0x80, 0x5C}));
  for (int i = 10; i < 129; ++i) EXPECT_EQ(sent[i], i);
}

}  // namespace
