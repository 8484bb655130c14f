// Export and compile back: for every real GAL map of other tools and every
// map of the classic compiler, the exported ABEL design compiles with abelc
// into a map with the same mode, the same polarity and register fuses on
// every cell that drives a pin, the same signature and the same function.
#include <gtest/gtest.h>

#include <filesystem>

#include "abelc/compile.h"
#include "abelc/fit.h"
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

std::optional<abelc::FitResult> Compile(const std::string& source, std::string& errors) {
  abelc::Compilation c = abelc::CompileSource(source);
  std::optional<abelc::FitResult> fit;
  if (!c.diags.HasErrors()) fit = abelc::FitDesign(c.model, c.minimised, c.diags);
  if (fit) abelc::ForceFuses(c.model, fit->fuses);  // the signature, as the compiler writes it
  for (const abelc::Diagnostic& d : c.diags.List()) {
    if (d.severity == abelc::Severity::Error) errors += abelc::FormatDiagnostic(d, "export.abl", source);
  }
  return fit;
}

// Does abelc take a FUSES statement yet?
bool CompilerTakesFuses() {
  std::string errors;
  return Compile(
             "MODULE probe\r\n  U1 DEVICE 'P16V8S';\r\n  a PIN 2;\r\n  y PIN 19 ISTYPE "
             "'com,pos';\r\nEQUATIONS\r\n"
             "  y = a;\r\nFUSES\r\n  [2056..2063] = ^h41;\r\nEND probe\r\n",
             errors)
      .has_value();
}

std::string WithoutFuses(std::string design) {
  const std::size_t at = design.find("FUSES\r\n");
  if (at == std::string::npos) return design;
  return design.erase(at, design.find("\r\n\r\n", at) - at);
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
  const bool fusesStatement = CompilerTakesFuses();
  if (!fusesStatement) std::cout << "abelc has no FUSES statement yet: the signatures are not compared\n";
  std::vector<std::string> maps = MapsToRebuild();
  ScratchDir dir;
  WriteOddMaps(dir, maps);
  ASSERT_GE(maps.size(), 40u);
  int signatures = 0;
  for (const std::string& path : maps) {
    TestWindowScope scope;
    const std::string name = std::filesystem::path(path).filename().string();
    const std::optional<MapLogic> logic = DecodeFile(path);
    ASSERT_TRUE(logic) << name;
    std::string design = AbelDesignText(*logic, name);
    if (design.find("FUSES\r\n") != std::string::npos) ++signatures;
    if (!fusesStatement) design = WithoutFuses(design);
    std::string errors;
    const std::optional<abelc::FitResult> fit = Compile(design, errors);
    ASSERT_TRUE(fit) << name << "\n" << errors << design;
    const std::vector<std::uint8_t>& rebuilt = fit->fuses;
    ASSERT_GE(rebuilt.size(), static_cast<std::size_t>(logic->Arch->ues_base)) << name;
    EXPECT_EQ(ConfigurationDifferences(*logic, rebuilt), "") << name << "\n" << design;
    if (fusesStatement) {
      const auto ues = logic->Fuses.begin() + logic->Arch->ues_base;
      EXPECT_TRUE(rebuilt.size() >= logic->Fuses.size() &&
                  std::equal(ues, ues + 64, rebuilt.begin() + logic->Arch->ues_base))
          << name;
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
