// Real designs of other tools, rewritten in ABEL: the maps we fit behave
// exactly like the maps those tools made, on every input combination and
// register state (the fuse-map model runs both); and the classic compiler's
// examples fit with no more product terms than its maps use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>

#include "abelc/compile.h"
#include "abelc/fuse_model.h"
#include "fit_support.h"

namespace {

using namespace abelc;
using namespace abelc_fit_test;

const struct {
  const char* design;  // tests/abelc/fit/real/<design>.abl, and the shared <design>.jed
  GalMode mode;
} kRealDesigns[] = {
    {"galette_GAL16V8_combinatorial", GalMode::Simple}, {"galette_GAL16V8_tri", GalMode::Complex},
    {"galette_GAL16V8_reg", GalMode::Registered},       {"galette_GAL20V8_reg", GalMode::Registered},
    {"galette_GAL22V10_arsp", GalMode::Macrocells},     {"galette_GAL22V10_invertedreg", GalMode::Macrocells},
};

TEST(RealDesigns, OurMapsBehaveLikeTheMapsOfOtherTools) {
  for (const auto& d : kRealDesigns) {
    SCOPED_TRACE(d.design);
    const std::string source =
        ReadFile(std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/fit/real/" + d.design + ".abl");
    Compilation c = CompileSource(source);
    ASSERT_FALSE(c.diags.HasErrors());
    std::optional<FitResult> fit = FitDesign(c.model, c.minimised, c.diags);
    ASSERT_TRUE(fit) << (c.diags.List().empty() ? "" : c.diags.List().front().message);
    EXPECT_EQ(fit->mode, d.mode);
    JedecMap theirs = ReadJedec(ReadFile(TestData(std::string(d.design) + ".jed")));
    const SignalPins pins = PinsOf(c.model, *fit);
    for (const std::string& p :
         CompareMaps(c.model.device.family, theirs.fuses, fit->fuses, pins.inputs, pins.outputs)) {
      ADD_FAILURE() << p;
    }
  }
}

}  // namespace

namespace {

// The product-term rows of the cell on `pin` that are in use: not all 0 and
// not the cell's enable row.
int UsedTermRows(Family family, const std::vector<std::uint8_t>& fuses, int pin) {
  const GalArchitecture& d = DeviceOf(family);
  const OutputCell* cell = d.CellAt(pin);
  if (!cell) return 0;
  const int index = static_cast<int>(cell - d.cells.data());
  bool enable_row = true;  // the 22V10's first row of a block
  if (d.IsV8()) {
    const bool syn = fuses[static_cast<std::size_t>(d.syn)] != 0;
    const bool ac0 = fuses[static_cast<std::size_t>(d.ac0)] != 0;
    const bool ac1 = fuses[static_cast<std::size_t>(d.ac1_base + index)] != 0;
    enable_row = ac0 && (syn || ac1);
  }
  int used = 0;
  for (int row = cell->first_row + (enable_row ? 1 : 0); row < cell->first_row + cell->rows; ++row) {
    const auto begin = fuses.begin() + static_cast<std::ptrdiff_t>(row * d.columns);
    if (std::any_of(begin, begin + d.columns, [](std::uint8_t f) { return f != 0; })) ++used;
  }
  return used;
}

// "NOTE PINS a:1 b:2*" fields of a classic map: pin by name, upper case.
std::map<std::string, int> NotedPins(const std::string& jed) {
  std::map<std::string, int> pins;
  for (std::size_t at = jed.find("NOTE PINS"); at != std::string::npos; at = jed.find("NOTE PINS", at + 1)) {
    std::istringstream fields(jed.substr(at + 9, jed.find('*', at) - at - 9));
    std::string item;
    while (fields >> item) {
      const std::size_t colon = item.find(':');
      if (colon == std::string::npos) continue;
      std::string name = item.substr(0, colon);
      for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      pins[name] = std::stoi(item.substr(colon + 1));
    }
  }
  return pins;
}

std::string Upper(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}

// Every classic example that the classic compiler fitted and that we compile
// fits in the classic compiler's mode, and no output takes more product-term
// rows than the classic map gives it. The table printed is ours/classic.
TEST(ClassicDesigns, FitInTheirModeWithNoMoreTermsPerPinThanTheClassicMaps) {
  const std::string dir = std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic/";
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    if (e.path().extension() != ".jed") continue;
    const std::string design = e.path().stem().string();
    SCOPED_TRACE(design);
    const std::string source = ReadFile(dir + design + ".abl");
    const std::string jed = ReadFile(e.path().string());
    Compilation c = CompileSource(source);
    if (c.diags.HasErrors()) {
      std::printf("%-9s does not compile: %s\n", design.c_str(), c.diags.List().front().message.c_str());
      continue;
    }
    std::optional<FitResult> fit = FitDesign(c.model, c.minimised, c.diags);
    if (!fit) {
      ADD_FAILURE() << "does not fit: " << c.diags.List().front().message;
      continue;
    }
    // The part as the classic listing reports it ("P16V8AS" is its simple mode).
    const std::string out = ReadFile(dir + design + ".out");
    const std::size_t at = out.rfind("Device: '");
    ASSERT_NE(at, std::string::npos);
    std::string classic_part = out.substr(at + 9, out.find('\'', at + 9) - at - 9);
    if (classic_part.size() > 2 && classic_part.compare(classic_part.size() - 2, 2, "AS") == 0)
      classic_part.replace(classic_part.size() - 2, 2, "S");
    EXPECT_EQ(fit->part, classic_part);
    const JedecMap theirs = ReadJedec(jed);
    const std::map<std::string, int> their_pins = NotedPins(jed);
    std::string line = design + " " + fit->part + ":";
    for (const FittedCell& cell : fit->cells) {
      if (cell.output < 0) continue;
      const std::string& name = c.model
                                    .signals[static_cast<std::size_t>(
                                        c.model.outputs[static_cast<std::size_t>(cell.output)].signal)]
                                    .name;
      const auto pin = their_pins.find(Upper(name));
      ASSERT_NE(pin, their_pins.end()) << name;
      const int ours = UsedTermRows(c.model.device.family, fit->fuses, cell.pin);
      const int classic = UsedTermRows(c.model.device.family, theirs.fuses, pin->second);
      EXPECT_LE(ours, classic) << name;
      line += " " + name + " " + std::to_string(ours) + "/" + std::to_string(classic);
    }
    std::printf("%s\n", line.c_str());
  }
}

}  // namespace
