// The language front end, seen through the functions it produces: each case
// is a small design whose output must equal a function of its inputs on
// every input combination.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "abelc/compile.h"
#include "abelc/diagnostics.h"
#include "abelc/output_files.h"
#include "golden_support.h"

namespace {

using namespace abelc;

// Inputs a, b, c, d (pins 2..5, read as bits 3..0 of `in`) and output y.
struct ExprCase {
  const char* declarations;
  const char* equations;
  std::function<bool(int a, int b, int c, int d)> expected;
};

const ExprCase kExprCases[] = {
    {"", "y = a # b & c;", [](int a, int b, int c, int) { return a || (b && c); }},
    {"", "y = a $ b # c;", [](int a, int b, int c, int) { return (a != b) || c; }},
    {"", "y = a !$ b;", [](int a, int b, int, int) { return a == b; }},
    {"", "y = !(a & b) & c;", [](int a, int b, int c, int) { return !(a && b) && c; }},
    {"", "!y = a; !y = b;", [](int a, int b, int, int) { return !(a || b); }},
    {"", "!y = a; y = c;", [](int a, int, int c, int) { return c || !a; }},
    {"", "when a then y = b; else y = c;", [](int a, int b, int c, int) { return a ? b : c; }},
    {"nand2 macro (x, y) {!(?x & ?y)};", "y = nand2(a, b) & c;",
     [](int a, int b, int c, int) { return !(a && b) && c; }},
    {"either macro {a # b};", "y = c & either;", [](int a, int b, int c, int) { return (c && a) || b; }},
    // Dummy arguments match their parameters in any case.
    {"nand3 macro (X, Y, z) {!(?x & ?y & ?Z)};", "@irpc v (c) { y = nand3(a, b, ?v); }",
     [](int a, int b, int c, int) { return !(a && b && c); }},
    {"", "@if (1) { y = a; } @if (0) { y = b; }", [](int a, int, int, int) { return a; }},
    {"@const k = 2;", "@repeat k { y = a & b; } @irp v (c, d) { y = ?v & a; }",
     [](int a, int b, int c, int d) { return a && (b || c || d); }},
    {"S = [a, b, c, d];", "y = S[2] & S[0];", [](int, int b, int, int d) { return b && d; }},
    {"S = [a, b, c, d];", "y = S[3..2] == 2;", [](int a, int b, int, int) { return a && !b; }},
    {"S = [a, b, c, d];", "y = S[0..1] == 2;", [](int, int, int c, int d) { return d && !c; }},
    {"", "when a then y = b; else when c then y = d;",
     [](int a, int b, int c, int d) { return a ? b : (c && d); }},
    {"", "when a & b then { y = c; } else { y = d; }",
     [](int a, int b, int c, int d) { return (a && b) ? c : d; }},
    {"S = [a, b];", "y = S == 2;", [](int a, int b, int, int) { return a && !b; }},
    {"S = [a, b];", "y = S != ^b01;", [](int a, int b, int, int) { return !(!a && b); }},
    {"S = [a, b, c];", "y = S >= 5;", [](int a, int b, int c, int) { return a * 4 + b * 2 + c >= 5; }},
    {"S = [a, b, c];", "y = S < 3;", [](int a, int b, int c, int) { return a * 4 + b * 2 + c < 3; }},
    {"S = [a, b]; T = [c, d];", "y = S > T;",
     [](int a, int b, int c, int d) { return a * 2 + b > c * 2 + d; }},
    {"S = [a, b]; T = [c, d];", "y = S <= T;",
     [](int a, int b, int c, int d) { return a * 2 + b <= c * 2 + d; }},
    {"S = [a, b, c, .X.];", "y = S == ^hA;", [](int a, int b, int c, int) { return a && !b && c; }},
    {"S = [a, b]; T = [c, d];", "y = (S + T) == 3;",
     [](int a, int b, int c, int d) { return (a * 2 + b + c * 2 + d) % 4 == 3; }},
    {"S = [a, b]; T = [c, d];", "y = (S - T) == 1;",
     [](int a, int b, int c, int d) { return (a * 2 + b - c * 2 - d + 4) % 4 == 1; }},
    {"S = [a, b];", "y = (-S) == 3;", [](int a, int b, int, int) { return (4 - (a * 2 + b)) % 4 == 3; }},
    {"S = [a, b, c];", "y = ([a, b, c] & 5) == 5;", [](int a, int, int c, int) { return a && c; }},
    {"", "y = (a & [b, c]) == 3;", [](int a, int b, int c, int) { return a && b && c; }},
    {"K = 2 + 3 * 4;", "y = [a, b, c, d] == K - 4;",
     [](int a, int b, int c, int d) { return a * 8 + b * 4 + c * 2 + d == 10; }},
    {"K = ^o17 >> 1 << 1;", "y = [a, b, c, d] == K;",
     [](int a, int b, int c, int d) { return a * 8 + b * 4 + c * 2 + d == 14; }},
    {"@alternate", "y = a * /b + c :+: d;",
     [](int a, int b, int c, int d) { return ((a && !b) || c) != (d != 0); }},
    {"@radix 16; K = 0F;", "y = [a, b, c, d] == K - ^d5;",
     [](int a, int b, int c, int d) { return a * 8 + b * 4 + c * 2 + d == 10; }},
    {"", "y = a & b; \"comment \" y = c; // rest", [](int a, int b, int c, int) { return (a && b) || c; }},
    // Bodies over several lines, nested parentheses and escaped braces.
    {"sel macro (x) {when ?x\n then \\{ y = (b # (c)); \\}\n else \\{ y = d; \\}};", "sel(a)",
     [](int a, int b, int c, int d) { return a ? (b || c) : d; }},
};

TEST(FrontEnd, OperatorsSetsAndDirectivesGiveTheDocumentedFunctions) {
  for (const ExprCase& t : kExprCases) {
    std::string source = std::string("module m\n a, b, c, d pin 2, 3, 4, 5;\n y pin 19;\n") + t.declarations +
                         "\nequations\n" + t.equations + "\nend m\n";
    Compilation c = CompileSource(source);
    ASSERT_FALSE(c.diags.HasErrors()) << t.equations << "\n"
                                      << abelc_test::DiagnosticText(c, "m.abl", source);
    ASSERT_EQ(1u, c.model.outputs.size()) << t.equations;
    const Function& f = *c.model.outputs[0].logic;
    for (int in = 0; in < 16; ++in) {
      int v[4] = {in >> 3 & 1, in >> 2 & 1, in >> 1 & 1, in & 1};
      std::uint64_t assignment = 0;
      for (std::size_t var = 0; var < c.model.variables.size(); ++var) {
        if (v[c.model.variables[var].signal]) assignment |= std::uint64_t{1} << var;
      }
      EXPECT_EQ(t.expected(v[0], v[1], v[2], v[3]), Evaluate(f.on, assignment))
          << t.declarations << " " << t.equations << " at a,b,c,d = " << v[0] << v[1] << v[2] << v[3];
    }
  }
}

TEST(FrontEnd, ModuleFrameKeepsTheTitleAndTheDevice) {
  Compilation c = CompileSource(
      "MODULE frame\nTITLE 'first line\n  second line'\nDECLARATIONS\n u1 Device 'gal22v10';\n"
      " a pin 2;\n !y pin 23 ISTYPE 'com';\nEquations\n y = a;\nEND frame\n");
  ASSERT_FALSE(c.diags.HasErrors());
  EXPECT_EQ("first line\n  second line", c.model.title);
  EXPECT_EQ("GAL22V10", c.model.device.part);
  EXPECT_EQ(Family::Gal22V10, c.model.device.family);
  EXPECT_TRUE(c.model.signals[1].active_low);
}

TEST(FrontEnd, PinRangesPairNamesWithNumbers) {
  Compilation c = CompileSource(
      "module r\n d device 'P20V8';\n i0..i3 pin 2..5;\n !q3..!q0 pin 20, 19, 18, 17;\nend r\n");
  ASSERT_FALSE(c.diags.HasErrors());
  ASSERT_EQ(8u, c.model.signals.size());
  EXPECT_EQ("i3", c.model.signals[3].name);
  EXPECT_EQ(5, c.model.signals[3].pin);
  EXPECT_EQ("q0", c.model.signals[7].name);
  EXPECT_EQ(17, c.model.signals[7].pin);
  EXPECT_TRUE(c.model.signals[7].active_low);
}

TEST(FrontEnd, SeveralSyntaxErrorsAreReportedInOneRun) {
  Compilation c =
      CompileSource("module e\n a pin 2;\n y pin 19;\nequations\n y = a &;\n y = ;\n y = a;\nend e\n");
  EXPECT_EQ(2, c.diags.ErrorCount());
}

// A line of 200,000 characters no token starts with: one error each, but the
// lexer must not recurse per character, the list stops at its limit, and the
// listing quotes no more of the line than the errors need.
TEST(FrontEnd, AHugeLineOfGarbageGivesABoundedListing) {
  const std::string source = "module g\n" + std::string(200000, '~') + "\nend g\n";
  const CompiledFiles files = CompileToFiles("g.abl", source, "2026-01-01 00:00:00");
  EXPECT_FALSE(files.ok);
  EXPECT_LT(files.listing.size(), 1000000u);  // 40 MB when every error quoted the whole line
  // The first error is the line's length; the 199 after it are characters.
  EXPECT_NE(files.listing.find("g.abl:2:199: error: unexpected character '~'\r\n" + std::string(279, '~') +
                               "\r\n" + std::string(198, ' ') + "^"),
            std::string::npos);
  EXPECT_EQ(files.listing.find("g.abl:2:200:"), std::string::npos);
  EXPECT_NE(files.listing.find("g.abl: error: too many errors and warnings; the rest are not listed"),
            std::string::npos);
}

// Parentheses nested a hundred thousand deep, in an equation and in a
// directive's expression: an error, where the recursion overflowed the stack.
TEST(FrontEnd, DeepNestingIsAnErrorNotACrash) {
  const std::string open(100000, '(');
  for (const std::string& body : {"y = " + open + "a;", "@repeat " + open + "1 { y = a; }"}) {
    const Compilation c = CompileSource("module n\ny pin 19;\na pin 2;\nequations\n" + body + "\nend n\n");
    EXPECT_TRUE(c.diags.HasErrors()) << body.substr(0, 10);
  }
}

// Past 100,000 tokens the compilation stops; the message blames macros and
// directives only when the design uses them.
TEST(FrontEnd, TheTokenLimitNamesWhatProducedTheTokens) {
  std::string lines;
  for (int i = 0; i < 30000; ++i) lines += "y = a;\n";  // four tokens each
  const std::pair<std::string, const char*> cases[] = {
      {lines, "the design has more than 100000 tokens"},
      {"@repeat 30000 { y = a; }", "the macros and directives produce more than 100000 tokens"},
  };
  for (const auto& [body, message] : cases) {
    const Compilation c = CompileSource("module t\ny pin 19;\na pin 2;\nequations\n" + body + "\nend t\n");
    ASSERT_FALSE(c.diags.List().empty());
    EXPECT_EQ(message, c.diags.List().front().message) << body.substr(0, 20);
  }
}

// The listing's diagnostics are written with CR LF at once: the same text as
// converting them afterwards, line breaks in the file name and message too.
TEST(FrontEnd, DiagnosticsWrittenWithCrLfMatchTheConvertedText) {
  SourceContext context;
  context.file_name = "a\nb.abl";
  const std::string source = "x\n\ty z\n";
  const SourceLines lines(source);
  for (const Diagnostic& d : {Diagnostic{Severity::Warning, {2, 3}, "two\nlines\n"}, Diagnostic{}}) {
    std::string plain, crlf;
    AppendDiagnostic(plain, d, context, lines);
    AppendDiagnostic(crlf, d, context, lines, true);
    EXPECT_EQ(Crlf(plain), crlf) << d.message;
  }
}

}  // namespace

namespace {

// The part strings the device library knows for the DIP GALs, the ATF names
// and the PLCC strings: each P name's last letter may fix the 16V8/20V8 mode,
// an ATF name's never does; the report names a variant as written, the fuse
// file the GAL map it shares.
TEST(FrontEnd, PartStringsNameTheGalMapTheyShare) {
  const struct {
    const char* part;
    abelc::Family family;  // Unknown: refused
    char mode;
    const char* doc_names;  // the name the report gives, or the start of the error
  } kParts[] = {
      {"P16V8ZR", Family::Gal16V8, 'R', "P16V8ZR"},
      {"P16V8HC", Family::Gal16V8, 'C', "P16V8HC"},
      {"P20V8ZS", Family::Gal20V8, 'S', "P20V8ZS"},
      {"P16V8Z", Family::Gal16V8, 0, "P16V8Z"},
      {"ATF16V8C", Family::Gal16V8, 0, "ATF16V8C"},
      {"ATF20V8B", Family::Gal20V8, 0, "ATF20V8B"},
      {"ATF22V10C", Family::Gal22V10, 0, "ATF22V10C"},
      {"P16V8AS", Family::Gal16V8, 'S', "P16V8S"},
      {"P22V10GC", Family::Unknown, 0, "'P22V10GC' is a PLCC package"},
      {"P20V8LCC", Family::Unknown, 0, "'P20V8LCC' is a PLCC package"},
  };
  for (const auto& p : kParts) {
    const std::string source =
        std::string("module m\n d device '") + p.part +
        "';\n a, b pin 2, 3;\n y pin 19 istype 'com';\nequations\n y = a & b;\nend m\n";
    Compilation c = CompileSource(source);
    if (p.family == Family::Unknown) {
      ASSERT_TRUE(c.diags.HasErrors()) << p.part;
      EXPECT_EQ(0u, c.diags.List().front().message.rfind(p.doc_names, 0)) << c.diags.List().front().message;
      continue;
    }
    ASSERT_FALSE(c.diags.HasErrors()) << p.part;
    EXPECT_EQ(p.family, c.model.device.family) << p.part;
    EXPECT_EQ(p.mode, c.model.device.forced_mode) << p.part;
    CompiledFiles files = CompileToFiles("m.abl", source, "Thu Jan  1 00:00:00 2026");
    ASSERT_TRUE(files.ok) << files.listing;
    EXPECT_NE(std::string::npos, files.doc.find(std::string("==== ") + p.doc_names + " Programmed Logic"))
        << p.part;
    EXPECT_NE(std::string::npos, files.listing.find(std::string("Device: '") + p.part + "'")) << p.part;
    EXPECT_EQ(std::string::npos, files.jed.find("ATF")) << p.part;
  }
}

}  // namespace
