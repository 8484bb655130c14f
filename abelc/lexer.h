// Cuts ABEL source text into tokens, one at a time, so that @RADIX can change
// how the numbers after it are read.
#pragma once

#include <cstdint>
#include <string>

#include "abelc/diagnostics.h"

namespace abelc {

enum class Tok {
  End,        // end of the source
  Ident,      // text as written (names are case-sensitive)
  Keyword,    // text lower-cased
  Number,     // value in `number`
  String,     // text without its quotes, escapes resolved
  Special,    // .X. .C. ...: text upper-cased, without dots ("X", "SV2")
  DotExt,     // .CLK .D ...: text upper-cased, without the dot
  Directive,  // @name: text lower-cased, without '@'
  Punct,      // operators and punctuation: text as written
};

struct Token {
  Tok kind = Tok::End;
  std::string text;
  std::uint64_t number = 0;
  SourcePos pos;
  bool Is(Tok k, const char* t) const { return kind == k && text == t; }
  bool IsPunct(const char* t) const { return Is(Tok::Punct, t); }
  bool IsKeyword(const char* t) const { return Is(Tok::Keyword, t); }
};

class Lexer {
 public:
  // The lexer keeps its own copy of the source, so any string may be passed.
  Lexer(std::string source, Diagnostics& diags);
  Token Next();
  void SetRadix(int radix) { radix_ = radix; }

 private:
  char Peek(std::size_t ahead = 0) const;
  void Advance();
  void SkipSpaceAndComments();
  void CheckLineLength();
  Token LexNumber(SourcePos pos);
  Token LexString(SourcePos pos, char quote);
  Token LexDot(SourcePos pos);

  std::string src_;
  Diagnostics& diags_;
  std::size_t at_ = 0;
  int line_ = 1;
  int column_ = 1;
  int radix_ = 10;
  int checked_line_ = 0;
};

bool IsKeywordText(const std::string& lower);

}  // namespace abelc
