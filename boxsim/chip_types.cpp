// The table of chip types the simulated box can hold.
#include "boxsim/chip_types.h"

#include <initializer_list>

namespace {

// A run of fuse numbers: start, start + step, ... (count of them).
struct Run {
  int Start, Step, Count;
};

std::vector<int> Runs(std::initializer_list<Run> runs) {
  std::vector<int> fuses;
  for (const Run& run : runs)
    for (int i = 0; i < run.Count; ++i) fuses.push_back(run.Start + i * run.Step);
  return fuses;
}

void Append(std::vector<int>& to, const std::vector<int>& from, int first, int count) {
  to.insert(to.end(), from.begin() + first, from.begin() + first + count);
}

// The architecture cells of an 8-output chip by function: eight XOR and eight
// AC1 cells, 64 product-term disables, SYN and AC0. The two row orders are the
// original one and the one of the later (AZ and ATF) chips.
struct EightOutputCells {
  int Xor, Ac1, Ptd, Syn, Ac0;
};

std::vector<int> OriginalOrder(const EightOutputCells& c) {
  return Runs({{c.Ptd, 1, 32},
               {c.Xor, 1, 4},
               {c.Ac0, 1, 1},
               {c.Ac1, 1, 8},
               {c.Syn, 1, 1},
               {c.Xor + 4, 1, 4},
               {c.Ptd + 32, 1, 32}});
}

std::vector<int> LaterOrder(const EightOutputCells& c) {
  return Runs({{c.Xor, 1, 4},
               {c.Ac0, 1, 1},
               {c.Ac1, 1, 4},
               {c.Ptd, 1, 64},
               {c.Ac1 + 4, 1, 4},
               {c.Syn, 1, 1},
               {c.Xor + 4, 1, 4}});
}

constexpr EightOutputCells Cells16{2048, 2120, 2128, 2192, 2193};
constexpr EightOutputCells Cells20{2560, 2632, 2640, 2704, 2705};

// 10- and 12-output chips: per output macrocell the S1 cell, then S0.
std::vector<int> MacrocellPairs(int base, int outputs) {
  std::vector<int> fuses;
  for (int k = 0; k < outputs; ++k) {
    fuses.push_back(base + 2 * k + 1);
    fuses.push_back(base + 2 * k);
  }
  return fuses;
}

std::vector<int> Xv10Cells() {
  return {1630, 1628, 1629, 1620, 1621, 1622, 1610, 1611, 1612, 1613, 1614, 1600, 1601, 1602, 1603, 1604,
          1627, 1626, 1623, 1624, 1625, 1619, 1618, 1617, 1616, 1615, 1609, 1608, 1607, 1606, 1605};
}

// Four cells per output of the 26V12C, stored in four planes of 12.
std::vector<int> V12Cells() {
  std::vector<int> fuses;
  for (int i = 0; i < 48; ++i) fuses.push_back(7800 + 12 * (3 - i % 4) + i / 4);
  return fuses;
}

std::vector<int> Cells6001() {
  std::vector<int> fuses = Runs({{8221, -1, 2}, {8179, 4, 10}, {8214, -4, 10}});
  for (int k = 0; k < 10; ++k) fuses.insert(fuses.end(), {8216 - 4 * k, 8217 - 4 * k});
  const std::vector<int> rest = Runs({{8156, 3, 8}, {8154, 3, 8}, {8176, -3, 8}, {8218, 1, 2}});
  fuses.insert(fuses.end(), rest.begin(), rest.end());
  return fuses;
}

std::vector<int> Cells6002() {
  const std::vector<int> base = Cells6001();
  std::vector<int> fuses{8257, 8256};
  Append(fuses, base, 2, 40);
  const std::vector<int> extra = Runs({{8255, -1, 18}, {8220, 1, 18}});
  fuses.insert(fuses.end(), extra.begin(), extra.end());
  Append(fuses, base, 42, 26);
  return fuses;
}

ChipType EightOutput(const char* name, int code, bool twentyFour, bool laterOrder, int probe,
                     std::uint8_t id0, std::uint8_t id1) {
  ChipType t;
  t.Name = name;
  t.Code = code;
  t.Pins = twentyFour ? 24 : 20;
  t.Fuses = twentyFour ? 2706 : 2194;
  t.Inputs = twentyFour ? 40 : 32;
  t.Terms = 64;
  t.Ues = {false, twentyFour ? 40 : 32};
  t.Pes = {false, 58};
  t.Config = {false, 60};
  t.Security = {false, 61};
  t.UesFirstFuse = twentyFour ? 2568 : 2056;
  t.UesBits = 64;
  const EightOutputCells& cells = twentyFour ? Cells20 : Cells16;
  t.ConfigFuses = laterOrder ? LaterOrder(cells) : OriginalOrder(cells);
  t.EraseRow = 63;
  t.EraseAllRow = 62;
  t.ProbeCode = probe;
  t.Id[0] = id0;
  t.Id[1] = id1;
  return t;
}

struct ShiftedGeometry {
  int Pins, Fuses, Inputs, Terms, UesAddress, UesFirstFuse, UesBytes, EraseAll;
};

ChipType Shifted(const char* name, int code, const ShiftedGeometry& g, std::vector<int> config,
                 std::uint8_t id0, std::uint8_t id1) {
  ChipType t;
  t.Name = name;
  t.Code = code;
  t.Pins = g.Pins;
  t.Fuses = g.Fuses;
  t.Inputs = g.Inputs;
  t.Terms = g.Terms;
  t.ShiftedRows = true;
  t.Ues = {true, g.UesAddress};
  t.Pes = {true, 58};
  t.Config = {false, 16};
  t.Security = {true, 61};
  t.UesFirstFuse = g.UesFirstFuse;
  t.UesBits = 8 * g.UesBytes;
  t.ConfigFuses = std::move(config);
  t.EraseRow = 61;
  t.EraseAllRow = g.EraseAll;
  t.ProbeCode = 72;  // they all answer in a 22V10 set-up
  t.Id[0] = id0;
  t.Id[1] = id1;
  return t;
}

ChipType Gal6001(const char* name, int code, bool six002) {
  ChipType t;
  t.Name = name;
  t.Code = code;
  t.Pins = 24;
  t.Fuses = six002 ? 8330 : 8294;
  t.Inputs = 78;
  t.Terms = 95;
  t.ShiftedRows = true;
  t.Layout6001 = true;
  t.Ues = {true, 195};
  t.Pes = {true, 193};
  t.Config = {false, 8};
  t.Security = {true, 197};
  t.UesFirstFuse = six002 ? 8258 : 8222;
  t.UesBits = 72;
  t.UesPosition = 20;
  t.PesPosition = 20;
  t.ConfigFuses = six002 ? Cells6002() : Cells6001();
  t.EraseRow = 63;
  t.EraseAllRow = 59;
  t.ProbeCode = 64;
  t.Id[0] = 0x77;
  return t;
}

std::vector<ChipType> BuildTypes() {
  constexpr ShiftedGeometry v18_10{20, 3540, 36, 96, 44, 3476, 8, 60};
  constexpr ShiftedGeometry ra10{24, 3274, 40, 80, 40, 3210, 8, 62};
  constexpr ShiftedGeometry xv10{24, 1671, 40, 40, 44, 1631, 5, 62};
  constexpr ShiftedGeometry v22_10{24, 5892, 44, 132, 44, 5828, 8, 62};
  constexpr ShiftedGeometry cv12{28, 6432, 52, 122, 52, 6368, 8, 57};
  constexpr ShiftedGeometry v12c{28, 7912, 52, 150, 52, 7848, 8, 57};
  std::vector<ChipType> types{
      EightOutput("GAL16V8", 0, false, false, 0, 0x40, 0),
      EightOutput("GAL16V8AZ", 26, false, true, 0, 0x40, 0),
      EightOutput("ATF16V8B", 128, false, true, 0, 0x01, 0x40),
      EightOutput("ATF16V8C", 129, false, true, 129, 0x40, 0),
      EightOutput("GAL20V8", 32, true, false, 32, 0x40, 0),
      EightOutput("GAL20V8AZ", 58, true, true, 32, 0x40, 0),
      EightOutput("ATF20V8", 130, true, true, 32, 0x01, 0x3F),
      Shifted("GAL18V10", 80, v18_10, MacrocellPairs(3456, 10), 0x66, 0),
      Shifted("GAL20RA10", 96, ra10, Runs({{3200, 1, 10}}), 0x56, 0),
      Shifted("GAL20RA10B", 97, ra10, Runs({{3200, 1, 10}}), 0x56, 0),
      Shifted("GAL20XV10", 101, xv10, Xv10Cells(), 0x2E, 0),
      Shifted("GAL20XV10B", 102, xv10, Xv10Cells(), 0x2E, 0),
      Shifted("GAL22V10", 72, v22_10, MacrocellPairs(5808, 10), 0x8A, 0),
      Shifted("GAL22V10AZ", 73, v22_10, MacrocellPairs(5808, 10), 0x8A, 0),
      Shifted("ATF22V10B", 131, v22_10, MacrocellPairs(5808, 10), 0x01, 0x89),
      Shifted("ATF22V10C", 132, v22_10, MacrocellPairs(5808, 10), 0x01, 0x89),
      Shifted("GAL26CV12", 88, cv12, MacrocellPairs(6344, 12), 0x80, 0),
      Shifted("GAL26CV12B", 89, cv12, MacrocellPairs(6344, 12), 0x80, 0),
      Shifted("GAL26V12C", 93, v12c, V12Cells(), 0x9C, 0),
      Gal6001("GAL6001", 64, false),
      Gal6001("GAL6001B", 65, false),
      Gal6001("GAL6002B", 68, true),
  };
  for (ChipType& t : types) {
    if (t.Name == "GAL18V10") t.ProbeCode = 80;
    // The ATF22V10 chips keep their UES at the far end of the row.
    if (t.Name.rfind("ATF22V10", 0) == 0) t.UesPosition = 68;
    if (t.Name == "ATF22V10C") t.NeedsDeviceFlag = true;
  }
  return types;
}

}  // namespace

const std::vector<ChipType>& AllChipTypes() {
  static const std::vector<ChipType> types = BuildTypes();
  return types;
}

const ChipType* FindChipType(const std::string& name) {
  for (const ChipType& t : AllChipTypes())
    if (t.Name == name) return &t;
  return nullptr;
}

const ChipType* FindChipType(int code) {
  for (const ChipType& t : AllChipTypes())
    if (t.Code == code) return &t;
  return nullptr;
}
