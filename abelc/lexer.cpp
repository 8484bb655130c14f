// ABEL tokens: case-insensitive keywords, case-sensitive names, numbers in
// four radixes, both comment forms and strings that may span lines.
#include "abelc/lexer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>

#include "abelc/ascii_case.h"

namespace abelc {

namespace {

// Sorted, so that those with one first letter stand together.
constexpr std::string_view kKeywords[] = {
    "case",     "declarations", "device",        "else",           "enable",       "end",     "endcase",
    "endwith",  "equations",    "flag",          "fuses",          "goto",         "if",      "in",
    "istype",   "library",      "macro",         "module",         "node",         "options", "pin",
    "property", "state",        "state_diagram", "state_register", "test_vectors", "then",    "title",
    "trace",    "truth_table",  "when",          "with",           "xor_factors"};

constexpr std::size_t kLongestKeyword = 14;  // "state_register"
static_assert(std::is_sorted(std::begin(kKeywords), std::end(kKeywords)));
static_assert(std::ranges::all_of(kKeywords, [](std::string_view k) { return k.size() <= kLongestKeyword; }));

constexpr int kMaxLineLength = 150;
constexpr std::size_t kMaxIdentLength = 31;

// Classes of the ASCII characters; other bytes belong to none.
enum : std::uint16_t {
  kIdentStart = 1,
  kIdentChar = 2,
  kTokenStart = 4,
  kBlank = 8,
  kColumnless = 16,
  kSpaceOrTab = 32,      // blanks of one column each
  kStopsComment = 64,    // characters a comment's text is not skipped over in one step
  kLongOperator = 128,   // may start an operator of two or three characters
  kMaySkip = 256,        // a blank, or the start of a comment
  kStopsString = 512,    // characters a string's text is not copied over in one step
  kKeywordStart = 1024,  // a keyword's first letter, in either case
  kStopsGroup = 2048,    // characters a group's text is not copied over in one step (and its brackets)
};
constexpr std::array<std::uint16_t, 256> kClasses = [] {
  std::array<std::uint16_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    // A token (name, number, string, dot word, directive or operator) starts
    // with a letter, a digit, '_' or one of the punctuation characters.
    if (alpha || c == '_') classes[c] |= kIdentStart | kTokenStart;
    if (alpha || digit || c == '_' || c == '~') classes[c] |= kIdentChar;
    if (digit) classes[c] |= kTokenStart;
  }
  for (char c : std::string_view("^'`.@()[]{},;:=!&#$+-*/%<>?"))
    classes[static_cast<unsigned char>(c)] |= kTokenStart;
  for (char c : std::string_view(" \t\r\n\v\f")) classes[static_cast<unsigned char>(c)] |= kBlank;
  // Line ends (which start a new line) and '\r' take no column.
  for (char c : std::string_view("\r\n\v\f")) classes[static_cast<unsigned char>(c)] |= kColumnless;
  classes[' '] |= kSpaceOrTab;
  classes['\t'] |= kSpaceOrTab;
  // The ends of both comment forms, the other line ends, and NUL (the padding after the text).
  for (char c : std::string_view("\"\r\n\v\f")) classes[static_cast<unsigned char>(c)] |= kStopsComment;
  classes[0] |= kStopsComment;
  for (char c : std::string_view(":?-!<>=")) classes[static_cast<unsigned char>(c)] |= kLongOperator;
  for (char c : std::string_view(" \t\r\n\v\f\"/")) classes[static_cast<unsigned char>(c)] |= kMaySkip;
  // Both quotes, the escape, line ends and NUL (the padding after the text).
  for (char c : std::string_view("'`\\\r\n\v\f")) classes[static_cast<unsigned char>(c)] |= kStopsString;
  classes[0] |= kStopsString;
  for (char c : std::string_view("\\\r\n\v\f")) classes[static_cast<unsigned char>(c)] |= kStopsGroup;
  classes[0] |= kStopsGroup;
  for (std::string_view k : kKeywords) {
    classes[static_cast<unsigned char>(k[0])] |= kKeywordStart;
    classes[static_cast<unsigned char>(k[0] - 'a' + 'A')] |= kKeywordStart;
  }
  return classes;
}();

bool IsIdentStart(char c) {
  return kClasses[static_cast<unsigned char>(c)] & kIdentStart;
}
bool IsIdentChar(char c) {
  return kClasses[static_cast<unsigned char>(c)] & kIdentChar;
}
bool IsTokenStart(char c) {
  return kClasses[static_cast<unsigned char>(c)] & kTokenStart;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return 99;
}

}  // namespace

bool IsKeywordText(std::string_view word) {
  // The keywords with the word's first letter, found without comparing strings.
  static constexpr auto kFirst = [] {
    std::array<std::uint8_t, 27> first{};  // per letter: the index of its first keyword
    std::size_t k = 0;
    for (int letter = 0; letter <= 26; ++letter) {
      while (k < std::size(kKeywords) && kKeywords[k][0] - 'a' < letter) ++k;
      first[static_cast<std::size_t>(letter)] = static_cast<std::uint8_t>(k);
    }
    return first;
  }();
  if (word.empty()) return false;
  const char first = LowerAscii(word[0]);
  if (first < 'a' || first > 'z') return false;
  const auto letter = static_cast<std::size_t>(first - 'a');
  // At most six keywords share a letter: their lengths first, then their
  // letters one by one (a library comparison would cost more than the word).
  for (std::size_t k = kFirst[letter]; k < kFirst[letter + 1]; ++k) {
    const std::string_view keyword = kKeywords[k];
    if (keyword.size() != word.size()) continue;
    std::size_t i = 1;
    while (i < word.size() && keyword[i] == LowerAscii(word[i])) ++i;
    if (i == word.size()) return true;
  }
  return false;
}

Lexer::Lexer(std::string_view source, Diagnostics& diags, SourcePos start, bool check_lines)
    : end_(source.size()), diags_(diags), line_(start.line), column_(start.column) {
  src_.reserve(source.size() + kPadding);
  src_.append(source);
  src_.append(kPadding, '\0');
  if (!check_lines) checked_line_ = INT32_MAX;
}

void Lexer::Restart(std::string_view source, SourcePos start) {
  src_.assign(source);  // in the buffer the last text had
  src_.append(kPadding, '\0');
  end_ = source.size();
  at_ = 0;
  line_ = start.line;
  column_ = start.column;
  checked_line_ = INT32_MAX;
}

bool Lexer::PeekWordIs(std::string_view lower) const {
  // The first letter first: it is asked after every name.
  const char first = src_[at_];
  if (first != lower[0] && first != lower[0] - ('a' - 'A')) return false;
  std::size_t end = at_;
  if (IsIdentStart(src_[end])) {
    while (IsIdentChar(src_[end])) ++end;  // the padding NUL ends the name
  }
  return SameIgnoringCase(std::string_view(src_).substr(at_, end - at_), lower);
}

bool Lexer::ReadGroup(char open, char close, std::string& text) {
  int depth = 1;
  for (;;) {
    // Plain characters in one step, one column each.
    const std::size_t start = at_;
    for (char c = src_[at_];
         !(kClasses[static_cast<unsigned char>(c)] & kStopsGroup) && c != open && c != close;)
      c = src_[++at_];
    text.append(src_, start, at_ - start);
    column_ += static_cast<int>(at_ - start);
    if (at_ >= end_) return false;
    const char c = Peek();
    if (c == '\\' && (Peek(1) == '{' || Peek(1) == '}')) {
      Advance();
      text += Peek();
      Advance();
      continue;
    }
    if (c == open) ++depth;
    if (c == close && --depth == 0) {
      Advance();
      return true;
    }
    text += c;
    Advance();
  }
}

void Lexer::SkipIdentChars() {
  // Name characters are never line ends: each is one column.
  const std::size_t start = at_;
  while (IsIdentChar(src_[at_])) ++at_;  // the padding NUL ends the name
  column_ += static_cast<int>(at_ - start);
}

void Lexer::Advance() {
  if (at_ >= end_) return;
  const char c = src_[at_++];
  if (!(kClasses[static_cast<unsigned char>(c)] & kColumnless)) {
    ++column_;
  } else if (c != '\r') {
    ++line_;
    column_ = 1;
  }
}

void Lexer::CheckLineLength() {
  if (checked_line_ >= line_ || static_cast<std::size_t>(column_ - 1) > at_) return;
  checked_line_ = line_;
  std::size_t end = src_.find('\n', at_);
  std::size_t start = at_ - static_cast<std::size_t>(column_ - 1);
  std::size_t length = (end == std::string::npos ? end_ : end) - start;
  if (length > 0 && src_[start + length - 1] == '\r') --length;
  if (length > static_cast<std::size_t>(kMaxLineLength)) {
    diags_.Error({line_, kMaxLineLength + 1}, "source line is longer than 150 characters");
  }
}

void Lexer::SkipCommentText(bool to_quote) {
  for (;;) {
    // Plain characters in one step, one column each.
    const std::size_t start = at_;
    while (!(kClasses[static_cast<unsigned char>(src_[at_])] & kStopsComment)) ++at_;
    column_ += static_cast<int>(at_ - start);
    const char c = Peek();
    if (at_ >= end_ || c == '\n' || (to_quote && c == '"')) return;
    Advance();  // a NUL of the text, '\r', or a line end that takes no column
  }
}

void Lexer::SkipSpaceAndComments() {
  for (;;) {
    if (column_ == 1) CheckLineLength();
    const char c = Peek();
    const auto classes = kClasses[static_cast<unsigned char>(c)];
    if (!(classes & kMaySkip)) return;  // most often at once: a token follows
    if (classes & kSpaceOrTab) {
      const std::size_t start = at_;
      while (kClasses[static_cast<unsigned char>(src_[at_])] & kSpaceOrTab) ++at_;
      column_ += static_cast<int>(at_ - start);
    } else if (classes & kBlank) {
      Advance();
    } else if (c == '"') {  // to the next '"' or the end of the line
      Advance();
      SkipCommentText(true);
      if (Peek() == '"') Advance();
    } else if (Peek(1) == '/') {  // "//"
      SkipCommentText(false);
    } else {
      return;
    }
  }
}

void Lexer::Next(Token& t) {
  // Characters no token starts with are reported and skipped, one by one.
  for (;;) {
    SkipSpaceAndComments();
    if (IsTokenStart(Peek()) || at_ >= end_) break;  // the padding starts no token
    const SourcePos pos{line_, column_};
    const char c = Peek();
    Advance();
    if (diags_.Saturated()) continue;                  // the message would be dropped
    std::string message = "unexpected character ' '";  // garbage has many: one allocation each
    message[message.size() - 2] = c;
    diags_.Error(pos, std::move(message));
  }
  const SourcePos pos{line_, column_};
  t.kind = Tok::End;
  t.text.clear();
  t.number = 0;
  t.pos = pos;
  if (at_ >= end_) return;
  const char c = Peek();
  if (IsIdentStart(c)) {
    const std::size_t start = at_;
    SkipIdentChars();
    const std::size_t length = at_ - start;
    t.text.assign(src_, start, length);
    // Names that cannot be keywords (by their first letter or their length) are not looked up.
    if ((kClasses[static_cast<unsigned char>(c)] & kKeywordStart) && length <= kLongestKeyword &&
        IsKeywordText(t.text)) {
      t.kind = Tok::Keyword;
      ConvertCase(t.text, kLowerAscii);
      return;
    }
    t.kind = Tok::Ident;
    if (length > kMaxIdentLength)
      diags_.Error(pos, "identifier '" + t.text + "' is longer than 31 characters");
    return;
  }
  if (std::isdigit(static_cast<unsigned char>(c)) || c == '^') {
    LexNumber(t);
  } else if (c == '\'' || c == '`') {
    LexString(t, c);
  } else if (c == '.') {
    LexDot(t);
  } else {
    LexPunct(t);
  }
}

void Lexer::LexPunct(Token& t) {
  const char c = Peek();
  if (c == '@') {
    Advance();
    const std::size_t start = at_;
    SkipIdentChars();
    t.kind = Tok::Directive;
    t.text.assign(src_, start, at_ - start);
    ConvertCase(t.text, kLowerAscii);
    return;
  }
  static constexpr std::string_view kLong[] = {":+:", ":*:", "?:=", ":=", "?=", "->", ":>",
                                               "!$",  "<<",  ">>",  "==", "!=", "<=", ">="};
  static_assert(std::ranges::all_of(kLong, [](std::string_view op) {
    return (kClasses[static_cast<unsigned char>(op[0])] & kLongOperator) != 0;
  }));
  const bool may_be_long = kClasses[static_cast<unsigned char>(c)] & kLongOperator;
  for (std::string_view op :
       may_be_long ? std::span<const std::string_view>(kLong) : std::span<const std::string_view>()) {
    if (op[0] == c && src_.compare(at_, op.size(), op) == 0) {
      for (std::size_t i = 0; i < op.size(); ++i) Advance();
      t.kind = Tok::Punct;
      t.text.assign(op);
      return;
    }
  }
  Advance();
  t.kind = Tok::Punct;
  t.text.assign(1, c);
}

void Lexer::LexNumber(Token& t) {
  const SourcePos pos = t.pos;
  t.kind = Tok::Number;
  int radix = radix_;
  if (Peek() == '^') {
    Advance();
    char r = LowerAscii(Peek());
    switch (r) {
      case 'b':
        radix = 2;
        break;
      case 'o':
        radix = 8;
        break;
      case 'd':
        radix = 10;
        break;
      case 'h':
        radix = 16;
        break;
      default:
        diags_.Error(pos, "only ^b, ^o, ^d or ^h may start a number");
        radix = 10;
    }
    if (IsIdentChar(Peek())) Advance();
  }
  std::size_t start = at_;
  SkipIdentChars();
  t.text.assign(src_, start, at_ - start);
  if (t.text.empty()) {
    diags_.Error(pos, "digits expected after the radix");
    return;
  }
  std::uint64_t value = 0;
  for (char d : t.text) {
    int v = DigitValue(d);
    if (v >= radix) {
      diags_.Error(pos, "'" + t.text + "' is not a number in radix " + std::to_string(radix));
      return;
    }
    if (value > (UINT64_MAX - static_cast<std::uint64_t>(v)) / static_cast<std::uint64_t>(radix)) {
      diags_.Error(pos, "number '" + t.text + "' does not fit in 64 bits");
      return;
    }
    value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(v);
  }
  t.number = value;
}

void Lexer::LexString(Token& t, char quote) {
  const SourcePos pos = t.pos;
  t.kind = Tok::String;
  Advance();
  for (;;) {
    // Plain characters in one step, one column each.
    const std::size_t start = at_;
    while (!(kClasses[static_cast<unsigned char>(src_[at_])] & kStopsString)) ++at_;
    t.text.append(src_, start, at_ - start);
    column_ += static_cast<int>(at_ - start);
    if (at_ >= end_ || Peek() == quote) break;
    if (Peek() == '\\' && (Peek(1) == quote || Peek(1) == '\\')) Advance();
    if (Peek() != '\r') t.text += Peek();
    Advance();
  }
  if (at_ >= end_) {
    diags_.Error(pos, "string is not closed");
  } else {
    Advance();
  }
}

// ".X." and friends, ".CLK"-style extensions, and "..".
void Lexer::LexDot(Token& t) {
  const SourcePos pos = t.pos;
  Advance();
  if (Peek() == '.') {
    Advance();
    t.kind = Tok::Punct;
    t.text.assign("..");
    return;
  }
  std::size_t start = at_;
  SkipIdentChars();
  t.text.assign(src_, start, at_ - start);
  ConvertCase(t.text, kUpperAscii);
  if (t.text.empty()) {
    diags_.Error(pos, "misplaced '.'");
    Next(t);
    return;
  }
  if (Peek() == '.' && Peek(1) != '.') {
    Advance();
    t.kind = Tok::Special;
    static constexpr std::array<std::string_view, 16> kSpecial = {
        "X", "C", "K", "Z", "U", "D", "F", "P", "SV2", "SV3", "SV4", "SV5", "SV6", "SV7", "SV8", "SV9"};
    if (std::find(kSpecial.begin(), kSpecial.end(), t.text) == kSpecial.end()) {
      diags_.Error(pos, "unknown special constant '." + t.text + ".'");
    }
    return;
  }
  t.kind = Tok::DotExt;
}

}  // namespace abelc
