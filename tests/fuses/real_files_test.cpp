// Fifteen real files from three other tools: each loads as its device
// without a checksum warning, saves to the exact expected bytes and reloads
// to the same fuses.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "fuses/fuse_file_load.h"
#include "fuses/jedec_writer.h"
#include "tests/fuses/fuse_test_files.h"
#include "tests/support/recording_window.h"
#include "tests/support/virtual_clock.h"

namespace {

const std::map<std::string, std::string> DeviceOfFile{
    {"bbcmultirom_MultiROM-U2.jed", "GAL16V8"},
    {"galasm_Counter.jed", "GAL16V8"},
    {"galette_GAL16V8_combinatorial.jed", "GAL16V8"},
    {"galette_GAL16V8_reg.jed", "GAL16V8"},
    {"galette_GAL16V8_tri.jed", "GAL16V8"},
    {"galette_GAL20V8_combinatorial.jed", "GAL20V8"},
    {"galette_GAL20V8_reg.jed", "GAL20V8"},
    {"galette_GAL20V8_tri.jed", "GAL20V8"},
    {"galette_GAL22V10_arsp.jed", "GAL22V10"},
    {"galette_GAL22V10_invertedreg.jed", "GAL22V10"},
    {"micro8088_prod.jed", "GAL16V8"},
    {"rosco_r1x_ic2_address_decoder.jed", "GAL16V8"},
    {"rosco_r2_ic2_address_decoder.jed", "GAL22V10"},
    {"rosco_r2_ic6_watchdog.jed", "GAL22V10"},
    {"z80computer_Z80_ADRSEL.jed", "GAL22V10"},
};

TEST(RealFiles, TheTableCoversEveryFile) {
  std::vector<std::string> names;
  for (const auto& [name, device] : DeviceOfFile) names.push_back(name);
  EXPECT_EQ(RealJedecFiles(), names);
}

TEST(RealFiles, LoadSaveAndReload) {
  ScratchDir dir;
  for (const auto& [name, device] : DeviceOfFile) {
    TestWindowScope scope;
    VirtualClockScope clock;
    clock.clock().Wall = {2026, 1, 1, 0, 0, 0};
    auto& w = scope.window();
    const std::string source = JedecDataDir() + "/" + name;
    LoadFuseFile(source);
    ASSERT_EQ(w.LogLines.size(), 3u) << name;  // no warning, no error
    EXPECT_EQ(w.LogLines[2], std::to_string(GalDevice.FuseCount) + " fuses match " + device) << name;
    const std::vector<std::uint8_t> fuses(FuseMap.begin(), FuseMap.begin() + GalDevice.FuseCount);

    w.AnswerDialog(dir / name);
    WriteJedecFile();
    EXPECT_EQ(ReadBytes(dir / name), ReadBytes(source + ".saved.jed")) << name;

    LoadFuseFile(dir / name);
    ASSERT_EQ(w.LogLines.size(), 3u) << name;
    EXPECT_EQ(w.LogLines[2], std::to_string(GalDevice.FuseCount) + " fuses match " + device) << name;
    EXPECT_EQ(std::vector<std::uint8_t>(FuseMap.begin(), FuseMap.begin() + GalDevice.FuseCount), fuses)
        << name;
  }
}

}  // namespace
