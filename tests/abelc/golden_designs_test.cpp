// The golden designs: every design in ok/ compiles to its expected reduced
// equations, passes its hand-written test vectors in the reference evaluator
// (before and after minimisation), and every design in fail/ stops with the
// message listed for it below.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "abelc/compile.h"
#include "abelc/equation_printer.h"
#include "abelc/evaluate.h"
#include "golden_support.h"

namespace {

using namespace abelc;
using namespace abelc_test;

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

class OkDesign : public testing::TestWithParam<std::string> {};

TEST_P(OkDesign, CompilesToItsEquationsAndPassesItsVectors) {
  const std::string name = GetParam();
  const std::string file = name + ".abl";
  const std::string source = ReadText(DesignDir("ok") + "/" + file);
  Compilation c = CompileSource(source);
  ASSERT_FALSE(c.diags.HasErrors()) << DiagnosticText(c, file, source);

  const std::string equations = PrintEquations(c.model, c.minimised);
  const std::string golden_path = DesignDir("ok") + "/" + name + ".eqn";
  if (std::getenv("ABELC_UPDATE_GOLDEN")) std::ofstream(golden_path, std::ios::binary) << equations;
  EXPECT_EQ("", LineDiff(ReadText(golden_path), equations)) << "reduced equations of " << file;

  SimulationResult reference = RunTestVectors(c.model);
  ASSERT_GT(reference.vectors, 0) << file << " has no test vectors";
  EXPECT_EQ(reference.passed, reference.vectors) << Joined(reference.failures);
  SimulationResult minimised = RunTestVectors(WithMinimisedLogic(c));
  EXPECT_EQ(minimised.passed, minimised.vectors) << "after minimisation:\n" << Joined(minimised.failures);

  EXPECT_EQ("", Joined(CheckMinimisedAgree(c)));
  for (const MinimisedOutput& mo : c.minimised.outputs) {
    if (!mo.logic || !mo.logic->has_positive || !mo.logic->has_negative) continue;
    const std::string& out = c.model.signals[static_cast<std::size_t>(c.model.outputs[mo.output].signal)].name;
    const std::size_t other = mo.logic->complemented ? mo.logic->positive.size() : mo.logic->negative.size();
    EXPECT_LE(mo.logic->Chosen().size(), other) << "polarity of " << out;
  }
}

INSTANTIATE_TEST_SUITE_P(Designs, OkDesign, testing::ValuesIn(DesignNames("ok")),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

// Each failing design with the first error it must report.
struct FailCase {
  const char* name;
  const char* message;
};

const FailCase kFailCases[] = {
    {"bad_radix",
     "bad_radix.abl:4:7: error: only ^b, ^o, ^d or ^h may start a number"},
    {"duplicate_pin",
     "duplicate_pin.abl:3:12: error: pin 2 is already given to 'a'"},
    {"line_too_long",
     "line_too_long.abl:5:151: error: source line is longer than 150 characters"},
    {"missing_end",
     "missing_end.abl:6:1: error: END expected at the end of module 'missing_end'"},
    {"missing_semicolon",
     "missing_semicolon.abl:6:3: error: ';' expected, found 'y'"},
    {"multiply_on_set",
     "multiply_on_set.abl:5:23: error: '*' works on numbers only, not on signals or sets"},
    {"reset_on_16v8",
     "reset_on_16v8.abl:8:3: error: the P16V8 has no asynchronous reset"},
    {"set_width_mismatch",
     "set_width_mismatch.abl:6:16: error: '==' joins sets of different widths (3 and 2)"},
    {"undeclared_name",
     "undeclared_name.abl:5:11: error: 'B' is not declared; names are case-sensitive, did you mean 'b'?"},
    {"unknown_device",
     "unknown_device.abl:2:13: error: unknown device 'P16R8' (GAL16V8, GAL20V8 and GAL22V10 parts are known)"},
};

TEST(FailDesigns, EveryFileHasAMessageAndEveryMessageAFile) {
  std::vector<std::string> listed;
  for (const FailCase& f : kFailCases) listed.push_back(f.name);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(DesignNames("fail"), listed);
}

class FailDesign : public testing::TestWithParam<FailCase> {};

TEST_P(FailDesign, StopsWithItsMessage) {
  const std::string file = std::string(GetParam().name) + ".abl";
  const std::string source = ReadText(DesignDir("fail") + "/" + file);
  Compilation c = CompileSource(source);
  ASSERT_TRUE(c.diags.HasErrors()) << file << " compiled";
  std::string first;
  for (const Diagnostic& d : c.diags.List()) {
    if (d.severity == Severity::Error) {
      first = FormatDiagnostic(d, file, source);
      break;
    }
  }
  EXPECT_EQ(GetParam().message, first.substr(0, first.find('\n')));
}

INSTANTIATE_TEST_SUITE_P(Designs, FailDesign, testing::ValuesIn(kFailCases),
                         [](const testing::TestParamInfo<FailCase>& info) { return std::string(info.param.name); });

}  // namespace
