// The minimiser on functions with known answers, on random functions with
// don't cares, and at its work limit.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "abelc/compile.h"
#include "abelc/minimise.h"

namespace {

using namespace abelc;

Cover Minterms(int vars, const std::vector<int>& list) {
  Cover f;
  for (int m : list) {
    Cube c;
    for (int v = 0; v < vars; ++v) c = Intersect(c, Literal(v, (m >> v) & 1));
    f.push_back(c);
  }
  return f;
}

TEST(Minimiser, FindsTheKnownMinimumCovers) {
  struct Case {
    int vars;
    std::vector<int> on, dc;
    std::size_t terms;
  };
  const Case cases[] = {
      {4, {0, 1, 2, 3, 4, 5, 6, 7}, {}, 1},     // !x3
      {3, {1, 2, 4, 7}, {}, 4},                 // parity: nothing merges
      {4, {1, 3, 5, 7, 9, 11, 13, 15}, {}, 1},  // x0
      {4, {0, 2, 5, 7, 8, 10, 13, 15}, {}, 2},  // x0 xnor x2
      {4, {1, 3, 7, 11, 15}, {0, 2, 5}, 2},     // the classic don't-care example
      {4, {}, {1, 2}, 0},
      {3, {0, 1, 2, 3, 4, 5, 6}, {7}, 1},  // true once 7 is free
  };
  for (const Case& c : cases) {
    Cover result;
    ASSERT_TRUE(MinimiseCover(Minterms(c.vars, c.on), Minterms(c.vars, c.dc), result));
    EXPECT_EQ(c.terms, result.size()) << "function with " << c.on.size() << " minterms";
  }
}

TEST(Minimiser, RandomFunctionsStayWithinOnSetAndDontCares) {
  std::mt19937 random(7);
  for (int round = 0; round < 120; ++round) {
    const int vars = 3 + round % 6;
    std::vector<int> on, dc;
    for (int m = 0; m < (1 << vars); ++m) {
      int r = static_cast<int>(random() % 5);
      if (r < 2) on.push_back(m);
      if (r == 2) dc.push_back(m);
    }
    Cover f = Minterms(vars, on), d = Minterms(vars, dc), result;
    ASSERT_TRUE(MinimiseCover(f, d, result));
    EXPECT_LE(result.size(), Absorb(f).size());
    for (std::uint64_t a = 0; a < (1u << vars); ++a) {
      if (Evaluate(d, a)) continue;
      ASSERT_EQ(Evaluate(f, a), Evaluate(result, a)) << "round " << round << " at " << a;
    }
  }
}

TEST(Minimiser, GivesUpAtItsWorkLimit) {
  Cover parity = Minterms(10, {});
  for (int m = 0; m < 1024; ++m) {
    if (__builtin_popcount(m) % 2) parity.push_back(Minterms(10, {m})[0]);
  }
  Cover result;
  EXPECT_FALSE(MinimiseCover(parity, {}, result, 10000));
}

TEST(Minimiser, AnOutputOverTheLimitIsAnErrorNamingIt) {
  Compilation c = CompileSource(
      "module big\n i0..i11 pin 2..9, 11, 13, 14, 15;\n p pin 19;\n"
      "equations\n p = i0 $ i1 $ i2 $ i3 $ i4 $ i5 $ i6 $ i7 $ i8 $ i9 $ i10 $ i11;\nend big\n");
  ASSERT_EQ(1, c.diags.ErrorCount());
  EXPECT_EQ("'p' needs more work to minimise than the limit allows", c.diags.List()[0].message);
}

}  // namespace

namespace {

// A design that is only large: many pins and outputs, every function easy
// in one polarity. A 10-bit equality needs 1024 terms as written and 20 as
// its complement; the hard side must not sink the easy one.
TEST(Minimiser, ADesignThatIsOnlyLargeCompiles) {
  std::string source =
      "module large\n i0..i23 pin;\n y0..y15 pin istype 'com';\n eq pin istype 'com';\nequations\n";
  for (int k = 0; k < 16; ++k) {
    auto in = [](int n) { return "i" + std::to_string(n % 24); };
    source += " y" + std::to_string(k) + " = " + in(k) + " # " + in(k + 3) + " & !" + in(k + 7) + " # " +
              in(k + 11) + " & " + in(k + 13) + " & " + in(k + 17) + ";\n";
  }
  source += " eq = [i9..i0] == [i19..i10];\nend large\n";
  Compilation c = CompileSource(source);
  ASSERT_FALSE(c.diags.HasErrors());
  ASSERT_EQ(17u, c.minimised.outputs.size());
  for (std::size_t k = 0; k < 16; ++k) EXPECT_EQ(3u, c.minimised.outputs[k].logic->Chosen().size());
  const MinimisedFunction& eq = *c.minimised.outputs[16].logic;
  EXPECT_TRUE(eq.complemented);
  EXPECT_EQ(20u, eq.Chosen().size());
}

TEST(Minimiser, SupercubeOfTheComplementMatchesTheComplement) {
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    const int vars = 2 + round % 6;
    std::vector<int> on;
    for (int m = 0; m < (1 << vars); ++m) {
      if (random() % 3 != 0) on.push_back(m);
    }
    Cover f = Absorb(Minterms(vars, on));
    Cube got = SupercubeOfComplement(f);
    // The supercube of the complement's minterms, over the function's variables.
    Cube want{0, 0};
    for (int m = 0; m < (1 << vars); ++m) {
      if (Evaluate(f, static_cast<std::uint64_t>(m))) continue;
      Cube c = Minterms(vars, {m})[0];
      want = {want.zero | c.zero, want.one | c.one};
    }
    const std::uint64_t mask = (std::uint64_t{1} << vars) - 1;
    if (IsEmpty(want)) {
      EXPECT_TRUE(IsEmpty(got)) << "round " << round;
    } else {
      EXPECT_EQ(want.zero & mask, got.zero & mask) << "round " << round;
      EXPECT_EQ(want.one & mask, got.one & mask) << "round " << round;
    }
  }
}

}  // namespace

// On the 22V10 nothing stands between the sum and the flip-flop, so the
// minimised D input must be the plain sum the part builds, whatever polarity
// would be smaller or the attributes ask for; 'pos'/'neg' that ask for the
// other form are ignored with a warning. A ':=' register that the design
// leaves free (no inverter, reset or preset given; 'pos' and 'neg' do not
// bind it) gets the smaller form, behind the inverter that makes it right.
TEST(Minimiser, A22V10RegisterGetsTheDInputThePartCanBuild) {
  struct Case {
    const char* attrs;
    const char* equation;
    std::function<bool(bool, bool, bool)> d;  // the flip-flop input of a, b, c
    const char* warning;                      // "" for none
  };
  const Case cases[] = {
      {"reg_d,buffer", "!q.D = a & b & c;", [](bool a, bool b, bool c) { return !(a && b && c); }, ""},
      {"reg_d", "q.D = a # b # c;", [](bool a, bool b, bool c) { return a || b || c; }, ""},
      {"reg_d,invert", "q.D = a # b # c;", [](bool a, bool b, bool c) { return a || b || c; }, ""},
      {"reg_d,neg", "q.D = a & b;", [](bool a, bool b, bool) { return a && b; },
       "'neg' is ignored: the P22V10 builds 'q.D' only as written, having no inverter before the register"},
      {"reg,invert", "q := a # b # c;", [](bool a, bool b, bool c) { return !(a || b || c); }, ""},
      {"reg,invert,pos", "q := a & b;", [](bool a, bool b, bool) { return !(a && b); },
       "'pos' is ignored: the P22V10 builds 'q' in complemented form, its register being behind 'invert'"},
      {"reg", "q := a # b # c;", [](bool a, bool b, bool c) { return !(a || b || c); }, ""},
      {"reg", "q := a & b & c;", [](bool a, bool b, bool c) { return a && b && c; }, ""},
      {"reg", "q := a # b # c; q.ar = c;", [](bool a, bool b, bool c) { return a || b || c; }, ""},
      {"reg,neg", "q := a & b;", [](bool a, bool b, bool) { return a && b; }, ""},
      {"reg,pos", "q := a # b # c;", [](bool a, bool b, bool c) { return !(a || b || c); }, ""},
      {"reg,neg", "q := a & b; q.ar = c;", [](bool a, bool b, bool) { return a && b; },
       "'neg' is ignored: the P22V10 builds 'q' in positive form unless it is declared 'invert'"},
  };
  for (const Case& t : cases) {
    const std::string source =
        std::string("module m\n d device 'P22V10';\n clk, a, b, c pin 1, 2, 3, 4;\n q pin 23 istype '") +
        t.attrs + "';\nequations\n q.clk = clk;\n " + t.equation + "\nend m\n";
    SCOPED_TRACE(source);
    Compilation c = CompileSource(source);
    ASSERT_FALSE(c.diags.HasErrors());
    std::string warnings;
    for (const Diagnostic& d : c.diags.List()) warnings += d.message;
    EXPECT_EQ(t.warning, warnings);
    const MinimisedFunction& f = *c.minimised.outputs[0].logic;
    const Cover& sum = f.Chosen();
    std::optional<FitResult> fit = FitDesign(c.model, c.minimised, c.diags);
    ASSERT_TRUE(fit);
    EXPECT_EQ(static_cast<int>(sum.size()), fit->cells.front().terms_used);
    // The flip-flop input is the chosen sum itself: uncomplemented for .D,
    // complemented exactly when a ':=' register is behind 'invert' as fitted.
    const LogicModel fitted = FittedModel(c.model, *fit);
    const bool inverts = InvertsRegister(fitted, fitted.outputs[0]);
    EXPECT_EQ(!fitted.outputs[0].detailed && inverts, f.complemented);
    EXPECT_EQ(inverts, !fit->cells.front().active_high);
    for (int in = 0; in < 8; ++in) {
      bool v[3] = {(in & 4) != 0, (in & 2) != 0, (in & 1) != 0};
      std::uint64_t assignment = 0;
      for (std::size_t var = 0; var < c.model.variables.size(); ++var) {
        const int s = c.model.variables[var].signal;
        if (s >= 1 && s <= 3 && v[s - 1]) assignment |= std::uint64_t{1} << var;
      }
      EXPECT_EQ(t.d(v[0], v[1], v[2]), Evaluate(sum, assignment)) << "at a,b,c = " << in;
    }
  }
}
