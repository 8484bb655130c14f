// The lexer and the parser on their own: tokens with their kinds and
// positions, operator precedence as the parser builds it, and recovery that
// always moves on.
#include <gtest/gtest.h>

#include "abelc/lexer.h"
#include "abelc/parser.h"

namespace {

using namespace abelc;

// Tokens as "kind:text", numbers as their value, separated by blanks.
std::string Tokens(const std::string& source, Diagnostics& diags) {
  static const char* const kKinds[] = {"end", "id", "kw", "num", "str", "sp", "ext", "dir", "p"};
  Lexer lexer(source, diags);
  std::string out;
  for (Token t = lexer.Next(); t.kind != Tok::End; t = lexer.Next()) {
    if (!out.empty()) out += ' ';
    out += std::string(kKinds[static_cast<int>(t.kind)]) + ":" +
           (t.kind == Tok::Number ? std::to_string(t.number) : t.text);
  }
  return out;
}

TEST(Lexer, CutsSourceIntoTokens) {
  struct Case {
    const char* source;
    const char* tokens;
  };
  const Case cases[] = {
      {"MODULE Module mOdUlE", "kw:module kw:module kw:module"},
      {"abc Abc ABC", "id:abc id:Abc id:ABC"},
      {"a \"closed\" b // to the end\n c", "id:a id:b id:c"},
      {"a \"open to the end of the line\n d", "id:a id:d"},
      {"^b101 ^O17 ^d9 ^hFf 12 ^B0", "num:5 num:15 num:9 num:255 num:12 num:0"},
      {".x. .C. .Sv2. .k.", "sp:X sp:C sp:SV2 sp:K"},
      {"q.fb [a,b].CLK", "id:q ext:FB p:[ id:a p:, id:b p:] ext:CLK"},
      {"a0..a7 2..9", "id:a0 p:.. id:a7 num:2 p:.. num:9"},
      {"'it\\'s' `back\\\\`", "str:it's str:back\\"},
      {":+: :*: ?:= := ?= -> :> !$ << >> == != <= >=",
       "p::+: p::*: p:?:= p::= p:?= p:-> p::> p:!$ p:<< p:>> p:== p:!= p:<= p:>="},
      {"a!b#c", "id:a p:! id:b p:# id:c"},
      {"@ALTERNATE @radix", "dir:alternate dir:radix"},
      {"x~y _z", "id:x~y id:_z"},
      {"'two\r\nlines'", "str:two\nlines"},
  };
  for (const Case& c : cases) {
    Diagnostics diags;
    EXPECT_EQ(c.tokens, Tokens(c.source, diags)) << c.source;
    EXPECT_FALSE(diags.HasErrors()) << c.source;
  }
}

TEST(Lexer, PositionsCountColumnsFromOneAndIgnoreCarriageReturns) {
  Diagnostics diags;
  // Line ends and NULs inside comments count as they do outside.
  using namespace std::string_literals;
  const std::string source = "a\r\n  bb 'x\ny' c\fd \"q\t\fr\" e // s\0\ft\n\tf"s;
  Lexer lexer(source, diags);
  const SourcePos expected[] = {{1, 1}, {2, 3}, {2, 6}, {3, 4}, {4, 1}, {5, 4}, {7, 2}};
  for (const SourcePos& want : expected) {
    Token t = lexer.Next();
    EXPECT_EQ(want.line, t.pos.line) << t.text;
    EXPECT_EQ(want.column, t.pos.column) << t.text;
  }
}

TEST(Lexer, RadixChangesHowBareNumbersAreRead) {
  Diagnostics diags;
  const std::string source = "10 0F F 10";
  Lexer lexer(source, diags);
  EXPECT_EQ(10u, lexer.Next().number);
  lexer.SetRadix(16);
  EXPECT_EQ(15u, lexer.Next().number);
  EXPECT_EQ(Tok::Ident, lexer.Next().kind);  // a hex number must start with a digit
  EXPECT_EQ(16u, lexer.Next().number);
  EXPECT_FALSE(diags.HasErrors());
}

// The lexer must not depend on the caller's string outliving it: a
// temporary source, and a lexer returned from where its source was a local,
// both still read correctly (the sanitizer build catches a dangling read).
Lexer LexerOverLocalSource(Diagnostics& diags) {
  std::string source = "module long_enough_to_live_on_the_heap ^hFF";
  return Lexer(source, diags);
}

TEST(Lexer, KeepsItsOwnCopyOfTheSource) {
  Diagnostics diags;
  Lexer from_temporary(std::string("declarations a_name_long_enough_for_the_heap 42"), diags);
  EXPECT_TRUE(from_temporary.Next().IsKeyword("declarations"));
  EXPECT_EQ("a_name_long_enough_for_the_heap", from_temporary.Next().text);
  EXPECT_EQ(42u, from_temporary.Next().number);
  EXPECT_EQ(Tok::End, from_temporary.Next().kind);

  Lexer returned = LexerOverLocalSource(diags);
  EXPECT_TRUE(returned.Next().IsKeyword("module"));
  EXPECT_EQ("long_enough_to_live_on_the_heap", returned.Next().text);
  EXPECT_EQ(255u, returned.Next().number);
  EXPECT_FALSE(diags.HasErrors());
}

// Expressions written back fully parenthesised, with the parser's standard
// operator spellings.
std::string Show(const ExprPtr& e) {
  switch (e->kind) {
    case ExprKind::Number:
      return std::to_string(e->number);
    case ExprKind::Special:
      return "." + e->text + ".";
    case ExprKind::Name:
      return e->text + (e->ext.empty() ? "" : "." + e->ext);
    case ExprKind::Range:
      return e->text + ".." + e->text2;
    case ExprKind::Set: {
      std::string s = "[";
      for (std::size_t i = 0; i < e->kids.size(); ++i) s += (i ? ", " : "") + Show(e->kids[i]);
      return s + "]" + (e->ext.empty() ? "" : "." + e->ext);
    }
    case ExprKind::Unary:
      return e->text + Show(e->kids[0]);
    case ExprKind::Binary:
      return "(" + Show(e->kids[0]) + " " + e->text + " " + Show(e->kids[1]) + ")";
    case ExprKind::Index:
      return Show(e->kids[0]) + "[" + std::to_string(e->number) + ".." + std::to_string(e->number2) + "]" +
             (e->ext.empty() ? "" : "." + e->ext);
  }
  return "?";
}

TEST(Parser, BuildsExpressionsWithAbelPrecedence) {
  struct Case {
    const char* directives;
    const char* expr;
    const char* tree;
  };
  const Case cases[] = {
      {"", "a # b & c", "(a # (b & c))"},
      {"", "a $ b # c", "((a $ b) # c)"},
      {"", "a !$ b $ c", "((a !$ b) $ c)"},
      {"", "!a & !b", "(!a & !b)"},
      {"", "A == 5 # B == 6", "((A == (5 # B)) == 6)"},
      {"", "(A == 5) # (B != 6)", "((A == 5) # (B != 6))"},
      {"", "2 + 3 * 4 - 1", "((2 + (3 * 4)) - 1)"},
      {"", "-a + b << 2", "(-a + (b << 2))"},
      {"", "A < B # A >= B", "((A < (B # A)) >= B)"},
      {"@alternate", "a * /b + c :+: d", "(((a & !b) # c) $ d)"},
      {"@alternate", "a :*: b", "(a !$ b)"},
      {"@alternate @standard", "a * b + c", "((a * b) + c)"},
      {"", "[q1, .X., a10..a7].FB & 3", "([q1, .X., a10..a7].FB & 3)"},
      {"", "q.FB & s.pin", "(q.FB & s.PIN)"},
      {"", "!s[7..4].FB & s[2]", "(!s[7..4].FB & s[2..2])"},
      {"@const k = 2; @const k = k + 1;", "a & k", "(a & 3)"},
  };
  for (const Case& c : cases) {
    const std::string source =
        std::string("module m\n") + c.directives + "\nequations\n y = " + c.expr + ";\nend m\n";
    Diagnostics diags;
    Module m = ParseModule(source, diags);
    ASSERT_FALSE(diags.HasErrors()) << c.expr;
    ASSERT_EQ(1u, m.items.size()) << c.expr;
    const auto& block = std::get<EquationBlock>(m.items[0]);
    ASSERT_EQ(1u, block.stmts.size()) << c.expr;
    EXPECT_EQ(c.tree, Show(std::get<Equation>(block.stmts[0].body).value)) << c.expr;
  }
}

TEST(Parser, KeepsSourcePositionsOnNodes) {
  Diagnostics diags;
  Module m = ParseModule("module m\n a, b pin 2, 3;\nequations\n  y = a &\n      !b;\nend m\n", diags);
  ASSERT_FALSE(diags.HasErrors());
  const auto& pins = std::get<PinDecl>(m.items[0]);
  EXPECT_EQ(2, pins.names[1].pos.line);
  EXPECT_EQ(5, pins.names[1].pos.column);
  const Equation& eq = std::get<Equation>(std::get<EquationBlock>(m.items[1]).stmts[0].body);
  EXPECT_EQ(4, eq.pos.line);
  EXPECT_EQ(3, eq.pos.column);
  EXPECT_EQ(4, eq.value->pos.line);  // the '&'
  EXPECT_EQ(9, eq.value->pos.column);
  EXPECT_EQ(5, eq.value->kids[1]->pos.line);
  EXPECT_EQ(7, eq.value->kids[1]->pos.column);
}

// Every one of these once left the parser in a loop or ended it early; each
// must end with exactly the errors listed and still read what follows.
TEST(Parser, RecoversAndMovesOnAfterEveryKindOfError) {
  struct Case {
    const char* body;
    int errors;
  };
  const Case cases[] = {
      {"fuses\n 3 = 1;\n [4..] = 0;\n", 1},
      {"xor_factors\n y = a $ b;\n", 0},
      {"state 0: goto 1;\n", 1},
      {"module n\n", 1},
      {"equations\n if a then y = 1;\n y = !a;\n", 1},
      {"n macro (x) { ?x };\n", 0},
      {"s1, s2 state 1;\n", 1},
      {"p property 'anything';\n", 0},
      {"library 'std';\n", 1},
      {"@if (1 { y = a; }\n", 1},
      {"@include 'missing.inc';\n", 1},
      {"equations\n y = a &;\n y = ;\n", 2},
      {"equations\n when a then { y = + b; }\nfuses\n !;\nstate_diagram s\n sync_reset s sync_reset;\n", 4},
  };
  for (const Case& c : cases) {
    const std::string source =
        std::string("module m\n a pin 2;\n y pin 19;\n") + c.body + "equations\n y = a;\nend m\n";
    Diagnostics diags;
    Module m = ParseModule(source, diags);
    EXPECT_EQ(c.errors, diags.ErrorCount()) << c.body;
    ASSERT_FALSE(m.items.empty()) << c.body;
    // The equation after the bad part is still read.
    const auto* last = std::get_if<EquationBlock>(&m.items.back());
    ASSERT_NE(nullptr, last) << c.body;
    EXPECT_EQ(1u, last->stmts.size()) << c.body;
  }
}

}  // namespace
