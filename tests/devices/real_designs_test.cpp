// Info on fuse maps that other tools made from known designs: the mode and
// the registered outputs the design source declares must show.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "devices/pinout.h"
#include "tests/support/recording_window.h"

namespace {

// Just enough of a JEDEC reader for these files: the L fields.
void SetFusesFromJedec(const std::string& name) {
  std::ifstream file(std::string(QUELVOX_TESTDATA_DIR) + "/jedec/" + name, std::ios::binary);
  ASSERT_TRUE(file) << name;
  std::stringstream text;
  text << file.rdbuf();
  std::string field;
  while (std::getline(text, field, '*')) {
    const auto start = field.find_first_not_of("\r\n\x02 ");
    if (start == std::string::npos || field[start] != 'L') continue;
    std::istringstream in(field.substr(start + 1));
    int fuse = 0;
    in >> fuse;
    for (char c; in >> c;)
      if (c == '0' || c == '1') FuseMap.at(fuse++) = c == '1';
  }
}

struct RealDesign {
  const char* File;
  int Code;
  std::string ModeLine;                                    // empty: none expected
  std::vector<std::pair<std::size_t, std::string>> Lines;  // index in the log, text
};

TEST(RealDesigns, InfoShowsTheDeclaredModeAndOutputs) {
  // clang-format off
  const RealDesign designs[] = {
    {"galette_GAL16V8_reg.jed", 0, "Registered Mode; SYN=0, AC0=1; /OE & CLK are dedicated inputs",
     {{3, "   CLK |  1         20 | VCC"}, {8, "     I |  6         15 | REGISTER; TRI-STATE by /OE"},
      {11, "     I |  9         12 | REGISTER; TRI-STATE by /OE"}, {12, "   GND | 10         11 | /OE"}}},
    {"galette_GAL20V8_reg.jed", 32, "Registered Mode; SYN=0, AC0=1; /OE & CLK are dedicated inputs",
     {{3, "   CLK |  1         24 | VCC"}, {7, "     I |  5         20 | REGISTER; TRI-STATE by /OE"},
      {14, "   GND | 12         13 | /OE"}}},
    {"galette_GAL16V8_tri.jed", 0, "Complex Mode; SYN=1, AC0=1",
     {{8, "     I |  6         15 | TRI-STATE by Product Term"}}},
    // registered AX4M, AX2M, AX1M, WDQ0..3, PBERR; combinatorial WDEN and the tri-state BERR
    {"rosco_r2_ic6_watchdog.jed", 72, "",
     {{2, " I_CLK |  1         24 | VCC"}, {3, "     I |  2         23 | COMBINATORIAL"},
      {4, "     I |  3         22 | REGISTERED"}, {5, "     I |  4         21 | COMBINATORIAL"},
      {6, "     I |  5         20 | REGISTERED"}, {12, "     I | 11         14 | REGISTERED"}}},
  };
  // clang-format on
  for (const RealDesign& d : designs) {
    SCOPED_TRACE(d.File);
    TestWindowScope scope;
    ASSERT_EQ(SelectDevice(d.Code), 1);
    SetFusesFromJedec(d.File);
    ShowPinout();
    const auto& log = scope.window().LogLines;
    ASSERT_FALSE(log.empty());
    if (!d.ModeLine.empty()) {
      EXPECT_EQ(log[0], d.ModeLine);
    }
    for (const auto& [index, text] : d.Lines) {
      ASSERT_LT(index, log.size());
      EXPECT_EQ(log[index], text) << "line " << index;
    }
  }
}

}  // namespace
