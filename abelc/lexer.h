// Cuts ABEL source text into tokens, one at a time, so that @RADIX can change
// how the numbers after it are read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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
  // The first characters are compared first: the parser asks each token
  // about many words and operators, and most differ there.
  bool Is(Tok k, const char* t) const { return kind == k && text[0] == t[0] && text == t; }
  bool IsPunct(const char* t) const { return Is(Tok::Punct, t); }
  bool IsKeyword(const char* t) const { return Is(Tok::Keyword, t); }
};

class Lexer {
 public:
  // The lexer keeps its own copy of the source, so any string may be passed.
  // `start` is the position of the text's first character (a directive's
  // block keeps the lines and columns it has in the file); only text read
  // from a file checks the length of its lines.
  Lexer(std::string_view source, Diagnostics& diags, SourcePos start = {1, 1}, bool check_lines = true);
  Token Next() {
    Token t;
    Next(t);
    return t;
  }
  // The same into `t`, whose text keeps its buffer.
  void Next(Token& t);
  // Reads `source` next, from `start`, without checking its lines: the next
  // text of a macro call or a repeated block, in the buffer of the last one.
  void Restart(std::string_view source, SourcePos start);
  void SetRadix(int radix) { radix_ = radix; }
  int Radix() const { return radix_; }

  // Character-level access for the text stage, which reads macro bodies,
  // directive blocks and argument lists as text, not tokens.
  void SkipBlanks() { SkipSpaceAndComments(); }  // spaces and comments
  char PeekChar() const { return Peek(); }
  void TakeChar() { Advance(); }
  // Whether the identifier at the current character is `lower` (a word of
  // lower-case letters), in any case.
  bool PeekWordIs(std::string_view lower) const;
  SourcePos Here() const { return {line_, column_}; }
  // After `open` has been passed: the text up to the matching `close`,
  // which is passed too. Nested pairs count, `\{` and `\}` stand for literal
  // braces. False at the end of the text.
  bool ReadGroup(char open, char close, std::string& text);

 private:
  // The text is followed by kPadding NULs and `at_` never passes its end,
  // so looking one character ahead needs no bounds check.
  static constexpr std::size_t kPadding = 2;
  char Peek(std::size_t ahead = 0) const { return src_[at_ + ahead]; }
  void Advance();
  void SkipIdentChars();  // past the name characters at the current one
  void SkipSpaceAndComments();
  void SkipCommentText(bool to_quote);  // to the line end, or to a '"' too
  void CheckLineLength();
  // Each reads its token into `t`, which holds its position and no text yet.
  void LexNumber(Token& t);
  void LexString(Token& t, char quote);
  void LexDot(Token& t);
  void LexPunct(Token& t);  // a directive, an operator or a punctuation character

  std::string src_;  // the text, then the padding
  std::size_t end_;  // the text's length
  Diagnostics& diags_;
  std::size_t at_ = 0;
  int line_ = 1;
  int column_ = 1;
  int radix_ = 10;
  int checked_line_ = 0;
};

// Whether `word`, in any case, is a keyword.
bool IsKeywordText(std::string_view word);

}  // namespace abelc
