// Export and compile back: for every real GAL map of other tools, every map
// of the classic compiler and random valid maps of the GAL18V10, GAL26CV12,
// GAL26V12, GAL20RA10, GAL20XV10, GAL6001 and GAL6002B, the exported ABEL design, written to a file and
// compiled by the abelc command line, gives a .jed that the program reads without a warning, with the same
// mode, the same configuration fuses on every cell that drives a pin, the same signature and the same
// function.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "abelc/compile.h"
#include "abelc/gal_devices.h"
#include "abelc/pla_map.h"
#include "logic/abel_export.h"
#include "tests/logic/map_checks.h"
#include "tests/support/recording_window.h"

namespace {

std::vector<std::string> MapsToRebuild() {
  std::vector<std::string> paths;
  for (const std::string& name : RealJedecFiles()) paths.push_back(JedecDataDir() + "/" + name);
  for (const std::string& classic : {std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic",
                                     std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/fit/classic",
                                     std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/maps/p20xv10",
                                     std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/maps/f6001",
                                     std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/maps/f6002"}) {
    for (const auto& entry : std::filesystem::directory_iterator(classic)) {
      if (entry.path().extension() == ".jed") paths.push_back(entry.path().string());
    }
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

// The design written as NAME.abl into `folder` and compiled there by the
// abelc command line; the fuse map of the NAME.jed it wrote, as the program
// reads it. Whatever went wrong, and every line the reader logged, go to `problems`.
std::optional<std::vector<std::uint8_t>> CompileAndRead(const std::string& folder, const std::string& name,
                                                        const std::string& design, RecordingWindow& window,
                                                        std::string& problems) {
  const std::string base = folder + "/" + std::filesystem::path(name).stem().string();
  WriteBytes(base + ".abl", design);
  std::ostringstream out, err;
  const int status = abelc::RunCommandLine({base + ".abl"}, out, err);
  if (status != 0) {
    problems = "abelc exit status " + std::to_string(status) + "\n" + err.str() + out.str();
    return std::nullopt;
  }
  window.LogLines.clear();
  const std::int64_t count = ReadJedecFile(base + ".jed");
  for (const std::string& line : window.LogLines) problems += line + "\n";
  return std::vector<std::uint8_t>(FuseMap.begin(), FuseMap.begin() + std::max<std::int64_t>(count, 0));
}

// The configuration fuses of the cells that drive a pin, and the mode.
std::string ConfigurationDifferences(const MapLogic& a, const std::vector<std::uint8_t>& rebuilt) {
  const abelc::GalArchitecture& arch = *a.Arch;
  std::vector<int> fuses;
  if (arch.IsV8()) fuses = {arch.syn, arch.ac0};
  for (const CellLogic& c : a.Cells) {
    if (c.Role != CellRole::Output) continue;
    if (arch.IsV8()) {
      fuses.push_back(arch.xor_base + c.Index);
      fuses.push_back(arch.ac1_base + c.Index);
    } else if (a.Pla) {
      // A JK register of the classic compiler comes back as D with a clock enable (its third bit
      // differs), a register it built with the fourth bit (not inverting) as one that inverts.
      const PlaCellLogic& cell = a.Pla->Cells[static_cast<std::size_t>(c.Index)];
      for (int b = 0; b < 4; ++b) {
        if (!((cell.HoldWhileB || cell.ClockOnFall) && b == 2) && !(!cell.Inverting && b == 3))
          fuses.push_back(abelc::pla::OutputCellBits(c.Pin) + b);
      }
    } else if (arch.IsXv()) {
      for (int f :
           {arch.xor_map->Polarity(c.Index), arch.xor_map->Xor(c.Index), arch.xor_map->Register(c.Index)})
        fuses.push_back(f);
    } else {
      fuses.push_back(arch.S0(c.Index));
      if (arch.S1(c.Index) >= 0) fuses.push_back(arch.S1(c.Index));  // none on the GAL20RA10
      if (arch.map->clock_base >= 0) {
        fuses.push_back(arch.map->ClockSelect(c.Index));
        fuses.push_back(arch.map->FeedbackSelect(c.Index));
      }
    }
  }
  if (a.Pla) {  // the used buried cells, and the input cells the logic reads through
    for (const PlaCellLogic& c : a.Pla->Cells) {
      for (int b = 0; c.Used && c.Node && b < (c.HoldWhileB || c.ClockOnFall ? 2 : 3); ++b)
        fuses.push_back(abelc::pla::BuriedCellBits(c.Node) + b);
    }
    const std::vector<bool> read = PlaPairsRead(*a.Pla);
    for (int pin = 2; pin <= 23; ++pin) {
      const int column = abelc::pla::PinColumn(pin);
      if (column >= 0 && read[static_cast<std::size_t>(column / 2)] &&
          a.Pla->InputCell[static_cast<std::size_t>(pin)] != 'p') {
        const int bits = abelc::pla::InputCellBits(abelc::pla::MapOf(arch.family), pin);
        fuses.push_back(bits);
        fuses.push_back(bits + 1);
      }
    }
  }
  std::string diffs;
  for (int f : fuses) {
    if (a.Fuses[static_cast<std::size_t>(f)] != rebuilt[static_cast<std::size_t>(f)])
      diffs += "fuse " + std::to_string(f) + "\n";
  }
  return diffs;
}

// Maps no tool of the test data makes: a 22V10 register that never drives
// its pin but feeds the logic, with reset and preset terms, in a file without
// a signature; and a 16V8 simple-mode output read back by another output.
void WriteOddMaps(const ScratchDir& dir, std::vector<std::string>& paths) {
  const std::string ones44(44, '1');
  std::string hidden =
      "*QF5828*F0*L0000 " + std::string(20, '1') + "0" + std::string(23, '1') +     // AR = pin 6
      "*L0088 1111011111111111111111111111111111111111111" +                        // pin 23: D = pin 2
      "1*L0440 " + ones44 + "*L0484 1110111111111111111111111111111111111111111" +  // 22: !pin 23
      "1*L5764 1111111101111111111111111111111111111111111" +                       // SP = pin 3
      "1*L5808 0001*";
  std::string feedback =
      "*QF2194*F0*L0000 0111111111111111111111111111111*L0256 1111110111111111111111111111111"
      "*L2048 11000000*L2120 00111111*L2128 " +
      std::string(64, '1') + "*L2192 10*";
  for (auto& [name, text] :
       {std::pair{"hidden_register.jed", hidden}, std::pair{"simple_feedback.jed", feedback}}) {
    WriteBytes(dir / name, text);
    paths.push_back(dir / name);
  }
}

// Random maps of the GAL18V10, GAL26CV12, GAL26V12 and GAL20RA10 as a compiler writes
// them: each cell unused, an input, or combinational or registered of either
// polarity, always enabled or by a term, with random sums; reset and preset
// terms; on the 26V12 registers on either clock, read from their pin or
// their flip-flop; on the 20RA10 each register's own clock, reset and preset
// terms; a random signature (the P26V12 and P20RA10 maps drop it). The
// configuration fuses that nothing observes are left as the compiler leaves
// them, and nothing reads an unused cell's pin.
void WriteRandomMaps(const ScratchDir& dir, std::vector<std::string>& paths) {
  enum Kind { Unused, Input, Combinational, Registered };
  std::mt19937 random(2026);
  auto chance = [&random](int in) { return random() % static_cast<unsigned>(in) == 0; };
  for (const galmaps::MacrocellMap* map :
       {&galmaps::Map18V10, &galmaps::Map26CV12, &galmaps::Map26V12, &galmaps::Map20RA10}) {
    const bool v12 = map->feedback_base >= 0, ra10 = !map->SharedControls();
    const int columns = map->Columns();
    for (int n = 0; n < 8; ++n) {
      // Half the GAL26V12 maps as the classic compiler writes them, without a signature.
      std::vector<std::uint8_t> f(static_cast<std::size_t>((v12 || ra10) && n % 2 ? map->ues : map->Fuses()),
                                  0);
      std::vector<Kind> kind(static_cast<std::size_t>(map->pins) + 1, Input);
      for (int i = 0; i < map->cell_count; ++i) {
        const unsigned r = random() % 7;
        kind[static_cast<std::size_t>(map->cells[static_cast<std::size_t>(i)].pin)] = r == 0   ? Unused
                                                                                      : r == 1 ? Input
                                                                                      : r < 4  ? Combinational
                                                                                               : Registered;
      }
      std::vector<bool> read(kind.size(), false);
      auto term = [&](int row) {
        std::fill_n(f.begin() + row * columns, columns, 1);
        for (int k = 0; k < map->column_pairs; ++k) {
          const int pin = map->column_pins[static_cast<std::size_t>(k)];
          if (kind[static_cast<std::size_t>(pin)] == Unused || !chance(5)) continue;
          f[static_cast<std::size_t>(row * columns + 2 * k) + (random() & 1)] = 0;
          read[static_cast<std::size_t>(pin)] = true;
        }
      };
      bool registers = false;
      for (int i = 0; i < map->cell_count; ++i) {
        const Kind k = kind[static_cast<std::size_t>(map->cells[static_cast<std::size_t>(i)].pin)];
        if (k == Input && !v12 && !ra10) f[static_cast<std::size_t>(map->S1(i))] = 1;
        if (k != Combinational && k != Registered) continue;
        registers = registers || k == Registered;
        // A GAL20RA10 register always inverts: the compiler writes S0 = 0.
        f[static_cast<std::size_t>(map->S0(i))] = (random() & 1) && !(ra10 && k == Registered);
        if (!ra10) f[static_cast<std::size_t>(map->S1(i))] = k == Combinational;
        const int oe = map->OeRow(i);
        if (chance(3)) {
          std::fill_n(f.begin() + oe * columns, columns, 1);
        } else {
          term(oe);
        }
        const int sums = static_cast<int>(
            random() % static_cast<unsigned>(map->cells[static_cast<std::size_t>(i)].terms + 1));
        for (int row = map->FirstSum(i); row < map->FirstSum(i) + sums; ++row) term(row);
        if (ra10 && k == Combinational) {  // reset and preset true bypass the register
          std::fill_n(f.begin() + map->CellResetRow(i) * columns, 2 * columns, 1);
        } else if (ra10) {  // its own clock term; reset and preset terms, else false
          term(map->ClockRow(i));
          if (chance(2)) term(map->CellResetRow(i));
          if (chance(2)) term(map->CellPresetRow(i));
        }
        if (v12 && k == Registered) f[static_cast<std::size_t>(map->ClockSelect(i))] = random() & 1;
      }
      if (registers && !ra10) {
        if (chance(2)) term(map->ResetRow());
        if (chance(2)) term(map->PresetRow());
      }
      // The feedback fuse: 1 on a combinational output the array reads, and
      // on a register read from its flip-flop.
      for (int i = 0; v12 && i < map->cell_count; ++i) {
        const int pin = map->cells[static_cast<std::size_t>(i)].pin;
        const Kind k = kind[static_cast<std::size_t>(pin)];
        const bool fromRegister = k == Registered && (random() & 1);
        f[static_cast<std::size_t>(map->FeedbackSelect(i))] =
            read[static_cast<std::size_t>(pin)] && (k == Combinational || fromRegister);
      }
      for (int b = map->ues; b < static_cast<int>(f.size()); ++b)
        f[static_cast<std::size_t>(b)] = random() & 1;
      std::string bits;
      for (std::uint8_t b : f) bits += b ? '1' : '0';
      const std::string name = "random_" + std::string(map->name) + "_" + std::to_string(n) + ".jed";
      WriteBytes(dir / name, "*QF" + std::to_string(f.size()) + "*F0*L0000 " + bits + "*");
      paths.push_back(dir / name);
    }
  }
}

// Random GAL20XV10 maps as the compiler writes them: either mode; each cell
// unused, an input (read where the mode gives its pin a column), or
// combinational or registered, with an enable term and up to three sums of
// either polarity, or with its XOR gate and up to two terms a side (the
// polarity fuse 1 only where sum B is empty, as for '.OE = !pin13');
// a random signature in half of them.
void WriteRandomXorMaps(const ScratchDir& dir, std::vector<std::string>& paths) {
  enum Kind { Unused, Input, Combinational, Registered };
  const galmaps::XorMap& map = galmaps::Map20XV10;
  std::mt19937 random(1671);
  auto chance = [&random](int in) { return random() % static_cast<unsigned>(in) == 0; };
  const int columns = map.Columns();
  for (int n = 0; n < 8; ++n) {
    std::vector<std::uint8_t> f(static_cast<std::size_t>(map.Fuses()), 0);
    const bool inputs = n % 2 == 0;
    f[static_cast<std::size_t>(map.mode_fuse)] = inputs;
    std::vector<Kind> kind(static_cast<std::size_t>(map.pins) + 1, Input);
    for (int i = 0; i < 10; ++i) {
      const int pin = map.cells[static_cast<std::size_t>(i)];
      const unsigned r = random() % 7;
      kind[static_cast<std::size_t>(pin)] = r == 0   ? Unused
                                            : r == 1 ? Input
                                            : r < 4  ? Combinational
                                                     : Registered;
      if (map.ColumnOf(pin, !inputs) < 0 && kind[static_cast<std::size_t>(pin)] == Input)
        kind[static_cast<std::size_t>(pin)] = Unused;
    }
    auto term = [&](int row) {
      std::fill_n(f.begin() + row * columns, columns, 1);
      for (int k = 0; k < map.column_pairs; ++k) {
        const int pin = (inputs ? map.input_columns : map.feedback_columns)[static_cast<std::size_t>(k)];
        if (kind[static_cast<std::size_t>(pin)] == Unused || !chance(5)) continue;
        f[static_cast<std::size_t>(row * columns + 2 * k) + (random() & 1)] = 0;
      }
    };
    for (int i = 0; i < 10; ++i) {
      const Kind k = kind[static_cast<std::size_t>(map.cells[static_cast<std::size_t>(i)])];
      f[static_cast<std::size_t>(map.Xor(i))] = 1;
      f[static_cast<std::size_t>(map.Register(i))] = k == Input || k == Combinational;
      if (k != Combinational && k != Registered) continue;
      const int row = map.FirstRow(i);
      if (chance(3)) {  // the XOR of two sums
        f[static_cast<std::size_t>(map.Xor(i))] = 0;
        const unsigned a = random() % 3, b = random() % 3;
        for (unsigned t = 0; t < a; ++t) term(row + static_cast<int>(t));
        for (unsigned t = 0; t < b; ++t) term(row + 2 + static_cast<int>(t));
        f[static_cast<std::size_t>(map.Polarity(i))] = b == 0 && (random() & 1);
        continue;
      }
      f[static_cast<std::size_t>(map.Polarity(i))] = random() & 1;
      if (chance(3)) {
        std::fill_n(f.begin() + row * columns, columns, 1);
      } else {
        term(row);
      }
      for (unsigned t = 0, sums = random() % 4; t < sums; ++t) term(row + 1 + static_cast<int>(t));
    }
    for (int b = map.ues; n % 4 < 2 && b < map.Fuses(); ++b) f[static_cast<std::size_t>(b)] = random() & 1;
    std::string bits;
    for (std::uint8_t b : f) bits += b ? '1' : '0';
    const std::string name = "random_GAL20XV10_" + std::to_string(n) + ".jed";
    WriteBytes(dir / name, "*QF" + std::to_string(f.size()) + "*F0*L0000 " + bits + "*");
    paths.push_back(dir / name);
  }
}

// Random GAL6001 and GAL6002B maps: input cells plain, registered or latched
// (on the 6001 one setting for pins 2-11); output cells unused, inputs, or
// combinational or registered (clocked by pin 13, with a clock enable, or by
// a term); buried cells; up to 24 shared terms over pin 1, the input pins,
// the output pins read as inputs and the registers; enables and the reset
// term; a random signature in half of them. Nothing reads a combinational
// cell, so no loop forms.
void WriteRandomPlaMaps(const ScratchDir& dir, std::vector<std::string>& paths) {
  namespace pla = abelc::pla;
  enum Kind { Unused, Input, Combinational, Registered };
  std::mt19937 random(6001);
  auto chance = [&random](int in) { return random() % static_cast<unsigned>(in) == 0; };
  for (const pla::PlaMap* map : {&pla::kMap6001, &pla::kMap6002}) {
    for (int n = 0; n < 6; ++n) {
      std::vector<std::uint8_t> f(static_cast<std::size_t>(map->fuses), 0);
      auto set = [&](int fuse, bool v) { f[static_cast<std::size_t>(fuse)] = v ? 1 : 0; };
      const char group = "prl"[random() % 3];
      for (int pin = 2; pin <= 23; ++pin) {
        if (!pla::IsInputPin(pin) && !pla::IsOutputPin(pin)) continue;
        const char mode = pla::IsOutputPin(pin) ? 'p' : map->input_cell_pairs ? "prl"[random() % 3] : group;
        set(pla::InputCellBits(*map, pin), mode == 'p');
        set(pla::InputCellBits(*map, pin) + 1, mode != 'l');
      }
      std::vector<Kind> out(24, Unused), buried(34, Unused);
      for (int pin = 14; pin <= 23; ++pin)
        out[static_cast<std::size_t>(pin)] = static_cast<Kind>(random() % 4);
      for (int node = 26; node <= 33; ++node)
        buried[static_cast<std::size_t>(node)] = chance(2) ? Unused : chance(2) ? Combinational : Registered;
      std::vector<int> columns{0};  // true columns a term may read
      for (int pin = 2; pin <= 11; ++pin) columns.push_back(pla::PinColumn(pin));
      for (int pin = 14; pin <= 23; ++pin) {
        if (out[static_cast<std::size_t>(pin)] == Input) columns.push_back(pla::PinColumn(pin));
        if (out[static_cast<std::size_t>(pin)] == Registered) columns.push_back(pla::RegisterColumn(pin));
      }
      for (int node = 26; node <= 33; ++node) {
        if (buried[static_cast<std::size_t>(node)] == Registered) columns.push_back(pla::BuriedColumn(node));
      }
      auto term = [&](int t) {  // a random product in AND row t
        for (int col = 0; col < pla::kColumns; ++col) set(pla::AndFuse(t, col), true);
        for (int col : columns) {
          if (chance(6)) set(pla::AndFuse(t, col + static_cast<int>(random() & 1)), false);
        }
      };
      const int terms = 4 + static_cast<int>(random() % 21);
      for (int t = 0; t < pla::kSharedTerms; ++t) {
        for (int s = 0; s < pla::kSums; ++s) set(pla::OrFuse(t, s), true);
        if (t < terms) term(t);
      }
      auto feed = [&](int sum, unsigned most) {
        for (unsigned k = 1 + random() % most; k > 0; --k)
          set(pla::OrFuse(static_cast<int>(random() % terms), sum), false);
      };
      // The cell bits (pin 13, combinational, load unless B, not inverting) and sums A and B.
      auto cell = [&](Kind kind, int bits, int sum, bool output) {
        if (kind != Combinational && kind != Registered) return;
        feed(sum, 3);
        if (kind == Combinational) {
          set(bits + 1, true);
        } else if (const unsigned clocking = random() % 4; clocking == 0) {  // pin 13
          set(bits, true);
          set(bits + 2, true);
        } else if (clocking == 1) {  // pin 13 while sum B
          set(bits, true);
          feed(sum + 1, 2);
        } else {  // a term clock, rising or (third bit) falling
          feed(sum + 1, 2);
          set(bits + 2, clocking == 3);
        }
        if (output) set(bits + 3, chance(5));
      };
      bool registers = false;
      for (int pin = 14; pin <= 23; ++pin) {
        const Kind k = out[static_cast<std::size_t>(pin)];
        registers = registers || k == Registered;
        cell(k, pla::OutputCellBits(pin), pla::OutputSum(pin), true);
        if (k != Combinational && k != Registered) continue;
        if (chance(2)) {
          for (int col = 0; col < pla::kColumns; ++col) set(pla::AndFuse(pla::EnableTerm(pin), col), true);
        } else {
          term(pla::EnableTerm(pin));
        }
      }
      for (int node = 26; node <= 33; ++node) {
        registers = registers || buried[static_cast<std::size_t>(node)] == Registered;
        cell(buried[static_cast<std::size_t>(node)], pla::BuriedCellBits(node), pla::BuriedSum(node), false);
      }
      if (registers && chance(2)) term(pla::kResetTerm);
      for (int b = map->ues; n % 2 && b < map->fuses; ++b) set(b, random() & 1);
      std::string bits;
      for (std::uint8_t b : f) bits += b ? '1' : '0';
      const std::string name = "random_" + std::string(map->name) + "_" + std::to_string(n) + ".jed";
      WriteBytes(dir / name, "*QF" + std::to_string(f.size()) + "*F0*L0000 " + bits + "*");
      paths.push_back(dir / name);
    }
  }
}

TEST(RoundTrip, EveryMapRebuildsFromItsExportedDesign) {
  std::vector<std::string> maps = MapsToRebuild();
  ScratchDir dir;
  WriteOddMaps(dir, maps);
  WriteRandomMaps(dir, maps);
  WriteRandomXorMaps(dir, maps);
  WriteRandomPlaMaps(dir, maps);
  ASSERT_GE(maps.size(), 40u);
  const std::string designs = dir / "designs";
  std::filesystem::create_directory(designs);
  int signatures = 0;
  for (const std::string& path : maps) {
    TestWindowScope scope;
    const std::string name = std::filesystem::path(path).filename().string();
    const std::optional<MapLogic> logic = DecodeFile(path);
    ASSERT_TRUE(logic) << name;
    const std::string design = AbelDesignText(*logic, name);
    if (design.find("FUSES\r\n") != std::string::npos) ++signatures;
    std::string problems;
    const std::optional<std::vector<std::uint8_t>> fuses =
        CompileAndRead(designs, name, design, scope.window(), problems);
    ASSERT_TRUE(fuses) << name << "\n" << problems << design;
    EXPECT_EQ(problems, "") << name << ": reading the written .jed logged this";
    const std::vector<std::uint8_t>& rebuilt = *fuses;
    // The same length, signature included where the part's map has one.
    const abelc::GalArchitecture& arch = *logic->Arch;
    const std::size_t length = arch.family == abelc::Family::Gal26V12
                                   ? static_cast<std::size_t>(arch.ues_base)
                               : arch.family == abelc::Family::Gal20RA10 ? logic->MapFuses
                                                                         : logic->Fuses.size();
    ASSERT_EQ(rebuilt.size(), length) << name;
    EXPECT_EQ(ConfigurationDifferences(*logic, rebuilt), "") << name << "\n" << design;
    if (static_cast<int>(rebuilt.size()) > arch.ues_base) {
      const auto ues = logic->Fuses.begin() + arch.ues_base;
      EXPECT_TRUE(std::equal(ues, ues + arch.ues_bits, rebuilt.begin() + arch.ues_base))
          << name << ": another signature";
    }
    const std::optional<MapLogic> again =
        DecodeMap(GalDevice.DeviceCode, GalDevice.Name, rebuilt, logic->PinNames, "");
    ASSERT_TRUE(again) << name;
    // A logic array's nodes have no pins: its function is compared by the model below.
    if (!logic->Pla) {
      EXPECT_EQ(FunctionDifferences(*logic, *again), "") << name << "\n" << design;
    }
    std::vector<std::uint8_t> whole = rebuilt;  // a 'P20RA10' map ends before the signature
    whole.resize(logic->Fuses.size(), 0);
    EXPECT_EQ(SimulationDifference(logic->Arch->family, logic->Fuses, whole, 500), "") << name;
  }
  EXPECT_GT(signatures, 0);  // some maps carry a signature for FUSES to rebuild
}

}  // namespace
