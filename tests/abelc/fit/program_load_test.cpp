// Every ok design's fuse file as the program sees it: it loads as the
// design's device, and the Info command shows the mode the fitter chose and
// each output's name beside its pin, in the mode the map gives its cell.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "abelc/compile.h"
#include "base/design_path.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "devices/gal_device.h"
#include "fit_support.h"
#include "fuses/fuse_file_load.h"
#include "tests/support/recording_window.h"

namespace {

namespace fs = std::filesystem;
using abelc::CompiledFiles, abelc::Compilation, abelc::FitResult, abelc::FittedCell, abelc::Family,
    abelc::GalMode;

const std::string kOkDir = std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/ok";

int DeviceCodeOf(Family f) {
  switch (f) {
    case Family::Gal16V8:
      return 0;
    case Family::Gal20V8:
      return 32;
    case Family::Gal18V10:
      return 80;
    case Family::Gal26CV12:
      return 88;
    case Family::Gal26V12:
      return 93;
    case Family::Gal20RA10:
      return 96;
    case Family::Gal20XV10:
      return 101;
    case Family::Gal6001:
      return 64;
    case Family::Gal6002:
      return 68;
    default:
      return 72;
  }
}

const char* ModeLine(GalMode mode) {
  switch (mode) {
    case GalMode::Simple:
      return "Simple Mode; SYN=1, AC0=0";
    case GalMode::Complex:
      return "Complex Mode; SYN=1, AC0=1";
    case GalMode::Registered:
      return "Registered Mode; SYN=0, AC0=1; /OE & CLK are dedicated inputs";
    case GalMode::Macrocells:
    case GalMode::Inputs:
    case GalMode::Feedback:
    case GalMode::Pla:
      return "";
  }
  return "";
}

// The first line holding `text`, or "".
std::string LineWith(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& l : lines) {
    if (l.find(text) != std::string::npos) return l;
  }
  return "";
}

TEST(ProgramLoad, EveryOkDesignLoadsAsItsDeviceAndInfoShowsItsModeAndPins) {
  const fs::path dir = fs::temp_directory_path() / "abelc_program_load";
  fs::remove_all(dir);
  fs::create_directories(dir);
  int loaded = 0;
  for (const auto& entry : fs::directory_iterator(kOkDir)) {
    if (entry.path().extension() != ".abl") continue;
    const std::string name = entry.path().stem().string();
    SCOPED_TRACE(name);
    const std::string source = abelc_fit_test::ReadFile(entry.path().string());
    CompiledFiles files = abelc::CompileToFiles(name + ".abl", source, "Thu Jan  1 00:00:00 2026");
    ASSERT_TRUE(files.ok) << files.listing;
    std::ofstream(dir / (name + ".jed"), std::ios::binary) << files.jed;
    std::ofstream(dir / (name + ".doc"), std::ios::binary) << files.doc;
    Compilation c = abelc::CompileSource(source);
    std::optional<FitResult> fit = abelc::FitDesign(c.model, c.minimised, c.diags);
    ASSERT_TRUE(fit);

    TestWindowScope scope;
    CurrentDesignPath = (dir / (name + ".abl")).string();
    LoadFuseFile((dir / (name + ".jed")).string());
    EXPECT_EQ(GalDevice.DeviceCode, DeviceCodeOf(c.model.device.family)) << GalDevice.Name;
    EXPECT_FALSE(scope.window().FuseMapLines.empty());
    scope.window().LogLines.clear();
    DispatchCommand(CmdInfo);
    const std::vector<std::string>& log = scope.window().LogLines;
    const std::string mode = ModeLine(fit->mode);
    if (!mode.empty()) {
      EXPECT_FALSE(LineWith(log, mode).empty()) << "no mode line '" << mode << "'";
    }
    for (const FittedCell& cell : fit->cells) {
      if (cell.output < 0) continue;
      const std::string& signal = c.model
                                      .signals[static_cast<std::size_t>(
                                          c.model.outputs[static_cast<std::size_t>(cell.output)].signal)]
                                      .name;
      const std::string pin = std::to_string(cell.pin);
      // The chip diagram from the report: "<pin>  | <name>", the name maybe
      // with '!'; on the left side (pin 9 of a GAL18V10) "<name> |  <pin>".
      const bool left = cell.pin <= GalDevice.PinCount / 2;
      const std::string number = (cell.pin < 10 ? " " : "") + pin;
      const std::string drawn =
          left ? LineWith(log, "| " + number + std::string(20, ' ')) : LineWith(log, " " + pin + "  | ");
      EXPECT_NE(drawn.substr(0, left ? drawn.find(" |") : std::string::npos).find(signal), std::string::npos)
          << signal << " on pin " << pin << ": '" << drawn << "'";
      // The pinout from the map's architecture fuses: "<pin> | <what the cell
      // does>", for the families whose cells the program analyses.
      if (c.model.device.family != Family::Gal16V8 && c.model.device.family != Family::Gal20V8 &&
          c.model.device.family != Family::Gal22V10)
        continue;
      const std::string described = LineWith(log, " " + pin + " | ");
      const bool says_register = described.find("REGISTER") != std::string::npos;
      EXPECT_EQ(says_register, cell.registered) << signal << ": '" << described << "'";
    }
    ++loaded;
  }
  EXPECT_GE(loaded, 54);
  fs::remove_all(dir);
}

}  // namespace
