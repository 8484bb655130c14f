// The simulated box on its own: the chips' cell layouts against hand-computed
// fuse numbers, the wire's pace at 115200 baud, and the identification text.
#include <gtest/gtest.h>

#include <set>

#include "boxsim/box.h"
#include "boxsim/chip.h"
#include "boxsim/sim_port.h"
#include "platform/serial_port.h"
#include "tests/support/virtual_clock.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ChipTypes, ArchitectureCellsCoverOneBlockEach) {
  struct Block {
    const char* Chip;
    int Count, First, Last;  // the cells cover First..Last without the UES
  };
  const Block blocks[] = {
      {"GAL16V8", 82, 2048, 2193},   {"GAL16V8AZ", 82, 2048, 2193}, {"GAL20V8", 82, 2560, 2705},
      {"ATF20V8", 82, 2560, 2705},   {"GAL18V10", 20, 3456, 3475},  {"GAL20RA10", 10, 3200, 3209},
      {"GAL20XV10", 31, 1600, 1630}, {"GAL22V10", 20, 5808, 5827},  {"GAL26CV12", 24, 6344, 6367},
      {"GAL26V12C", 48, 7800, 7847}, {"GAL6001", 68, 8154, 8221},   {"GAL6002B", 104, 8154, 8257}};
  for (const Block& b : blocks) {
    const ChipType& t = *FindChipType(b.Chip);
    const std::set<int> cells(t.ConfigFuses.begin(), t.ConfigFuses.end());
    EXPECT_EQ(static_cast<int>(t.ConfigFuses.size()), b.Count) << b.Chip;
    EXPECT_EQ(cells.size(), t.ConfigFuses.size()) << b.Chip << ": a cell twice";
    for (int f : cells) {
      EXPECT_TRUE(f >= b.First && f <= b.Last) << b.Chip << " " << f;
      EXPECT_FALSE(f >= t.UesFirstFuse && f < t.UesFirstFuse + t.UesBits) << b.Chip << " " << f;
    }
  }
  EXPECT_EQ(FindChipType("GAL16V8")->ConfigFuses[0], 2128);
  EXPECT_EQ(FindChipType("GAL16V8AZ")->ConfigFuses[0], 2048);
  EXPECT_EQ(FindChipType("GAL22V10")->ConfigFuses[0], 5809);
  EXPECT_EQ(FindChipType("GAL26V12C")->ConfigFuses[5], 7825);
  EXPECT_EQ(FindChipType("GAL6002B")->ConfigFuses[42], 8255);
}

// Every cell the chip shows, in reading order: rows, columns, architecture
// row, UES row.
std::vector<Bytes> AllCells(const Chip& chip) {
  const ChipType& t = *chip.Type;
  std::vector<Bytes> cells;
  for (int r = 0; r < t.Inputs; ++r)
    cells.push_back(chip.ReadRow({t.ShiftedRows, t.Layout6001 ? 2 * r + 1 : r}, t.Terms, true));
  if (t.Layout6001) {
    for (int c = 0; c < 64; ++c) {
      Bytes pattern(119, 0);
      std::fill(pattern.begin() + 31, pattern.begin() + 95, 1);
      pattern[31 + c] = 0;
      cells.push_back(chip.ReadColumn(pattern, 119));
    }
  }
  cells.push_back(chip.ReadRow(t.Config, static_cast<int>(t.ConfigFuses.size()), true));
  cells.push_back(chip.ReadRow(t.Ues, t.Terms, true));
  return cells;
}

// Every fuse of every chip sits in exactly one cell of a row, a column, the
// architecture row or the UES row. Fourteen reads, each with fuse f set to bit
// b of f + 1, tell which fuse each cell holds (all ones: none).
TEST(ChipTypes, EveryFuseIsReachableOnce) {
  constexpr int Bits = 14;
  for (const ChipType& t : AllChipTypes()) {
    Chip chip = Chip::Erased(t);
    std::vector<std::vector<int>> fuseOfCell;
    for (int b = 0; b < Bits; ++b) {
      for (int f = 0; f < t.Fuses; ++f) chip.Fuses[static_cast<std::size_t>(f)] = ((f + 1) >> b) & 1;
      const std::vector<Bytes> cells = AllCells(chip);
      fuseOfCell.resize(cells.size());
      for (std::size_t i = 0; i < cells.size(); ++i) {
        fuseOfCell[i].resize(cells[i].size());
        for (std::size_t k = 0; k < cells[i].size(); ++k) fuseOfCell[i][k] |= cells[i][k] << b;
      }
    }
    std::vector<int> seen(static_cast<std::size_t>(t.Fuses), 0);
    for (const auto& row : fuseOfCell)
      for (int id : row)
        if (id != (1 << Bits) - 1) ++seen.at(static_cast<std::size_t>(id - 1));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), t.Fuses) << t.Name;
  }
}

TEST(Chip, HandComputedCells) {
  auto oneFuse = [](const char* name, int fuse) {
    Chip chip = Chip::Erased(*FindChipType(name));
    chip.Fuses[static_cast<std::size_t>(fuse)] = 0;
    return chip;
  };
  EXPECT_EQ(oneFuse("GAL16V8", 101).ReadRow({false, 5}, 64, false)[3], 0);
  EXPECT_EQ(oneFuse("GAL16V8", 2056).ReadRow({false, 32}, 64, false)[0], 0);
  EXPECT_EQ(oneFuse("GAL22V10", 5 + 44 * 7).ReadRow({true, 5}, 132, false)[7], 0);
  EXPECT_EQ(oneFuse("ATF22V10B", 5828).ReadRow({true, 44}, 132, false)[68], 0);
  EXPECT_EQ(oneFuse("GAL6001", 7296 + 78 * 2 + 4).ReadRow({true, 9}, 95, false)[22], 0);
  EXPECT_EQ(oneFuse("GAL6001", 114 * 3 + 4).ReadRow({true, 9}, 95, false)[34], 0);
  Bytes pattern(119, 0);
  std::fill(pattern.begin() + 31, pattern.begin() + 95, 1);
  pattern[31 + 5] = 0;
  EXPECT_EQ(oneFuse("GAL6001", 114 * 5 + 78 + 7).ReadColumn(pattern, 119)[7], 0);
  EXPECT_EQ(oneFuse("GAL6001", 114 * 5 + 98 + 2).ReadColumn(pattern, 119)[105], 0);
}

TEST(Chip, PesRowsCarryTheirBytesLowBitFirst) {
  Chip gal = Chip::Erased(*FindChipType("GAL20V8"));
  gal.SetGalPes(MakerSt, 3, 32);
  const Bytes row = gal.ReadRow({false, 58}, 64, false);
  EXPECT_EQ(Bytes(row.begin() + 8, row.begin() + 16), (Bytes{1, 1, 0, 0, 0, 0, 0, 0}));   // class 3
  EXPECT_EQ(Bytes(row.begin() + 24, row.begin() + 32), (Bytes{0, 0, 0, 0, 0, 1, 0, 0}));  // 0x20
  Chip atf = Chip::Erased(*FindChipType("ATF22V10C"));
  EXPECT_EQ(atf.Pes[0], '1');  // "1F22V10C1" back to front
  EXPECT_EQ(atf.Pes[8], '1');
  EXPECT_EQ(atf.Pes[9], 0xFF);
  EXPECT_NE(atf.ReadRow({true, 58}, 132, false), atf.ReadRow({true, 58}, 132, true));
}

// Writes only program cells: over unerased cells the AND of old and new
// stays. The security cell hides the array and the architecture row, not the
// UES or the PES, until an erase.
TEST(Chip, WritesProgramCellsAndTheSecurityCellHidesUntilErased) {
  Chip chip = Chip::Erased(*FindChipType("GAL22V10"));
  Bytes first(132, 1), second(132, 1);
  first[3] = 0;
  second[7] = 0;
  chip.WriteRow({true, 5}, first);
  chip.WriteRow({true, 5}, second);
  Bytes both(132, 1);
  both[3] = both[7] = 0;
  EXPECT_EQ(chip.ReadRow({true, 5}, 132, false), both);

  chip.Fuses[5828] = 0;  // UES bit 0
  const Bytes pes = chip.ReadRow({true, 58}, 132, false);
  chip.Secured = true;
  EXPECT_EQ(chip.ReadRow({true, 5}, 132, false), Bytes(132, 0));
  EXPECT_EQ(chip.ReadRow({false, 16}, 20, false), Bytes(20, 0));
  EXPECT_EQ(chip.ReadRow({true, 44}, 132, false)[0], 0);
  EXPECT_EQ(chip.ReadRow({true, 44}, 132, false)[1], 1);
  EXPECT_EQ(chip.ReadRow({true, 58}, 132, false), pes);
  chip.Erase();
  EXPECT_FALSE(chip.Secured);
  EXPECT_EQ(chip.ReadRow({true, 5}, 132, false), Bytes(132, 1));
}

struct Wire {
  VirtualClockScope clock;
  ProgrammerBox box;
  SimulatedPorts ports;
  Wire() {
    ports.Attach("COM1", box);
    ports.Open("COM1");
  }
  void Sleep(int ms) { clock.clock().SleepMs(ms); }
};

TEST(Box, RepliesArriveAtTheWiresPace) {
  Wire w;
  w.box.Socket = Chip::Erased(*FindChipType("GAL22V10"));
  const Bytes setup{1, 7, 180, 213, 72, 24, 0};
  w.ports.Write(setup.data(), 7);
  w.Sleep(2);  // 7 + 20 bytes: 2.34 ms
  EXPECT_LT(w.ports.BytesWaiting(), 20);
  w.Sleep(1);
  EXPECT_EQ(w.ports.BytesWaiting(), 20);
  Bytes drained(20);
  w.ports.Read(drained.data(), 20);
  const Bytes row{5, 8, 132, 0, 3, 6, 0, 0};
  w.ports.Write(row.data(), 8);
  w.Sleep(12);  // 8 + 136 bytes: 12.5 ms
  EXPECT_LT(w.ports.BytesWaiting(), 136);
  w.Sleep(1);
  EXPECT_EQ(w.ports.BytesWaiting(), 136);
}

TEST(Box, AnEraseTakesItsPulseTime) {
  Wire w;
  w.box.Socket = Chip::Erased(*FindChipType("GAL16V8"));
  const Bytes setup{1, 8, 180, 103, 0, 20, 1, 213};
  w.ports.Write(setup.data(), 8);
  w.Sleep(5);
  Bytes drained(20);
  w.ports.Read(drained.data(), 20);
  const Bytes erase{7, 11, 1, 63, 0xFF, 0, 0, 0xFF, 3, 0, 1};  // 1023 ms, the longest pulse
  w.ports.Write(erase.data(), 11);
  w.Sleep(1023);
  EXPECT_EQ(w.ports.BytesWaiting(), 0);
  w.Sleep(5);
  EXPECT_EQ(w.ports.BytesWaiting(), 20);
}

TEST(Box, TheTextFollowsABreakOnlyOnAQuietLine) {
  Wire w;
  w.ports.SetBreak();
  w.Sleep(1);
  w.ports.ClearBreak();
  w.Sleep(1);
  const Bytes end{2, 2};
  w.ports.Write(end.data(), 2);  // a request follows: no text
  w.Sleep(40);
  EXPECT_EQ(w.ports.BytesWaiting(), 20);
  Bytes drained(20);
  w.ports.Read(drained.data(), 20);
  w.ports.SetBreak();
  w.Sleep(1);
  w.ports.ClearBreak();
  w.Sleep(40);
  std::string text(static_cast<std::size_t>(w.ports.BytesWaiting()), ' ');
  w.ports.Read(reinterpret_cast<std::uint8_t*>(text.data()), static_cast<int>(text.size()));
  EXPECT_EQ(text, "Quelvox_V1.0");
}

TEST(Box, AClosedPortHearsNothing) {
  Wire w;
  w.ports.SetBreak();
  w.ports.ClearBreak();
  w.ports.Close();
  w.Sleep(40);
  w.ports.Open("COM1");
  EXPECT_EQ(w.ports.BytesWaiting(), 0);
}

}  // namespace
