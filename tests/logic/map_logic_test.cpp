// The printed equations of small maps whose logic is known: the worked
// examples of the architecture tables (22V10 registered feedback read back
// through /Q, a 26V12 register on the second clock read from its pin, enable
// terms, complex mode) and a 16V8 map with a disabled
// term and a sum that minimises; pin names from NOTE PINS and from a report.
#include <gtest/gtest.h>

#include "tests/logic/map_checks.h"
#include "tests/support/recording_window.h"

namespace {

std::string Ones(int n) {
  return std::string(static_cast<std::size_t>(n), '1');
}

// The printed lines but those of unused cells.
std::vector<std::string> UsedLines(const std::string& jedec, std::int32_t code) {
  TestWindowScope scope;
  const std::int64_t n = ReadJedecText(jedec);
  SelectDevice(code);
  const std::vector<std::uint8_t> fuses(FuseMap.begin(), FuseMap.begin() + n);
  const std::optional<MapLogic> logic =
      DecodeMap(code, GalDevice.Name, fuses, NotePinNames(jedec, GalDevice.PinCount), "");
  std::vector<std::string> lines;
  if (!logic) return lines;
  for (const std::string& line : EquationLines(*logic)) {
    if (line.find(": not used") == std::string::npos) lines.push_back(line);
  }
  return lines;
}

TEST(MapLogic, PrintedEquationsOfKnownMaps) {
  const std::string ues22V10 = "*L5828 " + std::string(64, '0');
  struct Case {
    const char* What;
    std::int32_t Code;
    std::string Jedec;
    std::vector<std::string> Lines;
  } cases[] = {
      {"22V10 combinational output with an enable term",
       72,
       "*QF5892*F0*L0044 11111111111101111111111111111111111111111111"
       "*L0088 11110111011111111111111111111111111111111111*L5808 11000000000000000000" +
           ues22V10 + "*",
       {"Equations of the GAL22V10 fuse map:", "IO23, pin 23: combinational, tri-state, active high",
        "    IO23 = I2 & I3;", "    IO23.OE = I4;"}},
      {"22V10 active-high register toggling through its /Q feedback",
       72,
       "*QF5892*F0*L0044 " + Ones(44) + "*L0088 11011111111111111111111111111111111111111111*L5808 10" +
           std::string(18, '0') + ues22V10 + "*NOTE PINS clk:1 T:23*",
       {"Equations of the GAL22V10 fuse map:", "T, pin 23: registered, active high", "    T := !T.FB;",
        "    T.OE = 1;", "Reset of every register (asynchronous):", "    AR = 0;",
        "Preset of every register (at the clock):", "    SP = 0;"}},
      {"26V12 register clocked from pin 4 that reads its pin",
       93,
       "*QF7848*F0*L0052 " + Ones(52) + "*L0104 " + Ones(7) + "0" + Ones(44) + "*L7800 1*",
       {"Equations of the GAL26V12C fuse map:", "IO27, pin 27: registered, active high",
        "    IO27 := !IO27.PIN;", "    IO27.CLK = I4;", "    IO27.OE = 1;",
        "Reset of every register (asynchronous):", "    AR = 0;",
        "Preset of every register (at the clock):", "    SP = 0;"}},
      {"20XV10 XOR of two sums in feedback mode",
       101,
       "*QF1671*F0*L0000 0" + Ones(39) + "*L0080 11111011" + Ones(32) + "*L1610 0111111111*L1620 1000000000*",
       {"Equations of the GAL20XV10 fuse map:",
        "IO23, pin 23: combinational, tri-state, XOR of two sums, active low", "    !IO23 = (I2) $ (!I3);",
        "  as one sum, 2 terms:", "    !IO23 = I2 & I3", "          # !I2 & !I3;", "    IO23.OE = !I13;"}},
      {"20V8 complex mode",
       32,
       "*QF2706*F0*L0320 1111101111111111111111111111111111111111*L0360 "
       "0111111111111111111111111111111111111111"
       "*L2560 01000000*L2632 01000000*L2640 " +
           Ones(64) + "*L2704 1*L2705 1*",
       {"Equations of the GAL20V8 fuse map, complex mode:",
        "IO21, pin 21: combinational, tri-state, active high", "    IO21 = I2;", "    IO21.OE = !I3;"}},
      {"16V8 simple mode: a disabled term, inputs on output cells, a sum that minimises",
       0,
       "*QF2194*F0*NOTE PINS a:2 b:3 y:19 c:18*L0000 01110111111111111111111111111111"
       "*L0032 01111011111111111111111111111111*L0064 " +
           Ones(32) + "*L0096 11111111110111111111111111111111*L2048 10000000*L2120 01111111*L2128 11" + "0" +
           Ones(61) + "*L2192 10*",
       {"Equations of the GAL16V8 fuse map, simple mode:", "c, pin 18: input",
        "y, pin 19: combinational, active high", "    y = a & b", "      # a & !b", "      # c;",
        "  minimised, 2 of 3 terms:", "    y = a", "      # c;"}},
  };
  for (const Case& c : cases) EXPECT_EQ(UsedLines(c.Jedec, c.Code), c.Lines) << c.What;
}

// Names the exported design could not declare are left to the defaults: a
// second spelling of a name, keywords, no identifiers, pins beyond the package.
TEST(MapLogic, NotePinsNamesThatCannotBeDeclaredAreLeftOut) {
  const std::string jedec =
      "head NOTE PINS x:7*QF2194*NOTE PINS a:2 A:3 in:4 3x:5 b:99 c:6*NOTE PINS d.q:8 c:9*";
  std::vector<std::string> expected(21);
  expected[2] = "a";
  expected[6] = "c";
  EXPECT_EQ(NotePinNames(jedec, 20), expected);
}

// GAL6001/6002 nodes take their NOTE NODES names, but one a pin has already
// (the design rebuilt from the map could not declare both): that node is N<number>.
TEST(MapLogic, NodesTakeTheirNoteNodesNamesUnlessAPinHasIt) {
  std::string jedec =
      ReadBytes(std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/fit/classic/gal6002_input_cells.jed");
  const std::size_t at = jedec.find("ra:70");
  ASSERT_NE(at, std::string::npos);
  jedec.replace(at, 5, "A:70");  // pin 2 is a
  TestWindowScope scope;
  const std::int64_t n = ReadJedecText(jedec);
  SelectDevice(68);
  const std::vector<std::uint8_t> fuses(FuseMap.begin(), FuseMap.begin() + n);
  const std::optional<MapLogic> logic =
      DecodeMap(68, GalDevice.Name, fuses, NotePinNames(jedec, 24), "", NoteNodeNames(jedec, 99));
  ASSERT_TRUE(logic);
  const std::vector<std::string> lines = EquationLines(*logic);
  EXPECT_EQ(lines[1], "Input cell of a, pin 2 (N70, node 70): registered at the rise of pin 1");
  EXPECT_EQ(lines[2], "Input cell of b, pin 3 (lb, node 71): latched while pin 1 is high");
}

// The chip diagram of a classic report names the pins as the JEDEC file's
// NOTE PINS lines do; both leave out no pin the other names.
TEST(MapLogic, ReportDiagramNamesThePinsAsNotePinsDo) {
  const std::string classic = std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic/";
  for (const char* name : {"count4", "bjack", "barrel", "fdback2", "dmux1t8"}) {
    const std::string jedec = ReadBytes(classic + name + ".jed");
    const int pins = jedec.find("QP24") != std::string::npos ? 24 : 20;
    EXPECT_EQ(DocPinNames(ReadBytes(classic + name + ".doc"), pins), NotePinNames(jedec, pins)) << name;
  }
}

}  // namespace
