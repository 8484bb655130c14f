// The device catalogue as SelectDevice delivers it: every code, the relations
// other parts rely on, the configuration-row maps and the pin layouts.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "devices/gal_device.h"
#include "devices/pin_layouts.h"
#include "tests/support/recording_window.h"

namespace {

struct KnownType {
  int Code;
  const char* Name;
  int FuseCount;
  int MapFirst, MapLast;  // the block of fuses the configuration row covers (UES left out)
  int GndPin, VccPin, IoPins;
};

// clang-format off
const KnownType KnownTypes[] = {
  {  0, "GAL16V8",    2194, 2048, 2193, 10, 20,  8},
  { 26, "GAL16V8AZ",  2194, 2048, 2193, 10, 20,  8},
  {128, "ATF16V8B",   2194, 2048, 2193, 10, 20,  8},
  {129, "ATF16V8C",   2194, 2048, 2193, 10, 20,  8},
  { 80, "GAL18V10",   3540, 3456, 3475, 10, 20, 10},
  { 32, "GAL20V8",    2706, 2560, 2705, 12, 24,  8},
  { 58, "GAL20V8AZ",  2706, 2560, 2705, 12, 24,  8},
  {130, "ATF20V8",    2706, 2560, 2705, 12, 24,  8},
  { 96, "GAL20RA10",  3274, 3200, 3209, 12, 24, 10},
  { 97, "GAL20RA10B", 3274, 3200, 3209, 12, 24, 10},
  {101, "GAL20XV10",  1671, 1600, 1630, 12, 24, 10},
  {102, "GAL20XV10B", 1671, 1600, 1630, 12, 24, 10},
  { 72, "GAL22V10",   5892, 5808, 5827, 12, 24, 10},
  { 73, "GAL22V10AZ", 5892, 5808, 5827, 12, 24, 10},
  {131, "ATF22V10B",  5892, 5808, 5827, 12, 24, 10},
  {132, "ATF22V10C",  5892, 5808, 5827, 12, 24, 10},
  { 88, "GAL26CV12",  6432, 6344, 6367, 21,  7, 12},
  { 89, "GAL26CV12B", 6432, 6344, 6367, 21,  7, 12},
  { 93, "GAL26V12C",  7912, 7800, 7847, 21,  7, 12},
  { 64, "GAL6001",    8294, 8154, 8221, 12, 24, 10},
  { 65, "GAL6001B",   8294, 8154, 8221, 12, 24, 10},
  { 68, "GAL6002B",   8330, 8154, 8257, 12, 24, 10},
};
// clang-format on

bool IsEightOutputFamily(int code) {
  return code == 0 || code == 26 || code == 128 || code == 129 || code == 32 || code == 58 || code == 130;
}
bool Is6001(int code) {
  return code == 64 || code == 65 || code == 68;
}

std::vector<int> ConfigMap() {
  return {GalDevice.ConfigFuses.begin(), GalDevice.ConfigFuses.begin() + GalDevice.ConfigBits};
}

TEST(Catalogue, EveryCodeSelectsItsTypeAndNothingElseIsKnown) {
  TestWindowScope scope;
  std::set<int> known;
  for (const KnownType& t : KnownTypes) known.insert(t.Code);
  for (int code = 0; code < 256; ++code) {
    SelectDevice(72);
    const int result = SelectDevice(code);
    EXPECT_EQ(GalDevice.DeviceCode, code);
    if (!known.count(code)) {
      EXPECT_EQ(result, 0) << code;
      EXPECT_EQ(GalDevice.Name, "GAL22V10") << code;
      continue;
    }
    const KnownType& t = *std::find_if(std::begin(KnownTypes), std::end(KnownTypes),
                                       [&](const KnownType& k) { return k.Code == code; });
    EXPECT_EQ(result, 1) << code;
    EXPECT_EQ(GalDevice.Name, t.Name);
    EXPECT_EQ(GalDevice.FuseCount, t.FuseCount) << t.Name;
  }
}

TEST(Catalogue, SignatureAndArrayRelationsHoldForEveryType) {
  TestWindowScope scope;
  for (const KnownType& t : KnownTypes) {
    SCOPED_TRACE(t.Name);
    ASSERT_EQ(SelectDevice(t.Code), 1);
    const auto& d = GalDevice;
    const int uesEnd = d.UesFuse + 8 * d.UesBytes;
    if (IsEightOutputFamily(t.Code)) {
      EXPECT_LT(uesEnd, d.FuseCount);  // configuration fuses follow the UES
      EXPECT_NE(d.UesRow, 0);
      EXPECT_EQ(d.UesShiftRow, 255);
      EXPECT_EQ(d.PesShiftRow, 255);
      EXPECT_EQ(d.AddressBits, 0);
    } else {
      EXPECT_EQ(uesEnd, d.FuseCount);
      EXPECT_EQ(d.UesRow, 0);
      EXPECT_EQ(d.PesRow, 0);
      EXPECT_NE(d.AddressBits, 0);
    }
    if (!Is6001(t.Code)) {
      EXPECT_EQ(d.RowCount * d.RowLength, t.MapFirst) << "AND array ends where the map starts";
    }
    EXPECT_EQ(d.ConfigShiftRow, 255);
  }
}

TEST(Catalogue, EachMapCoversItsBlockOnceWithTheUesLeftOut) {
  TestWindowScope scope;
  for (const KnownType& t : KnownTypes) {
    SCOPED_TRACE(t.Name);
    ASSERT_EQ(SelectDevice(t.Code), 1);
    std::vector<int> map = ConfigMap();
    std::vector<int> expected;
    for (int fuse = t.MapFirst; fuse <= t.MapLast; ++fuse)
      if (fuse < GalDevice.UesFuse || fuse >= GalDevice.UesFuse + 8 * GalDevice.UesBytes)
        expected.push_back(fuse);
    std::sort(map.begin(), map.end());
    EXPECT_EQ(map, expected);  // sorted equality: no duplicates, no gaps, nothing else
  }
}

// Entries at the ends of the runs of every map: position, fuse.
TEST(Catalogue, MapsKeepTheirOrder) {
  struct Order {
    int Code;
    std::vector<std::pair<int, int>> Entries;
  };
  // clang-format off
  const Order orders[] = {
    {  0, {{0, 2128}, {31, 2159}, {32, 2048}, {35, 2051}, {36, 2193}, {37, 2120}, {44, 2127}, {45, 2192},
           {46, 2052}, {49, 2055}, {50, 2160}, {81, 2191}}},
    { 26, {{0, 2048}, {3, 2051}, {4, 2193}, {5, 2120}, {8, 2123}, {9, 2128}, {72, 2191}, {73, 2124}, {76, 2127},
           {77, 2192}, {78, 2052}, {81, 2055}}},
    { 32, {{0, 2640}, {31, 2671}, {32, 2560}, {35, 2563}, {36, 2705}, {37, 2632}, {44, 2639}, {45, 2704},
           {46, 2564}, {49, 2567}, {50, 2672}, {81, 2703}}},
    { 58, {{0, 2560}, {3, 2563}, {4, 2705}, {5, 2632}, {8, 2635}, {9, 2640}, {72, 2703}, {73, 2636}, {76, 2639},
           {77, 2704}, {78, 2564}, {81, 2567}}},
    { 80, {{0, 3457}, {1, 3456}, {2, 3459}, {3, 3458}, {18, 3475}, {19, 3474}}},
    { 72, {{0, 5809}, {1, 5808}, {2, 5811}, {19, 5826}}},
    { 88, {{0, 6345}, {1, 6344}, {22, 6367}, {23, 6366}}},
    { 96, {{0, 3200}, {9, 3209}}},
    {101, {{0, 1630}, {1, 1628}, {2, 1629}, {3, 1620}, {5, 1622}, {6, 1610}, {10, 1614}, {11, 1600}, {15, 1604},
           {16, 1627}, {17, 1626}, {18, 1623}, {20, 1625}, {21, 1619}, {25, 1615}, {26, 1609}, {30, 1605}}},
    { 93, {{0, 7836}, {1, 7824}, {2, 7812}, {3, 7800}, {4, 7837}, {5, 7825}, {6, 7813}, {7, 7801},
           {44, 7847}, {45, 7835}, {46, 7823}, {47, 7811}}},
    { 64, {{0, 8221}, {1, 8220}, {2, 8179}, {3, 8183}, {11, 8215}, {12, 8214}, {21, 8178}, {22, 8216}, {23, 8217},
           {24, 8212}, {41, 8181}, {42, 8156}, {49, 8177}, {50, 8154}, {57, 8175}, {58, 8176}, {65, 8155},
           {66, 8218}, {67, 8219}}},
    { 68, {{0, 8257}, {1, 8256}, {2, 8179}, {41, 8181}, {42, 8255}, {59, 8238}, {60, 8220}, {77, 8237},
           {78, 8156}, {103, 8219}}},
  };
  // clang-format on
  TestWindowScope scope;
  for (const Order& o : orders) {
    SCOPED_TRACE(o.Code);
    ASSERT_EQ(SelectDevice(o.Code), 1);
    for (auto [position, fuse] : o.Entries)
      EXPECT_EQ(GalDevice.ConfigFuses[position], fuse) << "position " << position;
  }
}

TEST(Catalogue, GAL6002MapEmbedsTheGAL6001Map) {
  TestWindowScope scope;
  SelectDevice(64);
  const std::vector<int> m6001 = ConfigMap();
  SelectDevice(68);
  const std::vector<int> m6002 = ConfigMap();
  ASSERT_EQ(m6001.size(), 68u);
  ASSERT_EQ(m6002.size(), 104u);
  EXPECT_TRUE(std::equal(m6001.begin() + 2, m6001.begin() + 42, m6002.begin() + 2));
  for (int i = 0; i < 18; ++i) EXPECT_EQ(m6002[42 + i], 8255 - i);
  for (int i = 0; i < 18; ++i) EXPECT_EQ(m6002[60 + i], 8220 + i);
  EXPECT_TRUE(std::equal(m6001.begin() + 42, m6001.end(), m6002.begin() + 78));
}

TEST(Catalogue, PinLayoutsPlaceSupplyAndOutputs) {
  TestWindowScope scope;
  for (const KnownType& t : KnownTypes) {
    SCOPED_TRACE(t.Name);
    SelectDevice(t.Code);
    const auto& pins = GalDevice.PinTypes;
    int io = 0, inputs = 0;
    for (int p = 1; p <= GalDevice.PinCount; ++p) {
      io += pins[p] == PinIo;
      inputs += pins[p] == PinInput;
      EXPECT_FALSE(PinName(pins[p]).empty()) << p;
    }
    EXPECT_EQ(pins[t.GndPin], PinGnd);
    EXPECT_EQ(pins[t.VccPin], PinVcc);
    EXPECT_EQ(io, t.IoPins);
    EXPECT_GT(inputs, 0);
  }
}

TEST(Catalogue, PinLayoutDetails) {
  struct Pin {
    int Code, PinNumber;
    const char* Name;
  };
  // clang-format off
  const Pin pins[] = {
    {0, 1, "I_CLK"}, {0, 11, "I_/OE"}, {0, 2, "I"},
    {80, 9, "I/O"}, {80, 11, "I/O"},
    {32, 13, "I_/OE"}, {32, 14, "I"}, {32, 23, "I"},
    {96, 1, "/PL"}, {96, 13, "/OE"},
    {101, 13, "I_/OE"}, {72, 13, "I"}, {72, 1, "I_CLK"},
    {88, 7, "VCC"}, {88, 22, "I/O"}, {88, 28, "I"}, {88, 4, "I"},
    {93, 4, "I_CLK2"}, {93, 28, "I"},
    {64, 13, "OCLK"}, {68, 13, "OCLK"},
  };
  // clang-format on
  TestWindowScope scope;
  for (const Pin& p : pins) {
    SelectDevice(p.Code);
    EXPECT_EQ(PinName(GalDevice.PinTypes[p.PinNumber]), p.Name) << p.Code << " pin " << p.PinNumber;
  }
  EXPECT_EQ(PinName(35), "");
  EXPECT_EQ(PinName(46), "");
}

TEST(SelectDevice, OnlyTheLowByteCounts) {
  TestWindowScope scope;
  EXPECT_EQ(SelectDevice(256), 1);
  EXPECT_EQ(GalDevice.DeviceCode, 0);
  EXPECT_EQ(GalDevice.Name, "GAL16V8");
  EXPECT_EQ(SelectDevice(388), 1);
  EXPECT_EQ(GalDevice.DeviceCode, 132);
  EXPECT_EQ(GalDevice.Name, "ATF22V10C");
  EXPECT_EQ(SelectDevice(-1), 0);
  EXPECT_EQ(GalDevice.DeviceCode, 255);
}

TEST(SelectDevice, UnknownCodeKeepsEverythingButTheCode) {
  TestWindowScope scope;
  SelectDevice(93);
  GalDeviceRecord before = GalDevice;
  EXPECT_EQ(SelectDevice(1), 0);
  EXPECT_EQ(GalDevice.DeviceCode, 1);
  before.DeviceCode = 1;
  EXPECT_EQ(GalDevice, before);
  EXPECT_TRUE(scope.window().LogLines.empty());
}

TEST(SelectDevice, SmallerTypeLeavesStaleEntriesBeyondItsPackageAndMap) {
  TestWindowScope scope;
  SelectDevice(93);
  const GalDeviceRecord big = GalDevice;
  SelectDevice(0);
  EXPECT_EQ(GalDevice.PinCount, 20);
  EXPECT_EQ(GalDevice.ConfigBits, 82);
  EXPECT_TRUE(std::equal(big.PinTypes.begin() + 21, big.PinTypes.end(), GalDevice.PinTypes.begin() + 21));
  EXPECT_TRUE(
      std::equal(big.ConfigFuses.begin() + 82, big.ConfigFuses.end(), GalDevice.ConfigFuses.begin() + 82));
  // Apart from those entries, the record is the one a first selection gives.
  GalDeviceRecord afterBig = GalDevice;
  ResetDeviceState();
  SelectDevice(0);
  afterBig.PinTypes = GalDevice.PinTypes;
  afterBig.ConfigFuses = GalDevice.ConfigFuses;
  EXPECT_EQ(GalDevice, afterBig);
}

TEST(SelectDevice, SiblingTypesDifferOnlyWhereTheCatalogueSays) {
  TestWindowScope scope;
  SelectDevice(0);
  GalDeviceRecord plain = GalDevice;
  SelectDevice(26);
  EXPECT_NE(plain.ConfigFuses, GalDevice.ConfigFuses);
  EXPECT_EQ(plain.ConfigFuses[0], 2128);
  EXPECT_EQ(GalDevice.ConfigFuses[0], 2048);
  plain.DeviceCode = 26;
  plain.Name = "GAL16V8AZ";
  plain.ConfigFuses = GalDevice.ConfigFuses;
  EXPECT_EQ(GalDevice, plain);

  SelectDevice(131);
  GalDeviceRecord b = GalDevice;
  EXPECT_EQ(b.UesBitOffset, 68);
  EXPECT_EQ(b.DeviceFlag, 0);
  SelectDevice(132);
  EXPECT_EQ(GalDevice.DeviceFlag, 1);
  b.DeviceCode = 132;
  b.Name = "ATF22V10C";
  b.DeviceFlag = 1;
  EXPECT_EQ(GalDevice, b);
  for (int code : {72, 73}) {
    SelectDevice(code);
    EXPECT_EQ(GalDevice.UesBitOffset, 0);
  }

  SelectDevice(80);
  const GalDeviceRecord v18 = GalDevice;
  SelectDevice(72);
  EXPECT_EQ(v18.EraseAllRow, 60);
  EXPECT_EQ(GalDevice.EraseAllRow, 62);
  EXPECT_EQ(v18.AuxFlag, 1);
  EXPECT_EQ(GalDevice.AuxFlag, 0);
}

TEST(SelectDevice, LeavesPesAndSupplyFieldsAlone) {
  TestWindowScope scope;
  EXPECT_EQ(GalDevice, GalDeviceRecord{});  // all zero before any selection
  EXPECT_EQ(GalDevice.PinCount, 0);
  GalDevice.Manufacturer = "Maker";
  GalDevice.ErasePulse = 100;
  GalDevice.ProgPulse = 10;
  GalDevice.VccCode = 1;
  GalDevice.VppProgCode = 2;
  GalDevice.VppReadCode = 3;
  SelectDevice(72);
  SelectDevice(64);
  EXPECT_EQ(GalDevice.Manufacturer, "Maker");
  EXPECT_EQ(GalDevice.ErasePulse, 100);
  EXPECT_EQ(GalDevice.ProgPulse, 10);
  EXPECT_EQ(GalDevice.VccCode, 1);
  EXPECT_EQ(GalDevice.VppProgCode, 2);
  EXPECT_EQ(GalDevice.VppReadCode, 3);
}

}  // namespace
