// The classic compiler's example designs, read in place: each it made a map of
// compiles to a map that behaves the same on every input and register state
// and passes all its vectors; the two it refused are refused here too.
#include <gtest/gtest.h>

#include <cstdio>

#include "abelc/compile.h"
#include "abelc/fuse_model.h"
#include "abelc/gal_devices.h"
#include "abelc/vectors.h"
#include "fit_support.h"

namespace {

using namespace abelc;
using namespace abelc_fit_test;

const struct {
  const char* design;
  int vectors;          // the classic compiler's vectors, all of which passed
  const char* refused;  // or: a part of our first error, where it refused the design
} kExamples[] = {
    {"actlow", 4, nullptr},
    {"barrel", 16, nullptr},
    {"bcd7", 16, nullptr},
    {"binbcd", 43, nullptr},
    {"bjack", 69, nullptr},
    {"cnt10p", 33, nullptr},
    {"comp4", 19, nullptr},
    {"count116", 129, nullptr},
    {"count4", 30, nullptr},
    {"count4a", 30, nullptr},
    {"dmux1t8", 18, nullptr},
    {"dstate2a", 0, "dstate2a.abl:41:"},
    {"dstate2b", 14, nullptr},
    {"fdback2", 13, nullptr},
    {"feedback", 2, nullptr},
    {"findout", 4, nullptr},
    {"langref", 0, "error: the design declares no device"},
    {"m6809a", 8, nullptr},
    {"m6809b", 6, nullptr},
    {"m6809c", 6, nullptr},
    {"m6809d", 8, nullptr},
    {"mac", 8, nullptr},
    {"muxadd", 10, nullptr},
    {"pol1", 14, nullptr},
    {"pol2", 22, nullptr},
    {"regfb", 4, nullptr},
    {"reset22a", 9, nullptr},
    {"sequence", 12, nullptr},
    {"simple", 10, nullptr},
};

std::string Classic(const std::string& name) {
  return std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic/" + name;
}

// Per output pin: the product-term rows of its cell that are not all 0,
// without the cell's enable row.
std::map<int, int> TermsPerPin(const GalArchitecture& d, const std::vector<std::uint8_t>& fuses) {
  std::map<int, int> terms;
  auto fuse = [&](int n) { return n < static_cast<int>(fuses.size()) && fuses[static_cast<std::size_t>(n)]; };
  if (IsPlaFamily(d.family)) {
    // One pool of 64 shared AND rows (114 fuses each), counted as pin 0; an unused row is all 0.
    for (int t = 0; t < 64; ++t) {
      bool any = false;
      for (int c = 0; c < 78 && !any; ++c) any = fuse(114 * t + c);
      terms[0] += any ? 1 : 0;
    }
    return terms;
  }
  for (std::size_t i = 0; i < d.cells.size(); ++i) {
    const OutputCell& cell = d.cells[i];
    // A GAL20XV10 cell that uses its XOR gate has four sum rows and no enable row.
    const bool enable_row = d.IsXv()    ? fuse(d.xor_map->Xor(static_cast<int>(i)))
                            : !d.IsV8() ? true
                                        : fuse(d.ac0) && fuse(d.ac1_base + static_cast<int>(i));
    int used = 0;
    // The sum rows: after the OE row, and on the GAL20RA10 its clock, reset and preset rows.
    const int first = d.map ? d.map->FirstSum(static_cast<int>(i)) : cell.first_row + (enable_row ? 1 : 0);
    for (int r = first; r < cell.first_row + cell.rows + (d.map ? d.map->controls - 1 : 0); ++r) {
      bool any = false;
      for (int c = 0; c < d.columns && !any; ++c) any = fuse(r * d.columns + c);
      used += any ? 1 : 0;
    }
    if (used) terms[cell.pin] = used;
  }
  return terms;
}

// Runs both maps from every input combination and register state (a fixed
// random sample beyond 2^16), the states given as the levels the registered
// pins show, so that two maps that store a register with opposite polarity
// still compare by what the pins do: every output with pin 1 low, and the
// registered ones after its rising edge (the other outputs after the edge are
// those of another point). A point where our design leaves the output a don't
// care (@DCSET) is skipped for it.
std::vector<std::string> CompareByPins(const LogicModel& m, const FitResult& fit,
                                       const std::vector<std::uint8_t>& expected,
                                       const std::vector<int>& inputs, const std::vector<int>& outputs) {
  std::vector<std::string> problems;
  FuseMapModel a(m.device.family, expected), b(m.device.family, fit.fuses);
  std::vector<int> registers;
  for (int pin : outputs) {
    if (a.IsRegistered(pin) || b.IsRegistered(pin)) registers.push_back(pin);
  }
  std::vector<const Output*> output_at(static_cast<std::size_t>(a.Pins()) + 1, nullptr);
  for (const Output& o : m.outputs) {
    const int pin = fit.pin_of[static_cast<std::size_t>(o.signal)];
    if (pin > 0) output_at[static_cast<std::size_t>(pin)] = &o;
  }
  const std::size_t bits = inputs.size() + registers.size();
  const bool exhaustive = bits <= 16;
  const std::uint64_t points = exhaustive ? std::uint64_t{1} << bits : 40000;
  std::uint64_t seed = 12345;
  for (std::uint64_t point = 0; point < points && problems.size() < 10; ++point) {
    std::uint64_t x = point;
    if (!exhaustive) {
      seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
      x = seed >> 11;
    }
    std::vector<int> drive(static_cast<std::size_t>(a.Pins()) + 1, -1), levels = drive;
    std::size_t bit = 0;
    for (int pin : inputs) drive[static_cast<std::size_t>(pin)] = static_cast<int>((x >> bit++) & 1);
    for (int pin : registers) levels[static_cast<std::size_t>(pin)] = static_cast<int>((x >> bit++) & 1);
    // A GAL26V12's second clock pin, where the design uses it, rises with pin 1.
    const galmaps::MacrocellMap* map = DeviceOf(m.device.family).map;
    // The GAL6001/6002 clock their output and buried cells from pin 13.
    const std::size_t second = IsPlaFamily(m.device.family) ? 13
                               : map                        ? static_cast<std::size_t>(map->second_clock)
                                                            : 0;
    const bool second_clock = second && drive[second] >= 0;
    drive[1] = 0;
    if (second_clock) drive[second] = 0;
    for (FuseMapModel* d : {&a, &b}) {
      d->Apply(drive);
      d->Preload(levels);
    }
    std::uint64_t assignment = 0;
    for (std::size_t v = 0; v < m.variables.size(); ++v) {
      const Variable& var = m.variables[v];
      const int pin = fit.pin_of[static_cast<std::size_t>(var.signal)];
      if (pin <= 0) continue;
      const std::size_t p = static_cast<std::size_t>(pin);
      int level = levels[p] >= 0 ? levels[p] : drive[p] >= 0 ? drive[p] : b.Level(pin) == 'H';
      if (var.kind == Feedback::Q && output_at[p] && InvertsRegister(m, *output_at[p])) level ^= 1;
      if (level) assignment |= std::uint64_t{1} << v;
    }
    auto compare = [&](const char* when, bool registers_only) {
      for (int pin : outputs) {
        const Output* o = output_at[static_cast<std::size_t>(pin)];
        if (registers_only && !a.IsRegistered(pin)) continue;
        if (o && o->logic && Evaluate(o->logic->dc, assignment)) continue;
        if (a.Level(pin) != b.Level(pin)) {
          problems.push_back("point " + std::to_string(x) + " " + when + ": pin " + std::to_string(pin) +
                             " is " + b.Level(pin) + ", expected " + a.Level(pin));
        }
      }
    };
    compare("clock low", false);
    drive[1] = 1;
    if (second_clock) drive[second] = 1;
    a.Apply(drive);
    b.Apply(drive);
    // A GAL20RA10 register loads as its own clock term rises: load them all.
    if (map && !map->SharedControls()) {
      a.LoadRegisters();
      b.LoadRegisters();
    }
    compare("after the clock", true);
  }
  return problems;
}

// The chip diagram page of a report, from its heading to the signature line,
// without carriage returns.
std::string ChipDiagramOf(const std::string& doc) {
  const std::size_t from = doc.find("Chip Diagram ===="), to = doc.find("SIGNATURE", from);
  if (from == std::string::npos || to == std::string::npos) return "";
  std::string page = doc.substr(from, to - from);
  std::erase(page, '\r');
  return page;
}

// A simulation file's closing line, "N out of M vectors passed.".
std::string PassedLineOf(const std::string& sim) {
  const std::size_t end = sim.rfind(" vectors passed.");
  if (end == std::string::npos) return "";
  const std::size_t start = sim.rfind('\n', end);
  return sim.substr(start == std::string::npos ? 0 : start + 1,
                    end - (start == std::string::npos ? 0 : start + 1));
}

// Compiles `source`, fits it and checks the map against the classic map
// `jed`: the same behaviour and `vectors` vectors, all passing. Returns the
// table line.
std::string CheckAgainstClassic(const std::string& design, const std::string& source, const std::string& jed,
                                int vectors_expected) {
  const std::string file = design + ".abl";
  Compilation c = CompileSource(source);
  if (c.diags.HasErrors()) {
    ADD_FAILURE() << FormatDiagnostic(c.diags.List().front(), file, source);
    return "";
  }
  std::optional<FitResult> fit = FitDesign(c.model, c.minimised, c.diags);
  if (!fit) {
    ADD_FAILURE() << "no fit";
    return "";
  }
  ForceFuses(c.model, fit->fuses);
  const GalArchitecture& device = DeviceOf(c.model.device.family);
  JedecMap theirs = ReadJedec(jed);
  EXPECT_GE(theirs.fuses.size(), fit->fuses.size() > 5828 ? 5828 : fit->fuses.size());

  const SignalPins pins = PinsOf(c.model, *fit);
  const std::vector<std::string> problems =
      CompareByPins(c.model, *fit, theirs.fuses, pins.inputs, pins.outputs);
  for (const std::string& p : problems) ADD_FAILURE() << p;

  const std::vector<std::string> vectors = PinVectors(c.model, fit->pin_of, device.pins);
  FuseMapModel model(c.model.device.family, fit->fuses);
  const VectorRun run = RunPinVectors(model, vectors);
  EXPECT_EQ(vectors_expected, static_cast<int>(vectors.size()));
  EXPECT_EQ(vectors_expected, run.passed);

  const std::map<int, int> ours = TermsPerPin(device, fit->fuses),
                           classic = TermsPerPin(device, theirs.fuses);
  std::string terms;
  if (IsPlaFamily(device.family)) {
    EXPECT_LE(ours.at(0), classic.at(0)) << "shared product terms";
    // The enable and reset terms and every cell's bits are the classic compiler's, fuse for fuse,
    // but for the fourth bit of an output: the classic compiler loads a '.D' register with the
    // complement of its sum (bit 1), abelc with the sum itself.
    for (int f = 7296; f < device.ues_base; ++f) {
      const auto at = static_cast<std::size_t>(f);
      if (f >= 8178 && f < 8218 && (f - 8178) % 4 == 3) continue;
      if (fit->fuses[at] != theirs.fuses[at]) {
        ADD_FAILURE() << "fuse " << f << " is " << int{fit->fuses[at]} << ", the classic map's "
                      << int{theirs.fuses[at]};
        break;
      }
    }
    terms = " all:" + std::to_string(ours.at(0)) + "/" + std::to_string(classic.at(0));
  }
  for (const OutputCell& cell : device.cells) {
    if (IsPlaFamily(device.family)) break;
    const auto o = ours.find(cell.pin), k = classic.find(cell.pin);
    if (o == ours.end() && k == classic.end()) continue;
    terms += " " + std::to_string(cell.pin) + ":" + std::to_string(o == ours.end() ? 0 : o->second) + "/" +
             std::to_string(k == classic.end() ? 0 : k->second);
  }
  char line[512];
  std::snprintf(line, sizeof line, "%-16s %-7s %-4s %-5s %3d of %-3d%s\n", design.c_str(), "jed", "jed",
                problems.empty() ? "yes" : "NO", run.passed, static_cast<int>(vectors.size()), terms.c_str());
  return line;
}

TEST(ClassicExamples, CompileToMapsThatBehaveLikeTheClassicMaps) {
  std::printf("%-16s %-7s %-4s %-5s %-8s %s\n", "design", "classic", "ours", "equal", "vectors",
              "terms per output pin, ours/classic");
  for (const auto& e : kExamples) {
    SCOPED_TRACE(e.design);
    const std::string file = std::string(e.design) + ".abl";
    const std::string source = ReadFile(Classic(file));
    ASSERT_FALSE(source.empty());
    Compilation c = CompileSource(source);
    if (e.refused) {
      if (!c.diags.HasErrors()) FitDesign(c.model, c.minimised, c.diags);
      std::string first;
      for (const Diagnostic& d : c.diags.List()) {
        if (d.severity == Severity::Error && first.empty()) first = FormatDiagnostic(d, file, source);
      }
      EXPECT_NE(std::string::npos, first.find(e.refused)) << first;
      std::printf("%-16s %-7s %-4s %-5s %-8s %s", e.design, "refused", "refused", "-", "-", first.c_str());
      continue;
    }
    std::printf("%s", CheckAgainstClassic(e.design, source, ReadFile(Classic(std::string(e.design) + ".jed")),
                                          e.vectors)
                          .c_str());
  }
}

// Designs of our own, one or more per construct the classic compiler
// accepts, with the map it made from each (tests/abelc/fit/classic/).
TEST(ClassicExamples, OurDesignsOfEachConstructBehaveLikeTheClassicMaps) {
  const struct {
    const char* design;
    int vectors;
  } kOwn[] = {
      {"text_directives", 18},
      {"sets_with_gaps", 4},
      {"with_and_wait", 6},
      {"forced_fuses", 3},
      {"if_else_forms", 6},
      {"attributes_blank_separated", 4},
      {"equals_on_register", 4},
      {"simple_mode_feedback", 3},
      {"neg_fills_nothing", 8},
      {"reset_keeps_declared_level", 5},
      {"pos_neg_cost_nothing", 4},
      {"bidirectional_vectors", 4},
      {"preload_enabled", 4},
      {"unused_cells_are_inputs", 3},
      {"gal18v10_decoder", 10},
      {"gal18v10_counter", 10},
      {"gal18v10_bus", 5},
      {"gal18v10_reset_preset", 8},
      {"gal18v10_wide_sum", 9},
      {"gal26cv12_decoder", 13},
      {"gal26cv12_counter", 10},
      {"gal26cv12_bus", 5},
      {"gal26cv12_reset_preset", 8},
      {"gal26cv12_wide_sum", 8},
      {"gal26v12_decoder", 13},
      {"gal26v12_counter", 10},
      {"gal26v12_bus", 5},
      {"gal26v12_reset_preset", 8},
      {"gal26v12_wide_sum", 7},
      {"gal20ra10_decoder", 10},
      {"gal20ra10_counter", 13},
      {"gal20ra10_bus", 7},
      {"gal20ra10_reset_preset", 8},
      {"gal20ra10_wide_sum", 9},
      {"gal20xv10_decoder", 8},
      {"gal20xv10_counter", 20},
      {"gal20xv10_bus", 7},
      {"gal20xv10_parity", 9},
      {"gal20xv10_accumulate", 9},
      {"gal20xv10_detailed_active_low", 4},
      {"detailed_active_low_16v8", 4},

      {"gal6001_shared_terms", 8},
      {"gal6002_shared_terms", 5},
      {"gal6002_input_cells", 7},
      {"gal6001_decoder", 10},
      {"gal6001_counter", 12},
      {"gal6001_buried_node", 6},
      {"gal6001_enable_reset", 7},
      {"gal6002_decoder", 8},
      {"gal6002_counter", 9},
      {"gal6002_buried_node", 9},
      {"gal6002_enable_reset", 7},
  };
  for (const auto& d : kOwn) {
    SCOPED_TRACE(d.design);
    const std::string dir = std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/";
    const std::string source = ReadFile(dir + "ok/" + d.design + ".abl");
    std::printf("%s", CheckAgainstClassic(d.design, source,
                                          ReadFile(dir + "fit/classic/" + d.design + ".jed"), d.vectors)
                          .c_str());
    // Where the classic report is kept too, our chip diagram is drawn as it
    // is; where its simulation is kept, ours passes as many vectors.
    const std::string classic_doc = ReadFile(dir + "fit/classic/" + d.design + ".doc");
    if (classic_doc.empty()) continue;
    const CompiledFiles files = CompileToFiles(std::string(d.design) + ".abl", source, "");
    EXPECT_EQ(ChipDiagramOf(classic_doc), ChipDiagramOf(files.doc));
    const std::string classic_sim = ReadFile(dir + "fit/classic/" + d.design + ".sim");
    if (!classic_sim.empty()) {
      EXPECT_EQ(PassedLineOf(files.sim), PassedLineOf(classic_sim));
    }
  }
}

// The designs that established the GAL20XV10, GAL6001 and GAL6002B maps
// (tests/abelc/maps/), each with the classic compiler's map: ours behaves the
// same and uses no more terms. The JK and T probe is refused by design.
TEST(ClassicExamples, TheMapResearchDesignsBehaveLikeTheClassicMaps) {
  const struct {
    const char* design;
    int vectors;
  } kMaps[] = {
      {"f6001/buried_nodes", 16},
      {"f6001/enable_and_reset", 8},
      {"f6001/enables_reset_feedback", 0},
      {"f6001/full_term_array", 0},
      {"f6001/input_cells_latched", 6},
      {"f6001/input_cells_registered", 5},
      {"f6001/input_columns", 24},
      {"f6001/pin_columns", 32},
      {"f6001/register_feedback_level", 3},
      {"f6001/registers_with_vectors", 9},
      {"f6002/buried_nodes", 16},
      {"f6002/input_cells_one", 0},
      {"f6002/input_cells_two", 0},
      {"f6002/input_columns", 24},
      {"f6002/mixed_input_cells", 5},
      {"f6002/registers_with_vectors", 9},
      {"f6002/disabled_pin_feedback", 6},
      {"p20xv10/fb_mode_columns", 16},
      {"p20xv10/fb_mode_enable_term", 5},
      {"p20xv10/in_mode_columns", 4},
      {"p20xv10/in_mode_feedback", 12},
      {"p20xv10/in_mode_register", 5},
      {"p20xv10/in_mode_xor_and_pin13", 4},
      {"p20xv10/pin13_enable", 8},
      {"p20xv10/pin13_tristates_xor", 4},
      {"p20xv10/toggle_active_low", 2},
      {"p20xv10/xor_sums", 16},
  };
  for (const auto& d : kMaps) {
    SCOPED_TRACE(d.design);
    const std::string base = std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/maps/" + d.design;
    std::printf(
        "%s",
        CheckAgainstClassic(d.design, ReadFile(base + ".abl"), ReadFile(base + ".jed"), d.vectors).c_str());
  }
}

}  // namespace
