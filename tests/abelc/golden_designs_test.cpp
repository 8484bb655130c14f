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
    const std::string& out =
        c.model.signals[static_cast<std::size_t>(c.model.outputs[mo.output].signal)].name;
    const std::size_t other = mo.logic->complemented ? mo.logic->positive.size() : mo.logic->negative.size();
    EXPECT_LE(mo.logic->Chosen().size(), other) << "polarity of " << out;
  }
}

INSTANTIATE_TEST_SUITE_P(Designs, OkDesign, testing::ValuesIn(DesignNames("ok")),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

// Each failing design with the first error it must report and, where one
// fault could give more, how many errors in all.
struct FailCase {
  const char* name;
  const char* message;
  int errors = 0;  // 0: not counted
};

const FailCase kFailCases[] = {
    {"assign_feedback", "assign_feedback.abl:6:3: error: 'q.FB' is feedback and cannot be assigned"},
    {"assign_width", "assign_width.abl:5:14: error: a set of 3 bits is assigned to 2 signals"},
    {"async_reset_state",
     "async_reset_state.abl:7:15: error: ASYNC_RESET can only go to the state whose code is all 0"},
    {"bad_radix", "bad_radix.abl:4:7: error: only ^b, ^o, ^d or ^h may start a number"},
    {"clock_constant_in_equation",
     "clock_constant_in_equation.abl:5:11: error: '.C.' may only be used in test vectors"},
    {"clock_on_combinational",
     "clock_on_combinational.abl:6:3: error: 'y' has a clock, reset or preset but is not registered"},
    {"clock_without_d",
     "clock_without_d.abl:3:3: error: registered output 'q' has a clock or reset but no D equation"},
    {"com_and_reg", "com_and_reg.abl:5:3: error: 'q' is assigned both with '=' and as a register"},
    {"conflicting_attributes",
     "conflicting_attributes.abl:3:3: error: 'q' is already 'com' and cannot also be 'reg'"},
    {"constant_count", "constant_count.abl:3:3: error: 2 names but 1 values in the constant declaration"},
    {"constant_depth",
     "constant_depth.abl:6:24: error: the expression is more than 1000 operators deep, counting those of the "
     "constants it uses (in constant 'k' of line 4)"},
    {"declaration_expected",
     "declaration_expected.abl:3:8: error: PIN, NODE, DEVICE, ISTYPE or '=' expected, found '3'"},
    {"division_by_zero", "division_by_zero.abl:6:11: error: division by zero (in constant 'K' of line 4)"},
    {"duplicate_name", "duplicate_name.abl:3:3: error: 'a' is already declared"},
    {"duplicate_pin", "duplicate_pin.abl:3:12: error: pin 2 is already given to 'a'"},
    {"duplicate_state", "duplicate_state.abl:10:9: error: this state code is already used"},
    {"empty_set", "empty_set.abl:5:11: error: empty set"},
    {"endcase_missing", "endcase_missing.abl:8:3: error: ENDCASE expected, found 'state'"},
    {"expected_clock", "expected_clock.abl:7:3: error: '.C.' cannot be an expected output value"},
    {"fuse_out_of_range",
     "fuse_out_of_range.abl:8:2: error: fuse 2194 does not exist on the P16V8 (fuses 0 to 2193)"},
    {"if_chain", "if_chain.abl:6:26: error: the IF ... ELSE IF chain is more than 200 long"},
    {"include_not_found", "include_not_found.abl:3:1: error: cannot find the file 'common.inc' to include"},
    {"invalid_range", "invalid_range.abl:2:5: error: invalid range 'a0..b3'"},
    {"inverting_register_buffer",
     "inverting_register_buffer.abl:5:3: error: 'q' cannot be 'buffer': the registers of the GAL20RA10 "
     "always invert"},
    {"keyword_as_name",
     "keyword_as_name.abl:3:3: error: 'case' is a reserved word and cannot be used as a name", 1},
    {"keyword_in_expression_once",
     "keyword_in_expression_once.abl:8:11: error: 'options' is a reserved word and cannot stand in an "
     "expression",
     2},
    {"keyword_signal_named_once",
     "keyword_signal_named_once.abl:6:3: error: 'flag' is a reserved word and cannot be used as a name", 1},
    {"letters_in_number", "letters_in_number.abl:4:7: error: '12ab' is not a number in radix 10"},
    {"line_too_long", "line_too_long.abl:5:151: error: source line is longer than 150 characters"},
    {"long_identifier",
     "long_identifier.abl:3:3: error: identifier 'this_name_is_much_too_long_for_abel_x' is longer than 31 "
     "characters"},
    {"macro_doubling",
     "macro_doubling.abl:6:7: error: the macros and directives produce more than 2000000 characters"},
    {"missing_end", "missing_end.abl:6:1: error: END expected at the end of module 'missing_end'"},
    {"missing_semicolon", "missing_semicolon.abl:6:3: error: ';' expected, found 'y'"},
    {"multiply_on_set", "multiply_on_set.abl:5:23: error: '*' works on numbers only, not on signals or sets"},
    {"number_too_large",
     "number_too_large.abl:3:7: error: number '1FFFFFFFFFFFFFFFF' does not fit in 64 bits"},
    {"plcc_part",
     "plcc_part.abl:2:11: error: 'P22V10C' is a PLCC package; the program's devices are DIP parts (name the "
     "DIP "
     "part, such as 'P16V8', 'P20V8' or 'P22V10')"},
    {"operator_chain", "operator_chain.abl:5:23: error: the expression is more than 1000 operators deep"},
    {"pin_count_mismatch",
     "pin_count_mismatch.abl:2:15: error: 3 names but 2 numbers in the PIN declaration"},
    {"pin_is_power", "pin_is_power.abl:3:9: error: pin 12 is GND"},
    {"pin_out_of_range", "pin_out_of_range.abl:3:9: error: pin 21 does not exist on a 20-pin device"},
    {"radix_value", "radix_value.abl:3:8: error: the radix must be 2, 8, 10 or 16"},
    {"read_clock", "read_clock.abl:8:7: error: 'q.CLK' cannot be read; use .FB, .Q or .PIN for feedback"},
    {"refused_declaration_named_once",
     "refused_declaration_named_once.abl:6:19: error: register type 'reg_jk' is not available on GAL devices",
     2},
    {"register_assign_extension", "register_assign_extension.abl:5:3: error: ':=' cannot assign 'q.OE'"},
    {"register_type_t",
     "register_type_t.abl:3:19: error: register type 'reg_t' is not available on GAL devices"},
    {"reset_on_16v8", "reset_on_16v8.abl:8:3: error: the P16V8 has no asynchronous reset"},
    {"self_reference", "self_reference.abl:4:7: error: constant 'K' refers to itself"},
    {"set_width_mismatch",
     "set_width_mismatch.abl:6:16: error: '==' joins sets of different widths (3 and 2)"},
    {"state_outside_diagram", "state_outside_diagram.abl:6:1: error: STATE outside a STATE_DIAGRAM"},
    {"state_width", "state_width.abl:8:9: error: the state value has 3 bits, the state register 2"},
    {"t_extension", "t_extension.abl:5:3: error: '.T' is not available on GAL devices"},
    {"table_row_items",
     "table_row_items.abl:6:3: error: the row does not have one value for each item of the header"},
    {"table_rows_contradict",
     "table_rows_contradict.abl:8:3: error: truth table rows contradict each other: 'y' is 1 in the row on "
     "line 6 and 0 in this row for the same inputs"},
    {"table_value_against_dont_care",
     "table_value_against_dont_care.abl:8:3: error: truth table rows contradict each other: 'y' is .X. in "
     "the row on line 7 and 1 in this row for the same inputs"},
    {"table_value_not_constant",
     "table_value_not_constant.abl:5:8: error: truth table values must be constants"},
    {"two_devices", "two_devices.abl:3:3: error: a module has only one DEVICE declaration"},
    {"unclosed_string", "unclosed_string.abl:2:7: error: string is not closed"},
    {"undeclared_name",
     "undeclared_name.abl:5:11: error: 'B' is not declared; names are case-sensitive, did you mean 'b'?"},
    {"unexpected_character", "unexpected_character.abl:5:9: error: unexpected character '|'"},
    {"unknown_device",
     "unknown_device.abl:2:13: error: unknown device 'P16R8' (GAL16V8, GAL20V8, GAL22V10, GAL18V10, "
     "GAL26CV12, GAL26V12 and GAL20RA10 parts are known)"},
    {"unknown_special", "unknown_special.abl:5:11: error: unknown special constant '.Q.'"},
    {"vector_items",
     "vector_items.abl:8:3: error: the vector does not have one value for each item of the header"},
    {"vector_set_width",
     "vector_set_width.abl:11:16: error: the value is a set of 3 members, the header's set has 2"},
    {"wide_condition", "wide_condition.abl:5:8: error: a condition must be one bit wide, not a set of 2"},
    {"when_nesting", "when_nesting.abl:5:16: error: WHEN statements nest more than 200 deep"},
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
  int errors = 0;
  for (const Diagnostic& d : c.diags.List()) {
    if (d.severity != Severity::Error) continue;
    if (errors++ == 0) first = FormatDiagnostic(d, file, source);
  }
  EXPECT_EQ(GetParam().message, first.substr(0, first.find('\n')));
  if (GetParam().errors) {
    EXPECT_EQ(GetParam().errors, errors) << DiagnosticText(c, file, source);
  }
}

INSTANTIATE_TEST_SUITE_P(Designs, FailDesign, testing::ValuesIn(kFailCases),
                         [](const testing::TestParamInfo<FailCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace

namespace {

// @INCLUDE looks beside the including file, then in the user's design
// folder, then in the current one; LIBRARY 'x' reads x.inc the same way.
TEST(IncludedFiles, AreFoundBesideTheIncluderThenInTheDesignFolder) {
  const std::string source =
      "module inc\n d device 'P16V8';\n a, b pin 2, 3;\n y0, y1 pin 19, 18 istype 'com';\n"
      "library 'gates';\n@include 'inner/branch.inc'\nequations\n y0 = nand2(a, b);\n y1 = other;\n"
      "test_vectors ([a, b] -> [y0, y1])\n [1, 1] -> [0, 1];\n [0, 1] -> [1, 0];\nend inc\n";
  const struct {
    const char* directory;  // under tests/abelc
    const char* design_directory;
    const char* error;  // "" when it compiles
  } kCases[] = {
      {"include", "", ""},
      {"ok", "include", ""},  // a work copy elsewhere: the design's folder is searched next
      {"ok", "", "5:1: error: cannot find the file 'gates.inc' to include"},
  };
  for (const auto& k : kCases) {
    abelc::SourceContext context;
    context.directory = DesignDir(k.directory);
    if (*k.design_directory) context.design_directory = DesignDir(k.design_directory);
    Compilation c = CompileSource(source, context);
    std::string first;
    for (const Diagnostic& d : c.diags.List()) {
      if (d.severity == Severity::Error && first.empty()) first = FormatDiagnostic(d, "inc.abl", source);
    }
    if (*k.error) {
      EXPECT_EQ(std::string("inc.abl:") + k.error, first.substr(0, first.find('\n'))) << k.directory;
      continue;
    }
    ASSERT_EQ("", first) << k.directory;
    SimulationResult run = RunTestVectors(c.model);
    EXPECT_EQ(2, run.passed) << k.directory;
  }
}

}  // namespace
