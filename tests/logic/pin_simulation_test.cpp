// The live pins of the Simulate panel, stepped as a user steps them: a
// registered 16V8 counter and a 22V10 with both polarities from the
// classic examples, two counters on the 26V12's two clocks, the input cells
// of a GAL6002B, and a 16V8 loop through the feedback that oscillates.
#include "logic/pin_simulation.h"

#include <gtest/gtest.h>

#include "tests/logic/map_checks.h"
#include "tests/support/recording_window.h"

namespace {

// "o = !(en & o)" on pin 15: with en (pin 2) high the loop oscillates.
const char Ring[] =
    "\x02*QP20*QF2194*F0*NOTE PINS en:2 a:3 o:15 p:16*\n"
    "L0768 11111111111111111111111111111111*L0800 11110111111111111111111111111111*\n"
    "L1024 11111111111111111111111111111111*L1056 01111111111111111101111111111111*\n"
    "L2048 00010000*L2120 11111111*\n"
    "L2128 1111111111111111111111111111111111111111111111111111111111111111*L2192 1*L2193 1*\x03";

std::optional<MapLogic> Decode(const std::string& jedec) {
  const std::int64_t n = ReadJedecText(jedec);
  const int code = DeviceCodeForFuseCount(n);
  if (code < 0 || SelectDevice(code) != 1) return std::nullopt;
  const std::vector<std::uint8_t> fuses(FuseMap.begin(), FuseMap.begin() + n);
  return DecodeMap(code, GalDevice.Name, fuses, NotePinNames(jedec, GalDevice.PinCount), "");
}

// What pins first..last show, one character each; then the states of the
// registers behind them ('-' for none).
std::string Shown(const PinSimulation& sim, int first, int last) {
  std::string levels, registers;
  for (int pin = first; pin <= last; ++pin) {
    levels += sim.At(pin).Level;
    registers += sim.At(pin).Register < 0 ? '-' : static_cast<char>('0' + sim.At(pin).Register);
  }
  return levels + " " + registers;
}

TEST(PinSimulation, StepsAsTheChipDoes) {
  const std::string classic = std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic/";
  struct Step {
    std::string Do;  // "PIN=LEVEL", "clock" or "preload"
    std::string Shown;
  };
  struct Case {
    std::string Map;  // a file of the classic examples, or the JEDEC text itself
    int First, Last;
    std::vector<Step> Steps;  // the first shows power-up
  } cases[] = {
      // Q3..Q0 on pins 14..17 show /Q; mode I1 (13), I0 (18), cells read as
      // inputs: 1 loads A, 3 counts when CI (19).
      {"count4.jed",
       14,
       18,
       {{"", "11110 0000-"},
        {"18=1", "11111 0000-"},
        {"clock", "00001 1111-"},
        {"11=1", "ZZZZ1 1111-"},  // /OE high: the outputs are off, the registers keep their states
        {"11=0", "00001 1111-"},
        {"13=1", "00001 1111-"},
        {"19=1", "00001 1111-"},
        {"clock", "00011 1110-"},
        {"clock", "00101 1101-"},
        {"14=1", "00101 1101-"},  // the level set on an enabled output waits for the preload
        {"preload", "10001 0111-"}}},
      // out4, !out3 on pins 20, 21 show /Q; out2, !out1 on pins 22, 23 show Q.
      {"actlow.jed",
       20,
       23,
       {{"", "1100 0000"},
        {"clock", "0101 1001"},
        {"2=1", "0101 1001"},
        {"3=1", "0101 1001"},
        {"clock", "1010 0110"},
        {"21=1", "1010 0110"},
        {"preload", "0100 1000"}}},
      // A (a0, a1, a2 on 19, 20, 22) counts on pin 1 while en (2) is high, B (b0, b1
      // on 26, 27) on pin 4: the clock pulses both.
      {std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/fit/classic/gal26v12_counter.jed",
       19,
       27,
       {{"", "00 000000 00-0---00"},
        {"2=1", "00 000000 00-0---00"},
        {"clock", "10 000010 10-0---10"},
        {"clock", "01 000001 01-0---01"}}},
      // y22 = ra & !c # !ra & c and y23 = ra & !lb # c & r14 read pin 2 (ra) and pin 14
      // (r14) registered at the rise of pin 1, and pin 3 (lb) latched while it is high:
      // the clock pulses pin 1.
      {std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/fit/classic/gal6002_input_cells.jed",
       22,
       23,
       {{"", "00 --"},
        {"2=1", "00 --"},
        {"clock", "11 --"},
        {"4=1", "01 --"},
        {"3=1", "01 --"},
        {"clock", "00 --"}}},
      {Ring, 15, 16, {{"", "10 --"}, {"3=1", "11 --"}, {"2=1", "?"}, {"2=0", "11 --"}, {"clock", "11 --"}}},
  };
  for (const Case& c : cases) {
    TestWindowScope scope;
    const bool file = c.Map.find('*') == std::string::npos;
    const std::string path = c.Map.front() == '/' ? c.Map : classic + c.Map;
    const std::optional<MapLogic> logic = Decode(file ? ReadBytes(path) : c.Map);
    ASSERT_TRUE(logic) << c.Map;
    PinSimulation sim(*logic);
    for (const Step& step : c.Steps) {
      if (step.Do == "clock") {
        sim.Clock();
      } else if (step.Do == "preload") {
        sim.Preload();
      } else if (!step.Do.empty()) {
        sim.Drive(std::stoi(step.Do), step.Do.back() - '0');
      }
      const std::string where = (file ? c.Map : "ring") + " after \"" + step.Do + "\"";
      if (step.Shown == "?") {
        EXPECT_EQ(sim.Unsettled(), std::vector<int>{15}) << where;
        continue;
      }
      EXPECT_EQ(Shown(sim, c.First, c.Last), step.Shown) << where;
      EXPECT_TRUE(sim.Unsettled().empty()) << where;
    }
  }
}

}  // namespace
