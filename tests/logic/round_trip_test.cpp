// Export and compile back: for every real GAL map of other tools and every
// map of the classic compiler, the exported ABEL design, written to a file
// and compiled by the abelc command line, gives a .jed that the program reads
// without a warning, with the same mode, the same polarity and register fuses
// on every cell that drives a pin, the same signature and the same function.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "abelc/compile.h"
#include "abelc/gal_devices.h"
#include "logic/abel_export.h"
#include "tests/logic/map_checks.h"
#include "tests/support/recording_window.h"

namespace {

std::vector<std::string> MapsToRebuild() {
  std::vector<std::string> paths;
  for (const std::string& name : RealJedecFiles()) paths.push_back(JedecDataDir() + "/" + name);
  const std::string classic = std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic";
  for (const auto& entry : std::filesystem::directory_iterator(classic)) {
    if (entry.path().extension() == ".jed") paths.push_back(entry.path().string());
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
    } else {
      fuses.push_back(arch.s0_base + 2 * c.Index);
      fuses.push_back(arch.s0_base + 2 * c.Index + 1);
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

TEST(RoundTrip, EveryMapRebuildsFromItsExportedDesign) {
  std::vector<std::string> maps = MapsToRebuild();
  ScratchDir dir;
  WriteOddMaps(dir, maps);
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
    // The same length, signature included where the original has one.
    ASSERT_EQ(rebuilt.size(), logic->Fuses.size()) << name;
    EXPECT_EQ(ConfigurationDifferences(*logic, rebuilt), "") << name << "\n" << design;
    const abelc::GalArchitecture& arch = *logic->Arch;
    if (static_cast<int>(rebuilt.size()) > arch.ues_base) {
      const auto ues = logic->Fuses.begin() + arch.ues_base;
      EXPECT_TRUE(std::equal(ues, ues + 64, rebuilt.begin() + arch.ues_base))
          << name << ": another signature";
    }
    const std::optional<MapLogic> again =
        DecodeMap(GalDevice.DeviceCode, GalDevice.Name, rebuilt, logic->PinNames, "");
    ASSERT_TRUE(again) << name;
    EXPECT_EQ(FunctionDifferences(*logic, *again), "") << name << "\n" << design;
    EXPECT_EQ(SimulationDifference(logic->Arch->family, logic->Fuses, rebuilt, 500), "") << name;
  }
  EXPECT_GT(signatures, 0);  // some maps carry a signature for FUSES to rebuild
}

}  // namespace
