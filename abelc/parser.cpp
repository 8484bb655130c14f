// The module frame, expressions, declarations and directives. The logic
// sections (equations, truth tables, state diagrams, test vectors) are read
// in parser_sections.cpp.
#include "abelc/parser.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "abelc/ascii_case.h"
#include "abelc/nesting_guard.h"
#include "abelc/parser_internal.h"

namespace abelc {

Module ParseModule(const std::string& source, Diagnostics& diags) {
  return ParseModule(source, diags, SourceContext{});
}

Module ParseModule(const std::string& source, Diagnostics& diags, const SourceContext& context) {
  Parser parser(source, diags, context);
  return parser.Run();
}

namespace {

// What a token is, as an error message names it, appended to `out`.
void AppendDescription(std::string& out, const Token& t) {
  switch (t.kind) {
    case Tok::End:
      out += "the end of the file";
      return;
    case Tok::String:
      out += "a string";
      return;
    case Tok::Number:
      out += "'" + std::to_string(t.number) + "'";
      return;
    case Tok::Special:
      out += "'." + t.text + ".'";
      return;
    case Tok::DotExt:
      out += "'." + t.text + "'";
      return;
    case Tok::Directive:
      out += "'@" + t.text + "'";
      return;
    default:
      out += '\'';
      out += t.text;
      out += '\'';
      return;
  }
}

// "I0" -> ("I", 0); false when the name does not end in a number.
bool SplitIndexed(const std::string& name, std::string& prefix, int& index, int& digits) {
  std::size_t i = name.size();
  while (i > 0 && std::isdigit(static_cast<unsigned char>(name[i - 1]))) --i;
  if (i == name.size() || i == 0 || name.size() - i > 6) return false;
  prefix = name.substr(0, i);
  index = std::stoi(name.substr(i));
  digits = static_cast<int>(name.size() - i);
  return true;
}

}  // namespace

bool ExpandRange(const std::string& from, const std::string& to, std::vector<std::string>& out) {
  std::string p1, p2;
  int i1 = 0, i2 = 0, d1 = 0, d2 = 0;
  if (!SplitIndexed(from, p1, i1, d1) || !SplitIndexed(to, p2, i2, d2) || p1 != p2) return false;
  int step = i1 <= i2 ? 1 : -1;
  for (int i = i1;; i += step) {
    std::string digits = std::to_string(i);
    // Keep leading zeros when both ends are written with the same width ("d00..d07").
    if (d1 == d2 && static_cast<int>(digits.size()) < d1) digits.insert(0, d1 - digits.size(), '0');
    out.push_back(p1 + digits);
    if (i == i2) break;
  }
  return true;
}

namespace {

// Does an OPTIONS string hold "-reduce bypin" (any case, any blanks between)?
bool ReducesByPin(std::string text) {
  ConvertCase(text, kLowerAscii);
  std::string words;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (!words.empty() && words.back() != ' ') words += ' ';
    } else {
      words += c;
    }
  }
  return (" " + words + " ").find(" -reduce bypin ") != std::string::npos;
}

// Keywords of language features this compiler leaves out, as opposed to
// reserved words that are simply out of place.
bool IsUnsupportedFeature(const std::string& kw) {
  for (const char* k : {"property", "enable", "in"}) {
    if (kw == k) return true;
  }
  return false;
}

int BitsFor(std::uint64_t value) {
  int bits = 1;
  while (bits < 64 && (value >> bits) != 0) ++bits;
  return bits;
}

// Words of the later dialect that start a declaration after the names; they
// are keywords only there, elsewhere names ("wait" is a common state name).
bool IsLaterDeclaration(const std::string& word) {
  return SameIgnoringCase(word, "interface") || SameIgnoringCase(word, "functional_block") ||
         SameIgnoringCase(word, "external");
}

}  // namespace

bool Parser::Accept(const char* punct) {
  if (failed_ || !tok_.IsPunct(punct)) return false;
  Take();
  return true;
}

bool Parser::AcceptKeyword(const char* kw) {
  if (failed_ || !tok_.IsKeyword(kw)) return false;
  Take();
  return true;
}

// One error per broken statement: the first.
void Parser::Fail(SourcePos pos, std::string message) {
  if (failed_) return;
  diags_.Error(pos, std::move(message));
  failed_ = true;
}

void Parser::FailHere(std::string_view what) {
  if (failed_) return;
  std::string message;
  message.reserve(what.size() + 40 + tok_.text.size());
  message += what;
  message += " expected, found ";
  AppendDescription(message, tok_);
  Fail(tok_.pos, std::move(message));
}

// True when the statement just read failed; the parser then takes tokens
// again, for the caller to skip what is left of it.
bool Parser::Recover() {
  const bool failed = failed_;
  failed_ = false;
  return failed;
}

// A statement that failed reads on without effect: the messages are not built.
void Parser::Expect(const char* punct) {
  if (!Accept(punct) && !failed_) FailHere(std::string("'") + punct + "'");
}

void Parser::ExpectKeyword(const char* kw) {
  if (!AcceptKeyword(kw) && !failed_) {
    std::string upper = kw;
    ConvertCase(upper, kUpperAscii);
    FailHere(upper);
  }
}

std::string Parser::ExpectIdent() {
  if (failed_ || tok_.kind != Tok::Ident) {
    FailHere("a name");
    return {};
  }
  std::string name = std::move(tok_.text);  // the next token replaces it
  Take();
  return name;
}

bool Parser::AtSectionStart() const {
  if (tok_.kind == Tok::End) return true;
  if (tok_.kind != Tok::Keyword) return false;
  switch (tok_.text[0]) {  // the first letters of the words below
    case 'e':
    case 't':
    case 's':
    case 'd':
    case 'm':
    case 'f':
    case 'x':
      break;
    default:
      return false;
  }
  for (const char* kw : {"equations", "truth_table", "state_diagram", "test_vectors", "trace", "declarations",
                         "end", "state", "module", "fuses", "xor_factors"}) {
    if (tok_.text == kw) return true;
  }
  return false;
}

void Parser::SkipPast(const char* punct) {
  while (!failed_ && tok_.kind != Tok::End && !AtSectionStart()) {
    bool stop = tok_.IsPunct(punct);
    Take();
    if (stop) return;
  }
}

// The classic compiler reads every module of a file and goes on with the
// first; so here the later modules are read for their syntax errors only.
Module Parser::Run() {
  Module m = ParseOne();
  int later = 0;
  const SourcePos second = tok_.pos;
  while (tok_.IsKeyword("module")) {
    ParseOne();
    ++later;
  }
  if (later > 0) {
    diags_.Warning(second, "only the file's first module, '" + m.name + "', is compiled; the " +
                               (later == 1 ? std::string("module") : std::to_string(later) + " modules") +
                               " after it " + (later == 1 ? "is" : "are") + " read for syntax errors only");
  }
  if (tok_.kind != Tok::End) diags_.Warning(tok_.pos, "text after END is ignored");
  m.nodes = nodes_;
  return m;
}

Module Parser::ParseOne() {
  Module m = ParseModuleText();
  // Each STATE_REGISTER becomes its bits, registered pins without numbers,
  // and a set of them under its name, where it was declared.
  for (auto r = registers_.rbegin(); r != registers_.rend(); ++r) {
    PinDecl bits;
    bits.pos = r->pos;
    bits.attributes = r->attributes;
    if (std::none_of(bits.attributes.begin(), bits.attributes.end(),
                     [](const std::string& a) { return a.rfind("reg", 0) == 0; }))
      bits.attributes.push_back("reg");
    bits.attr_pos = r->pos;
    auto set = NewExpr();
    set->kind = ExprKind::Set;
    set->pos = r->pos;
    for (int i = std::max(state_bits_, 1) - 1; i >= 0; --i) {
      const std::string name = r->name + "_" + std::to_string(i);
      bits.names.push_back({name, false, r->pos});
      auto bit = NewExpr();
      bit->kind = ExprKind::Name;
      bit->pos = r->pos;
      bit->text = name;
      set->kids.push_back(bit);
    }
    ConstDecl alias;
    alias.pos = r->pos;
    alias.names = {{r->name, false, r->pos}};
    alias.values = {set};
    const auto at = m.items.begin() + static_cast<std::ptrdiff_t>(std::min(r->item, m.items.size()));
    m.items.insert(m.items.insert(at, alias), bits);
  }
  registers_.clear();
  next_state_ = 0;
  state_bits_ = 0;
  return m;
}

Module Parser::ParseModuleText() {
  Module m;
  alternate_ = false;
  dcset_ = false;
  dcstate_ = false;
  m.pos = tok_.pos;
  ExpectKeyword("module");
  m.name = ExpectIdent();
  if (Accept("(")) {
    while (tok_.kind != Tok::End && !Accept(")")) Take();
  }
  if (AcceptKeyword("title")) {
    if (tok_.kind != Tok::String) {
      FailHere("the title string");
    } else {
      m.title = tok_.text;
      Take();
      Accept(";");
    }
  }
  if (Recover()) return m;
  bool in_equations = false;
  for (;;) {
    const SourcePos start = tok_.pos;
    if (!ParseModuleItem(m, in_equations)) break;
    if (Recover()) {
      // A statement that failed on its first token, a section keyword, must
      // still move on.
      if (tok_.pos.line == start.line && tok_.pos.column == start.column) Take();
      SkipPast(";");
    }
  }
  return m;
}

// One declaration, directive, section start or equation; false at the
// module's END or the end of the file.
bool Parser::ParseModuleItem(Module& m, bool& in_equations) {
  if (tok_.kind == Tok::End) {
    diags_.Error(tok_.pos, "END expected at the end of module '" + m.name + "'");
    return false;
  }
  if (tok_.kind == Tok::Directive) {
    ParseDirective(m);
    return true;
  }
  if (Accept(";")) return true;  // what a macro call or @CONST may leave behind
  if (tok_.kind == Tok::Keyword && !(in_equations && (tok_.text == "when" || tok_.text == "enable"))) {
    const std::string kw = tok_.text;
    SourcePos pos = tok_.pos;
    if (kw == "end") {
      Take();
      if (tok_.kind == Tok::Ident) {
        if (tok_.text != m.name) {
          diags_.Warning(tok_.pos, "END label '" + tok_.text + "' does not match module '" + m.name + "'");
        }
        Take();
      }
      Accept(";");
      return false;
    }
    const bool declaring = !in_equations;
    if (kw != "when" && kw != "if" && kw != "goto" && kw != "case") in_equations = false;
    if (kw == "declarations") {
      Take();
    } else if (kw == "equations") {
      Take();
      m.items.push_back(EquationBlock{});
      in_equations = true;
    } else if (kw == "truth_table") {
      ParseTruthTable(m);
    } else if (kw == "state_diagram") {
      ParseStateDiagram(m);
    } else if (kw == "test_vectors") {
      ParseTestVectors(m);
    } else if (kw == "trace") {
      Take();
      SkipPast(";");
    } else if (kw == "options" || kw == "flag" || kw == "title") {
      Take();
      if (declaring && KeywordAsName(m, kw, pos)) return true;
      if (tok_.kind == Tok::String) {
        if (kw == "options" && ReducesByPin(tok_.text)) m.reduce_by_pin = true;
        Take();
      }
      Accept(";");
    } else if (kw == "xor_factors") {
      // Factors for the XOR outputs of some PALs: read, and of no use on a GAL.
      Take();
      ParseStatements(false);
    } else if (kw == "fuses") {
      Take();
      ParseFuses(m);
    } else if (kw == "state") {
      Fail(pos, "STATE outside a STATE_DIAGRAM");
    } else if (kw == "enable") {
      Fail(pos, "ENABLE is an equation; write it after EQUATIONS");
    } else if (kw == "macro") {
      Fail(pos, "MACRO needs the macro's name before it");
    } else if (IsUnsupportedFeature(kw)) {
      Fail(pos, "'" + kw + "' is not supported by this compiler");
    } else {
      Take();
      if (declaring && KeywordAsName(m, kw, pos)) return true;
      Fail(pos, "'" + kw + "' is a reserved word and cannot stand here");
    }
    return true;
  }
  if (in_equations) {
    // A directive inside the block (@message) may have put an item after it.
    if (!std::holds_alternative<EquationBlock>(m.items.back())) m.items.push_back(EquationBlock{});
    Stmt s = ParseStatement();
    if (!failed_) std::get<EquationBlock>(m.items.back()).stmts.push_back(std::move(s));
  } else {
    ParseDeclaration(m);
  }
  return true;
}

// A reserved word just taken at `pos` that a declaration follows (`flag pin
// 19;`): one error, and the word is read as that name from here on, so that
// its uses are not errors too.
bool Parser::KeywordAsName(Module& m, const std::string& kw, SourcePos pos) {
  const bool declared = tok_.IsKeyword("pin") || tok_.IsKeyword("node") || tok_.IsKeyword("istype") ||
                        tok_.IsPunct(",") || tok_.IsPunct("=");
  if (failed_ || !declared) return false;
  diags_.Error(pos, "'" + kw + "' is a reserved word and cannot be used as a name");
  keyword_names_.insert(kw);
  DeclName first;
  first.name = kw;
  first.pos = pos;
  ParseDeclaration(m, &first);
  return true;
}

// ---- expressions -------------------------------------------------------------

ExprPtr Parser::ParseExpr() {
  return ParseBinary(4);
}

// The standard spelling of the binary operator at `level` under the current
// token, or nullptr. Levels follow ABEL: 4 compare, 3 OR/XOR/add, 2 AND/shift/mul.
const char* Parser::BinaryOp(int level) const {
  if (tok_.kind != Tok::Punct) return nullptr;
  // First characters first: most tokens differ there.
  const auto is = [&](const char* op) { return tok_.text[0] == op[0] && tok_.text == op; };
  if (level == 4) {
    for (const char* op : {"==", "!=", "<", "<=", ">", ">="}) {
      if (is(op)) return op;
    }
  } else if (level == 3) {
    if (is("#")) return "#";
    if (is("$") || is(":+:")) return "$";
    if (is("!$") || is(":*:")) return "!$";
    if (is("+")) return alternate_ ? "#" : "+";
    if (is("-")) return "-";
  } else if (level == 2) {
    if (is("&")) return "&";
    if (is("*")) return alternate_ ? "&" : "*";
    if (is("/") && !alternate_) return "/";
    for (const char* op : {"%", "<<", ">>"}) {
      if (is(op)) return op;
    }
  }
  return nullptr;
}

void Parser::Deepen(Expr& e) {
  int deepest = 0;
  for (const ExprPtr& kid : e.kids) deepest = std::max(deepest, kid->depth);
  e.depth = deepest + 1;
  if (e.depth > kMaxTreeDepth) Fail(e.pos, "the expression is more than 1000 operators deep");
}

ExprPtr Parser::ParseBinary(int level) {
  if (level < 2) return ParseUnary();
  ExprPtr left = ParseBinary(level - 1);
  while (!failed_) {
    const char* op = BinaryOp(level);
    if (op == nullptr) break;
    auto e = NewExpr();
    e->kind = ExprKind::Binary;
    e->pos = tok_.pos;
    e->text = op;
    Take();
    e->kids = {left, ParseBinary(level - 1)};
    Deepen(*e);
    left = e;
  }
  return left;
}

namespace {

// What an expression read after a failure stands for: it is never used.
const ExprPtr& Placeholder() {
  static const ExprPtr placeholder = std::make_shared<const Expr>();
  return placeholder;
}

}  // namespace

ExprPtr Parser::ParseUnary() {
  if (failed_) return Placeholder();
  // Every nested parenthesis, set and unary operator passes here once more.
  const NestingGuard nesting(expression_depth_);
  if (expression_depth_ > kMaxExpressionDepth) {
    Fail(tok_.pos, "the expression nests more than 200 deep");
    return Placeholder();
  }
  if (tok_.IsPunct("!") || tok_.IsPunct("-") || (alternate_ && tok_.IsPunct("/"))) {
    auto e = NewExpr();
    e->kind = ExprKind::Unary;
    e->pos = tok_.pos;
    e->text = tok_.IsPunct("-") ? "-" : "!";
    Take();
    e->kids = {ParseUnary()};
    Deepen(*e);
    return e;
  }
  return ParsePrimary();
}

ExprPtr Parser::ParsePrimary() {
  if (failed_) return Placeholder();
  auto e = NewExpr();
  e->pos = tok_.pos;
  switch (tok_.kind) {
    case Tok::Number:
      e->kind = ExprKind::Number;
      e->number = tok_.number;
      Take();
      return e;
    case Tok::Special:
      e->kind = ExprKind::Special;
      e->text = tok_.text;
      Take();
      return e;
    case Tok::String: {  // a string used as a number: its ASCII codes
      e->kind = ExprKind::Number;
      for (char c : tok_.text) e->number = (e->number << 8) | static_cast<unsigned char>(c);
      Take();
      return e;
    }
    case Tok::Ident:
      e->kind = ExprKind::Name;
      e->text = tok_.text;
      Take();
      if (tok_.IsPunct("[")) return ParseIndex(e);
      break;
    default:
      if (Accept("(")) {
        ExprPtr inner = ParseExpr();
        Expect(")");
        if (tok_.kind == Tok::DotExt) Fail(tok_.pos, "a dot extension must follow a name or a set");
        return inner;
      }
      if (tok_.IsPunct("[")) {
        Take();
        return ParseSet(e->pos);
      }
      if (tok_.kind == Tok::Keyword && !AtSectionStart()) {
        // A word of the declarations only is likely a signal's name: one
        // message for it, and it reads as a name from here on. The words of
        // statements (then, else, ...) keep their meaning.
        for (const char* kw :
             {"device", "flag", "library", "options", "property", "state_register", "title"}) {
          if (tok_.text == kw) keyword_names_.insert(tok_.text);
        }
        Fail(tok_.pos, "'" + tok_.text + "' is a reserved word and cannot stand in an expression");
        return e;
      }
      FailHere("an expression");
      return e;
  }
  if (tok_.kind == Tok::DotExt) {
    e->ext = tok_.text;
    Take();
  }
  return e;
}

// "name[7..4]" or "name[2]", with an optional dot extension after it.
ExprPtr Parser::ParseIndex(ExprPtr base) {
  auto e = NewExpr();
  e->kind = ExprKind::Index;
  e->pos = tok_.pos;
  Take();
  if (tok_.kind != Tok::Number) {
    FailHere("an index");
    return e;
  }
  e->number = e->number2 = tok_.number;
  Take();
  if (Accept("..")) {
    if (tok_.kind != Tok::Number) {
      FailHere("an index");
      return e;
    }
    e->number2 = tok_.number;
    Take();
  }
  Expect("]");
  e->kids = {base};
  Deepen(*e);
  if (tok_.kind == Tok::DotExt) {
    e->ext = tok_.text;
    Take();
  }
  return e;
}

ExprPtr Parser::ParseSet(SourcePos pos) {
  auto e = NewExpr();
  e->kind = ExprKind::Set;
  e->pos = pos;
  if (!tok_.IsPunct("]")) {
    e->kids.reserve(kListReserve);
    do {
      ExprPtr item = ParseExpr();
      if (failed_) return e;
      if (tok_.IsPunct("..")) {
        SourcePos at = tok_.pos;
        Take();
        if (item->kind != ExprKind::Name || !item->ext.empty()) {
          Fail(at, "a range must join two names");
          return e;
        }
        auto range = NewExpr();
        range->kind = ExprKind::Range;
        range->pos = item->pos;
        range->text = item->text;
        range->text2 = ExpectIdent();
        item = range;
      }
      e->kids.push_back(item);
    } while (Accept(","));
    Deepen(*e);
  }
  Expect("]");
  if (tok_.kind == Tok::DotExt) {
    e->ext = tok_.text;
    Take();
  }
  return e;
}

std::vector<ExprPtr> Parser::ParseList() {
  std::vector<ExprPtr> list;
  list.reserve(kListReserve);
  do {
    list.push_back(ParseExpr());
  } while (Accept(","));
  return list;
}

// ---- declarations ------------------------------------------------------------

std::vector<DeclName> Parser::ParseDeclNames(const DeclName* first_read) {
  std::vector<DeclName> names;
  if (first_read) {
    names.push_back(*first_read);
    if (!Accept(",")) return names;
  }
  do {
    DeclName first;
    first.pos = tok_.pos;
    first.active_low = Accept("!");
    first.name = ExpectIdent();
    if (failed_) return {};
    if (tok_.IsPunct("..")) {
      SourcePos at = tok_.pos;
      Take();
      Accept("!");
      std::string last = ExpectIdent();
      std::vector<std::string> expanded;
      if (!ExpandRange(first.name, last, expanded)) {
        Fail(at, "invalid range '" + first.name + ".." + last + "'");
        return {};
      }
      if (names.empty()) names.reserve(std::max(expanded.size(), kListReserve));
      for (std::string& n : expanded) names.push_back({std::move(n), first.active_low, first.pos});
    } else {
      // Room for a few names once there is one: most declarations that fail have none.
      if (names.empty()) names.reserve(kListReserve);
      names.push_back(std::move(first));
    }
  } while (Accept(","));
  return names;
}

std::vector<std::string> Parser::ParseAttributes(SourcePos& pos) {
  pos = tok_.pos;
  if (tok_.kind != Tok::String) {
    FailHere("an attribute string");
    return {};
  }
  std::vector<std::string> attrs;
  std::string current;
  // Commas, blanks or both separate the attributes: 'reg invert' is two.
  for (char c : tok_.text + ",") {
    if (c == ',' || std::isspace(static_cast<unsigned char>(c))) {
      if (!current.empty()) attrs.push_back(current);
      current.clear();
    } else {
      current += LowerAscii(c);
    }
  }
  Take();
  return attrs;
}

namespace {
constexpr std::int64_t kMaxPinNumbers = 1000;
}  // namespace

std::vector<int> Parser::ParsePinNumbers() {
  std::vector<int> numbers;
  while (tok_.kind == Tok::Number) {
    int from = static_cast<int>(tok_.number);
    Take();
    if (Accept("..")) {
      if (tok_.kind != Tok::Number) {
        FailHere("a pin number");
        return {};
      }
      int to = static_cast<int>(tok_.number);
      // No device has more than a few dozen pins and nodes; a range of
      // millions would only fill the memory before the count check.
      const std::int64_t length = std::abs(static_cast<std::int64_t>(to) - from) + 1;
      if (static_cast<std::int64_t>(numbers.size()) + length > kMaxPinNumbers) {
        Fail(tok_.pos, "a pin list holds at most " + std::to_string(kMaxPinNumbers) + " numbers");
        return {};
      }
      Take();
      for (int n = from;; n += from <= to ? 1 : -1) {
        numbers.push_back(n);
        if (n == to) break;
      }
    } else {
      numbers.push_back(from);
    }
    if (!Accept(",")) break;
  }
  return numbers;
}

void Parser::ParseDeclaration(Module& m, const DeclName* first) {
  SourcePos pos = first ? first->pos : tok_.pos;
  std::vector<DeclName> names = ParseDeclNames(first);
  if (failed_) return;
  if (tok_.IsKeyword("device")) {
    Take();
    DeviceDecl d;
    d.pos = pos;
    d.id = names.front().name;
    d.part_pos = tok_.pos;
    if (tok_.kind != Tok::String) {
      FailHere("the device string");
      return;
    }
    d.part = std::move(tok_.text);  // the next token replaces it
    Take();
    if (names.size() != 1) {
      Fail(pos, "a DEVICE declaration names one device");
      return;
    }
    Expect(";");
    if (failed_) return;
    text_.Declare(d.id);
    m.items.push_back(std::move(d));
  } else if (tok_.IsKeyword("pin") || tok_.IsKeyword("node")) {
    PinDecl d;
    d.pos = pos;
    d.node = tok_.IsKeyword("node");
    d.names = std::move(names);
    Take();
    d.numbers_pos = tok_.pos;
    d.numbers = ParsePinNumbers();
    if (AcceptKeyword("istype") || Accept("=")) d.attributes = ParseAttributes(d.attr_pos);
    if (failed_) return;
    // Known before the ';' is passed: the directives after it may ask.
    for (const DeclName& n : d.names) text_.Declare(n.name);
    Expect(";");
    if (failed_) return;
    m.items.push_back(std::move(d));
  } else if (tok_.IsKeyword("istype")) {
    Take();
    IstypeDecl d;
    d.pos = pos;
    d.names = std::move(names);
    SourcePos attr_pos;
    d.attributes = ParseAttributes(attr_pos);
    Expect(";");
    if (failed_) return;
    m.items.push_back(std::move(d));
  } else if (tok_.IsPunct("=")) {
    Take();
    ConstDecl d;
    d.pos = pos;
    d.names = std::move(names);
    d.values = ParseList();
    if (failed_) return;
    for (std::size_t i = 0; i < d.names.size() && i < d.values.size(); ++i) {
      text_.Declare(d.names[i].name);
      if (d.values[i]->kind == ExprKind::Number) text_.DefineValue(d.names[i].name, d.values[i]->number);
    }
    Expect(";");
    if (failed_) return;
    for (const DeclName& n : d.names) {
      if (n.active_low) {
        Fail(n.pos, "a constant cannot be declared active-low");
        return;
      }
    }
    if (d.values.size() != d.names.size()) {
      Fail(pos, std::to_string(d.names.size()) + " names but " + std::to_string(d.values.size()) +
                    " values in the constant declaration");
      return;
    }
    m.items.push_back(std::move(d));
  } else if (tok_.IsKeyword("property")) {
    Take();  // data for other fitters; nothing on a GAL uses it
    if (tok_.kind != Tok::String) FailHere("the property string");
    Take();
    Expect(";");
  } else if (tok_.IsKeyword("state")) {
    // Symbolic states: constants, given or numbered in declaration order.
    Take();
    ConstDecl d;
    d.pos = pos;
    d.names = names;
    if (!tok_.IsPunct(";")) d.values = ParseList();
    Expect(";");
    if (failed_) return;
    if (!d.values.empty() && d.values.size() != names.size()) {
      Fail(pos, std::to_string(names.size()) + " states but " + std::to_string(d.values.size()) + " values");
      return;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
      // The states before an active-low one keep the codes they took.
      if (names[i].active_low) {
        Fail(names[i].pos, "a state cannot be declared active-low");
        return;
      }
      if (d.values.size() <= i) {
        auto v = NewExpr();
        v->pos = names[i].pos;
        v->number = next_state_++;
        d.values.push_back(v);
      }
      if (d.values[i]->kind == ExprKind::Number) {
        state_bits_ = std::max(state_bits_, BitsFor(d.values[i]->number));
        text_.DefineValue(names[i].name, d.values[i]->number);
      }
      text_.Declare(names[i].name);
    }
    m.items.push_back(std::move(d));
  } else if (tok_.IsKeyword("state_register")) {
    // A state register of its own: its bits become registered pins the fitter
    // places, once the module's states tell how many it needs.
    Take();
    SymbolicRegister r;
    r.pos = pos;
    if (names.size() != 1 || names[0].active_low) {
      Fail(pos, "a STATE_REGISTER declaration names one register");
      return;
    }
    r.name = names[0].name;
    if (AcceptKeyword("istype")) {
      SourcePos attr_pos;
      r.attributes = ParseAttributes(attr_pos);
    }
    Expect(";");
    if (failed_) return;
    r.item = m.items.size();
    registers_.push_back(r);
    text_.Declare(r.name);
  } else if (tok_.kind == Tok::Ident && IsLaterDeclaration(tok_.text)) {
    const Token kw = tok_;
    Take();
    Fail(kw.pos, "'" + kw.text + "' declarations are not supported by this compiler");
  } else if (tok_.kind == Tok::Keyword && IsUnsupportedFeature(tok_.text)) {
    const Token kw = tok_;
    Take();  // "state" would otherwise start the next statement
    Fail(kw.pos, "'" + kw.text + "' declarations are not supported by this compiler");
  } else {
    FailHere("PIN, NODE, DEVICE, ISTYPE or '='");
  }
}

void Parser::ParseDirective(Module& m) {
  SourcePos pos = tok_.pos;
  std::string name = tok_.text;
  Take();
  if (name == "alternate") {
    alternate_ = true;
  } else if (name == "standard") {
    alternate_ = false;
  } else if (name == "dcset") {
    dcset_ = true;
  } else if (name == "onset") {
    dcset_ = false;
  } else if (name == "radix") {
    if (tok_.kind != Tok::Number) {
      FailHere("the radix");
      return;
    }
    std::uint64_t radix = tok_.number;
    if (radix != 2 && radix != 8 && radix != 10 && radix != 16) {
      Fail(tok_.pos, "the radix must be 2, 8, 10 or 16");
      return;
    }
    // Change the radix before the ';' is passed, so the next token is read with it.
    text_.SetRadix(static_cast<int>(radix));
    Take();
    Expect(";");
  } else if (name == "message") {
    if (tok_.kind != Tok::String) {
      FailHere("the message string");
      return;
    }
    m.items.push_back(Message{pos, tok_.text});
    Take();
    Accept(";");
  } else if (name == "dcstate") {
    dcstate_ = true;
  } else if (name == "page") {
  } else {
    Fail(pos, "directive '@" + name + "' is not supported by this compiler");
  }
}

}  // namespace abelc
