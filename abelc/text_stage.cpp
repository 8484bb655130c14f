// The text stage: a stack of texts being read (the source, macro bodies,
// directive blocks, included files), each cut into tokens by its own lexer,
// with the text directives and macro calls applied as their tokens come up.
#include "abelc/text_stage.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <utility>

#include "abelc/ascii_case.h"
#include "abelc/nesting_guard.h"
#include "abelc/read_file.h"

namespace abelc {

namespace {

constexpr std::size_t kMaxDepth = 64;             // texts open at once
constexpr int kMaxOperandDepth = 200;             // a directive expression's nesting, well within the stack
constexpr std::uint64_t kMaxTokens = 100'000;     // tokens one compilation may read (examples: 3,000)
constexpr std::size_t kMaxExpansion = 1'000'000;  // characters one directive may produce
// Characters all macro calls, directives and included files may produce: a
// macro whose body calls it again with its argument twice doubles the text
// at each call, and the token limit does not see text read as arguments.
constexpr std::size_t kMaxExpanded = 2'000'000;

// A list of one text, which is moved, not copied.
std::vector<std::string> One(std::string text) {
  std::vector<std::string> texts;
  texts.push_back(std::move(text));
  return texts;
}

std::string Trim(const std::string& s) {
  const char* blank = " \t\r\n\v\f";
  std::size_t b = s.find_first_not_of(blank);
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(blank) - b + 1);
}

bool IsNameStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '~';
}

std::string Digits(std::uint64_t v, int radix) {
  std::string s;
  do {
    s += "0123456789abcdef"[v % static_cast<std::uint64_t>(radix)];
    v /= static_cast<std::uint64_t>(radix);
  } while (v != 0);
  std::reverse(s.begin(), s.end());
  return s;
}

}  // namespace

TextStage::TextStage(const std::string& source, Diagnostics& diags, const SourceContext& context)
    : diags_(diags), context_(context) {
  Frame main;
  main.lexer = std::make_unique<Lexer>(source, diags);
  main.start = {1, 1};
  main.directory = context.directory;
  frames_.push_back(std::move(main));
}

void TextStage::SetRadix(int radix) {
  radix_ = radix;
  for (Frame& f : frames_) f.lexer->SetRadix(radix);
}

void TextStage::Push(std::vector<std::string> texts, SourcePos start, bool fixed, SourcePos origin,
                     const std::string& directory, std::size_t times) {
  if (texts.empty() || times == 0) return;
  for (const std::string& text : texts) expanded_ += text.size() * times;
  if (expanded_ > kMaxExpanded) {
    diags_.Error(origin, "the macros and directives produce more than 2000000 characters");
    stopped_ = true;
    return;
  }
  if (frames_.size() >= kMaxDepth) {
    diags_.Error(origin, "macros, directives and included files nest more than 64 deep");
    stopped_ = true;
    return;
  }
  if (Top().fixed) {  // inside a macro or an included file, positions stay at its use
    fixed = true;
    origin = Top().origin;
  }
  Frame f;
  f.texts = std::move(texts);
  if (spare_lexers_.empty()) {
    f.lexer = std::make_unique<Lexer>(f.texts[0], diags_, start, false);
  } else {
    f.lexer = std::move(spare_lexers_.back());
    spare_lexers_.pop_back();
    f.lexer->Restart(f.texts[0], start);
  }
  f.lexer->SetRadix(radix_);
  f.next_text = 1;
  f.reads = f.texts.size() * times;
  f.start = start;
  f.fixed = fixed;
  f.origin = origin;
  f.directory = directory;
  frames_.push_back(std::move(f));
}

void TextStage::FromTop(Token& t) {
  Frame& f = Top();
  if (!f.pending.empty()) {
    t = std::move(f.pending.back());
    f.pending.pop_back();
    return;
  }
  for (;;) {
    f.lexer->Next(t);
    if (t.kind == Tok::End && f.next_text < f.reads) {
      // Each text read counts, so that repeated empty blocks end too.
      if (++produced_ > kMaxTokens) {
        if (!stopped_) diags_.Error(f.origin, "the macros and directives produce more than 100000 tokens");
        stopped_ = true;
        return;
      }
      f.lexer->Restart(f.texts[f.next_text++ % f.texts.size()], f.start);
      f.lexer->SetRadix(radix_);
      continue;
    }
    if (f.fixed) t.pos = f.origin;
    return;
  }
}

void TextStage::Raw(Token& t) {
  for (;;) {
    FromTop(t);
    if (t.kind == Tok::End && frames_.size() > 1) {
      spare_lexers_.push_back(std::move(Top().lexer));
      frames_.pop_back();
      continue;
    }
    return;
  }
}

void TextStage::Next(Token& t) {
  for (;;) {
    if (stopped_ || diags_.Saturated()) {
      t = Token();
      // Inside a macro call or an included file, where it was called or included.
      t.pos = Top().fixed ? Top().origin : Top().lexer->Here();
      return;
    }
    Raw(t);
    if (++produced_ > kMaxTokens) {
      // A design too long by itself is not blamed on macros it does not use.
      if (!stopped_)
        diags_.Error(t.pos, expanded_ == 0 && frames_.size() == 1
                                ? "the design has more than 100000 tokens"
                                : "the macros and directives produce more than 100000 tokens");
      stopped_ = true;
      continue;
    }
    if (t.kind == Tok::Directive && Directive(t)) continue;
    if (t.IsKeyword("library")) {
      Token& name = Look();
      if (name.kind != Tok::String) {
        diags_.Error(name.pos, "the library name expected after LIBRARY");
        PutBack();
        continue;
      }
      const std::string file = name.text + ".inc";
      Advance();
      SkipStatementEnd();
      Include(t, file);
      continue;
    }
    if (t.kind == Tok::Ident) {
      if (Top().pending.empty()) {
        Lexer& lexer = *Top().lexer;
        lexer.SkipBlanks();
        if (lexer.PeekWordIs("macro")) {
          DefineMacro(t);
          continue;
        }
        auto m = macros_.find(t.text);
        if (m != macros_.end()) {
          const Macro macro = m->second;
          CallMacro(t, macro);
          continue;
        }
      }
      auto c = consts_.find(t.text);
      if (c != consts_.end()) {
        t.kind = Tok::Number;
        t.number = c->second;
      }
    }
    return;
  }
}

void TextStage::SkipStatementEnd() {
  if (Look().IsPunct(";")) Advance();
  PutBack();
}

// ---- macros ------------------------------------------------------------------

void TextStage::DefineMacro(const Token& name) {
  Lexer& lexer = *Top().lexer;
  for (std::size_t i = 0; i < 5; ++i) lexer.TakeChar();  // "macro"
  Macro macro;
  lexer.SkipBlanks();
  if (lexer.PeekChar() == '(') {
    lexer.TakeChar();
    std::string list;
    if (!lexer.ReadGroup('(', ')', list)) {
      diags_.Error(name.pos, "the argument list of macro '" + name.text + "' is not closed");
      return;
    }
    for (const std::string& written : Arguments(list)) {
      const std::string p = Trim(written);
      std::string param = p.size() > 1 && p[0] == '?' ? p.substr(1) : p;
      if (param.empty() || !IsNameStart(param[0]) || !std::all_of(param.begin(), param.end(), IsNameChar)) {
        diags_.Error(name.pos, "'" + p + "' is not a name for an argument of macro '" + name.text + "'");
        return;
      }
      macro.params.push_back(param);
    }
  }
  lexer.SkipBlanks();
  if (lexer.PeekChar() != '{') {
    diags_.Error(lexer.Here(), "'{' expected to open the body of macro '" + name.text + "'");
    return;
  }
  lexer.TakeChar();
  if (!lexer.ReadGroup('{', '}', macro.body)) {
    diags_.Error(name.pos, "the body of macro '" + name.text + "' is not closed");
    return;
  }
  lexer.SkipBlanks();
  if (lexer.PeekChar() == ';') lexer.TakeChar();
  macros_[name.text] = std::move(macro);
  declared_.insert(name.text);
}

void TextStage::CallMacro(const Token& name, const Macro& macro) {
  std::vector<std::string> args;
  if (!macro.params.empty()) {
    Lexer& lexer = *Top().lexer;
    lexer.SkipBlanks();
    if (lexer.PeekChar() == '(') {
      lexer.TakeChar();
      std::string list;
      if (!lexer.ReadGroup('(', ')', list)) {
        diags_.Error(name.pos, "the arguments of macro '" + name.text + "' are not closed");
        return;
      }
      args = Arguments(list);
    }
    if (args.size() > macro.params.size()) {
      diags_.Error(name.pos, "macro '" + name.text + "' takes " + std::to_string(macro.params.size()) +
                                 " argument" + (macro.params.size() == 1 ? "" : "s") + ", not " +
                                 std::to_string(args.size()));
      return;
    }
  }
  Push({Substitute(macro.body, macro.params, args)}, name.pos, true, name.pos, Top().directory);
}

std::vector<std::string> TextStage::Arguments(const std::string& text) const {
  std::vector<std::string> args;
  if (Trim(text).empty()) return args;
  std::string current;
  int depth = 0;
  char quote = 0;
  for (char c : text) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '`') {
      quote = c;
    } else if (c == '(' || c == '[' || c == '{') {
      ++depth;
    } else if (c == ')' || c == ']' || c == '}') {
      --depth;
    } else if (c == ',' && depth == 0) {
      args.push_back(current);
      current.clear();
      continue;
    }
    current += c;
  }
  args.push_back(current);
  return args;
}

// `?name` for each dummy argument, replaced as text (an argument keeps the
// blanks written around it, which @IFIDEN compares too); a `?` before anything
// else stays (`?=` of the later dialect).
std::string TextStage::Substitute(const std::string& text, const std::vector<std::string>& params,
                                  const std::vector<std::string>& args) const {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0;;) {
    const std::size_t mark = text.find('?', i);
    out.append(text, i, mark == std::string::npos ? std::string::npos : mark - i);
    if (mark == std::string::npos) return out;
    i = mark + 1;
    if (i >= text.size() || !IsNameStart(text[i])) {
      out += '?';
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && IsNameChar(text[end])) ++end;
    const std::string_view name = std::string_view(text).substr(i, end - i);
    std::size_t k = 0;
    while (k < params.size() && params[k] != name) ++k;
    if (k == params.size()) {
      k = 0;
      while (k < params.size() && !SameIgnoringCase(params[k], name)) ++k;
    }
    if (k == params.size()) {
      out += '?';
      continue;
    }
    if (k < args.size()) out += args[k];
    i = end;
  }
}

// ---- directives --------------------------------------------------------------

void TextStage::Include(const Token& at, const std::string& file) {
  std::vector<std::filesystem::path> candidates;
  const std::filesystem::path name(file);
  if (name.is_absolute()) {
    candidates.push_back(name);
  } else {
    candidates.push_back(std::filesystem::path(Top().directory) / name);
    if (!context_.design_directory.empty())
      candidates.push_back(std::filesystem::path(context_.design_directory) / name);
    candidates.push_back(name);
  }
  for (const std::filesystem::path& p : candidates) {
    std::string text;
    if (!ReadWholeFile(p, text)) continue;
    Push({text}, {1, 1}, true, at.pos, p.parent_path().string());
    return;
  }
  diags_.Error(at.pos, "cannot find the file '" + file + "' to include");
}

bool TextStage::Group(const Token& at, char open, char close, std::string& text) {
  Lexer& lexer = *Top().lexer;
  lexer.SkipBlanks();
  if (lexer.PeekChar() != open) {
    diags_.Error(at.pos, std::string("'") + open + "' expected after '@" + at.text + "'");
    return false;
  }
  lexer.TakeChar();
  if (!lexer.ReadGroup(open, close, text)) {
    diags_.Error(at.pos, std::string("'") + close + "' missing after '@" + at.text + "'");
    stopped_ = true;
    return false;
  }
  return true;
}

// The directive's { } block, read as text: a false branch may hold any prose.
bool TextStage::Block(const Token& at, std::string& text, SourcePos& start) {
  if (look_valid_) {
    if (!look_.IsPunct("{")) {
      diags_.Error(look_.pos, "'{' expected after '@" + at.text + "'");
      PutBack();
      return false;
    }
    Advance();
  } else {
    Lexer& lexer = *Top().lexer;
    lexer.SkipBlanks();
    if (lexer.PeekChar() != '{') {
      diags_.Error(Top().fixed ? Top().origin : lexer.Here(), "'{' expected after '@" + at.text + "'");
      return false;
    }
    lexer.TakeChar();
  }
  start = Top().lexer->Here();
  if (!Top().lexer->ReadGroup('{', '}', text)) {
    diags_.Error(at.pos, "the block of '@" + at.text + "' is not closed");
    stopped_ = true;
    return false;
  }
  return true;
}

bool TextStage::Directive(const Token& t) {
  const std::string& d = t.text;
  expression_failed_ = false;
  auto push_block = [&](std::vector<std::string> texts, SourcePos start, std::size_t times = 1) {
    std::size_t size = 0;
    for (const std::string& s : texts) size += s.size() * times;
    if (size > kMaxExpansion) {
      diags_.Error(t.pos, "'@" + d + "' produces more than 1000000 characters");
      stopped_ = true;
      return;
    }
    Push(std::move(texts), start, false, t.pos, Top().directory, times);
  };
  if (d == "if" || d == "ifdef" || d == "ifndef" || d == "ifb" || d == "ifnb" || d == "ifiden" ||
      d == "ifniden") {
    bool take = false;
    if (d == "if") {
      take = Expression(4) != 0;
    } else if (d == "ifdef" || d == "ifndef") {
      Token& name = Look();
      if (name.kind != Tok::Ident) {
        diags_.Error(name.pos, "a name expected after '@" + d + "'");
        PutBack();
        return true;
      }
      const bool defined = declared_.count(name.text) || consts_.count(name.text) ||
                           values_.count(name.text) || macros_.count(name.text);
      take = defined == (d == "ifdef");
      Advance();
    } else if (d == "ifb" || d == "ifnb") {
      std::string arg;
      if (!Group(t, '(', ')', arg)) return true;
      take = Trim(arg).empty() == (d == "ifb");
    } else {
      std::string list;
      if (!Group(t, '(', ')', list)) return true;
      std::vector<std::string> args = Arguments(list);
      if (args.size() != 2) {
        diags_.Error(t.pos, "'@" + d + "' compares two texts");
        return true;
      }
      take = (args[0] == args[1]) == (d == "ifiden");
    }
    std::string text;
    SourcePos start;
    if (!Block(t, text, start)) return true;
    if (take && !expression_failed_) push_block(One(std::move(text)), start);
    return true;
  }
  if (d == "repeat") {
    const std::uint64_t n = Expression(4);
    std::string text;
    SourcePos start;
    if (!Block(t, text, start) || expression_failed_) return true;
    if (n > 100000 || n * text.size() > kMaxExpansion) {
      diags_.Error(t.pos, "'@repeat' produces more than 1000000 characters");
      stopped_ = true;
      return true;
    }
    push_block(One(std::move(text)), start, n);
    return true;
  }
  if (d == "irp" || d == "irpc") {
    Token& name = Look();
    if (name.kind != Tok::Ident) {
      diags_.Error(name.pos, "a dummy argument name expected after '@" + d + "'");
      PutBack();
      return true;
    }
    const std::vector<std::string> dummy = One(name.text);
    Advance();
    std::string list, text;
    SourcePos start;
    if (!Group(t, '(', ')', list) || !Block(t, text, start)) return true;
    std::vector<std::string> texts, arg(1);
    if (d == "irp") {
      for (const std::string& a : Arguments(list)) {
        arg[0] = Trim(a);
        texts.push_back(Substitute(text, dummy, arg));
      }
    } else {
      for (char c : Trim(list)) {
        arg[0].assign(1, c);
        texts.push_back(Substitute(text, dummy, arg));
      }
    }
    push_block(std::move(texts), start);
    return true;
  }
  if (d == "expr") {
    std::string text;
    SourcePos start;
    if (Look().IsPunct("{") && !Block(t, text, start)) return true;
    const std::uint64_t v = Expression(4);
    SkipStatementEnd();
    if (!expression_failed_) Push({text + Digits(v, radix_)}, t.pos, true, t.pos, Top().directory);
    return true;
  }
  if (d == "const") {
    Token& name = Look();
    if (name.kind != Tok::Ident) {
      diags_.Error(name.pos, "a name expected after '@const'");
      PutBack();
      return true;
    }
    const std::string id = name.text;
    Advance();
    if (!Look().IsPunct("=")) {
      diags_.Error(Look().pos, "'=' expected after '@const " + id + "'");
      PutBack();
      return true;
    }
    Advance();
    const std::uint64_t v = Expression(4);
    SkipStatementEnd();
    if (!expression_failed_) consts_[id] = v;
    return true;
  }
  if (d == "include") {
    Token& name = Look();
    if (name.kind != Tok::String) {
      diags_.Error(name.pos, "the file name expected after '@include'");
      PutBack();
      return true;
    }
    const std::string file = name.text;
    Advance();
    SkipStatementEnd();
    Include(t, file);
    return true;
  }
  if (d == "exit") {
    diags_.Error(t.pos, "'@exit' stops the compilation");
    stopped_ = true;
    return true;
  }
  if (d == "carry" || d == "setsize") {  // chain lengths and index widths: nothing on a GAL depends on them
    Expression(4);
    SkipStatementEnd();
    return true;
  }
  if (d == "page") return true;
  return false;
}

// ---- directive expressions ----------------------------------------------------

Token& TextStage::Look() {
  if (!look_valid_) {
    FromTop(look_);
    look_valid_ = true;
  }
  return look_;
}

void TextStage::PutBack() {
  if (look_valid_ && look_.kind != Tok::End) Top().pending.push_back(std::move(look_));
  look_valid_ = false;
}

std::uint64_t TextStage::Expression(int level) {
  if (level < 2) return Operand();
  std::uint64_t left = Expression(level - 1);
  for (;;) {
    const Token& t = Look();
    if (t.kind != Tok::Punct) return left;
    const std::string op = t.text;
    static const char* const kLevels[5][7] = {{},
                                              {},
                                              {"&", "*", "/", "%", "<<", ">>"},
                                              {"#", "$", "!$", "+", "-"},
                                              {"==", "!=", "<", "<=", ">", ">="}};
    bool found = false;
    for (const char* o : kLevels[level]) found = found || (o && op == o);
    if (!found) return left;
    const SourcePos pos = t.pos;
    Advance();
    const std::uint64_t right = Expression(level - 1);
    const std::uint64_t truth = ~std::uint64_t{0};
    if (op == "&")
      left &= right;
    else if (op == "*")
      left *= right;
    else if ((op == "/" || op == "%") && right == 0) {
      if (!expression_failed_) diags_.Error(pos, "division by zero");
      expression_failed_ = true;
      left = 0;
    } else if (op == "/")
      left /= right;
    else if (op == "%")
      left %= right;
    else if (op == "<<")
      left = right >= 64 ? 0 : left << right;
    else if (op == ">>")
      left = right >= 64 ? 0 : left >> right;
    else if (op == "#")
      left |= right;
    else if (op == "$")
      left ^= right;
    else if (op == "!$")
      left = ~(left ^ right);
    else if (op == "+")
      left += right;
    else if (op == "-")
      left -= right;
    else if (op == "==")
      left = left == right ? truth : 0;
    else if (op == "!=")
      left = left != right ? truth : 0;
    else if (op == "<")
      left = left < right ? truth : 0;
    else if (op == "<=")
      left = left <= right ? truth : 0;
    else if (op == ">")
      left = left > right ? truth : 0;
    else
      left = left >= right ? truth : 0;
  }
}

std::uint64_t TextStage::Operand() {
  Token t = Look();
  auto fail = [&](std::string_view message) -> std::uint64_t {
    if (!expression_failed_) diags_.Error(t.pos, std::string(message));
    expression_failed_ = true;
    return 0;
  };
  // Each nested parenthesis or unary operator recurses once more.
  const NestingGuard nesting(operand_depth_);
  if (operand_depth_ > kMaxOperandDepth) return fail("the directive's expression nests more than 200 deep");
  if (t.IsPunct("!") || t.IsPunct("-")) {
    Advance();
    const std::uint64_t v = Operand();
    return t.IsPunct("!") ? ~v : ~v + 1;
  }
  if (t.IsPunct("(")) {
    Advance();
    const std::uint64_t v = Expression(4);
    if (!Look().IsPunct(")")) return fail("')' expected in the directive's expression");
    Advance();
    return v;
  }
  if (t.kind == Tok::Number) {
    Advance();
    return t.number;
  }
  if (t.kind == Tok::String) {
    Advance();
    std::uint64_t v = 0;
    for (char c : t.text) v = (v << 8) | static_cast<unsigned char>(c);
    return v;
  }
  if (t.kind == Tok::Ident) {
    Advance();
    auto c = consts_.find(t.text);
    if (c != consts_.end()) return c->second;
    auto v = values_.find(t.text);
    if (v != values_.end()) return v->second;
    return expression_failed_ ? fail({}) : fail("'" + t.text + "' has no value a directive can use");
  }
  return fail("a number expected in the directive's expression");
}

}  // namespace abelc
