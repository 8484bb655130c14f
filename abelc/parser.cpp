// The module frame, expressions, declarations and directives. The logic
// sections (equations, truth tables, state diagrams, test vectors) are read
// in parser_sections.cpp.
#include "abelc/parser.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "abelc/parser_internal.h"

namespace abelc {

Module ParseModule(const std::string& source, Diagnostics& diags) {
  Parser parser(source, diags);
  return parser.Run();
}

namespace {

std::string Describe(const Token& t) {
  switch (t.kind) {
    case Tok::End:
      return "the end of the file";
    case Tok::String:
      return "a string";
    case Tok::Number:
      return "'" + std::to_string(t.number) + "'";
    case Tok::Special:
      return "'." + t.text + ".'";
    case Tok::DotExt:
      return "'." + t.text + "'";
    case Tok::Directive:
      return "'@" + t.text + "'";
    default:
      return "'" + t.text + "'";
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

// Keywords of language features this compiler leaves out, as opposed to
// reserved words that are simply out of place.
bool IsUnsupportedFeature(const std::string& kw) {
  for (const char* k : {"macro", "library", "property", "state_register", "functional_block", "interface",
                        "external", "async_reset", "sync_reset", "cycle", "wait", "enable", "in"}) {
    if (kw == k) return true;
  }
  return false;
}

}  // namespace

bool Parser::Accept(const char* punct) {
  if (!tok_.IsPunct(punct)) return false;
  Take();
  return true;
}

bool Parser::AcceptKeyword(const char* kw) {
  if (!tok_.IsKeyword(kw)) return false;
  Take();
  return true;
}

void Parser::Fail(SourcePos pos, const std::string& message) {
  diags_.Error(pos, message);
  throw SyntaxError{};
}

void Parser::FailHere(const std::string& what) {
  Fail(tok_.pos, what + " expected, found " + Describe(tok_));
}

void Parser::Expect(const char* punct) {
  if (!Accept(punct)) FailHere(std::string("'") + punct + "'");
}

void Parser::ExpectKeyword(const char* kw) {
  if (!AcceptKeyword(kw)) {
    std::string upper = kw;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    FailHere(upper);
  }
}

std::string Parser::ExpectIdent() {
  if (tok_.kind != Tok::Ident) FailHere("a name");
  std::string name = tok_.text;
  Take();
  return name;
}

bool Parser::AtSectionStart() const {
  if (tok_.kind == Tok::End) return true;
  if (tok_.kind != Tok::Keyword) return false;
  for (const char* kw : {"equations", "truth_table", "state_diagram", "test_vectors", "trace", "declarations",
                         "end", "state", "module", "fuses", "xor_factors"}) {
    if (tok_.text == kw) return true;
  }
  return false;
}

void Parser::SkipPast(const char* punct) {
  while (tok_.kind != Tok::End && !AtSectionStart()) {
    bool stop = tok_.IsPunct(punct);
    Take();
    if (stop) return;
  }
}

Module Parser::Run() {
  Module m;
  m.pos = tok_.pos;
  try {
    ExpectKeyword("module");
    m.name = ExpectIdent();
    if (Accept("(")) {
      while (tok_.kind != Tok::End && !Accept(")")) Take();
    }
    if (tok_.IsKeyword("title")) {
      Take();
      if (tok_.kind != Tok::String) FailHere("the title string");
      m.title = tok_.text;
      Take();
      Accept(";");
    }
  } catch (SyntaxError&) {
    return m;
  }
  bool in_equations = false;
  for (;;) {
    const SourcePos start = tok_.pos;
    try {
      if (tok_.kind == Tok::End) {
        diags_.Error(tok_.pos, "END expected at the end of module '" + m.name + "'");
        break;
      }
      if (tok_.kind == Tok::Directive) {
        ParseDirective(m);
        continue;
      }
      if (tok_.kind == Tok::Keyword && !(in_equations && tok_.text == "when")) {
        const std::string kw = tok_.text;
        SourcePos pos = tok_.pos;
        if (kw == "end") {
          Take();
          if (tok_.kind == Tok::Ident) {
            if (tok_.text != m.name) {
              diags_.Warning(tok_.pos,
                             "END label '" + tok_.text + "' does not match module '" + m.name + "'");
            }
            Take();
          }
          Accept(";");
          if (tok_.kind != Tok::End) diags_.Warning(tok_.pos, "text after END is ignored");
          break;
        }
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
          if (tok_.kind == Tok::String) Take();
          Accept(";");
        } else if (kw == "fuses" || kw == "xor_factors") {
          // A section of its own: reported once, then passed over.
          diags_.Error(pos, "'" + kw + "' is not supported by this compiler");
          Take();
          while (!AtSectionStart()) Take();
        } else if (kw == "state") {
          Fail(pos, "STATE outside a STATE_DIAGRAM");
        } else if (IsUnsupportedFeature(kw)) {
          Fail(pos, "'" + kw + "' is not supported by this compiler");
        } else {
          Fail(pos, "'" + kw + "' is a reserved word and cannot stand here");
        }
        continue;
      }
      if (in_equations) {
        // A directive inside the block (@message) may have put an item after it.
        if (!std::holds_alternative<EquationBlock>(m.items.back())) m.items.push_back(EquationBlock{});
        std::get<EquationBlock>(m.items.back()).stmts.push_back(ParseStatement());
      } else {
        ParseDeclaration(m);
      }
    } catch (SyntaxError&) {
      // A statement that failed on its first token, a section keyword, must
      // still move on.
      if (tok_.pos.line == start.line && tok_.pos.column == start.column) Take();
      SkipPast(";");
    }
  }
  return m;
}

// ---- expressions -------------------------------------------------------------

ExprPtr Parser::ParseExpr() {
  return ParseBinary(4);
}

// The standard spelling of the binary operator at `level` under the current
// token, or nullptr. Levels follow ABEL: 4 compare, 3 OR/XOR/add, 2 AND/shift/mul.
const char* Parser::BinaryOp(int level) const {
  if (tok_.kind != Tok::Punct) return nullptr;
  const std::string& t = tok_.text;
  if (level == 4) {
    for (const char* op : {"==", "!=", "<", "<=", ">", ">="}) {
      if (t == op) return op;
    }
  } else if (level == 3) {
    if (t == "#") return "#";
    if (t == "$" || t == ":+:") return "$";
    if (t == "!$" || t == ":*:") return "!$";
    if (t == "+") return alternate_ ? "#" : "+";
    if (t == "-") return "-";
  } else if (level == 2) {
    if (t == "&") return "&";
    if (t == "*") return alternate_ ? "&" : "*";
    if (t == "/" && !alternate_) return "/";
    for (const char* op : {"%", "<<", ">>"}) {
      if (t == op) return op;
    }
  }
  return nullptr;
}

ExprPtr Parser::ParseBinary(int level) {
  if (level < 2) return ParseUnary();
  ExprPtr left = ParseBinary(level - 1);
  while (const char* op = BinaryOp(level)) {
    auto e = std::make_shared<Expr>();
    e->kind = ExprKind::Binary;
    e->pos = tok_.pos;
    e->text = op;
    Take();
    e->kids = {left, ParseBinary(level - 1)};
    left = e;
  }
  return left;
}

ExprPtr Parser::ParseUnary() {
  if (tok_.IsPunct("!") || tok_.IsPunct("-") || (alternate_ && tok_.IsPunct("/"))) {
    auto e = std::make_shared<Expr>();
    e->kind = ExprKind::Unary;
    e->pos = tok_.pos;
    e->text = tok_.IsPunct("-") ? "-" : "!";
    Take();
    e->kids = {ParseUnary()};
    return e;
  }
  return ParsePrimary();
}

ExprPtr Parser::ParsePrimary() {
  auto e = std::make_shared<Expr>();
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
      FailHere("an expression");
  }
  if (tok_.kind == Tok::DotExt) {
    e->ext = tok_.text;
    Take();
  }
  return e;
}

ExprPtr Parser::ParseSet(SourcePos pos) {
  auto e = std::make_shared<Expr>();
  e->kind = ExprKind::Set;
  e->pos = pos;
  if (!tok_.IsPunct("]")) {
    do {
      ExprPtr item = ParseExpr();
      if (tok_.IsPunct("..")) {
        SourcePos at = tok_.pos;
        Take();
        if (item->kind != ExprKind::Name || !item->ext.empty()) Fail(at, "a range must join two names");
        auto range = std::make_shared<Expr>();
        range->kind = ExprKind::Range;
        range->pos = item->pos;
        range->text = item->text;
        range->text2 = ExpectIdent();
        item = range;
      }
      e->kids.push_back(item);
    } while (Accept(","));
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
  do {
    list.push_back(ParseExpr());
  } while (Accept(","));
  return list;
}

// ---- declarations ------------------------------------------------------------

std::vector<DeclName> Parser::ParseDeclNames() {
  std::vector<DeclName> names;
  do {
    DeclName first;
    first.pos = tok_.pos;
    first.active_low = Accept("!");
    first.name = ExpectIdent();
    if (tok_.IsPunct("..")) {
      SourcePos at = tok_.pos;
      Take();
      Accept("!");
      std::string last = ExpectIdent();
      std::vector<std::string> expanded;
      if (!ExpandRange(first.name, last, expanded)) {
        Fail(at, "invalid range '" + first.name + ".." + last + "'");
      }
      for (const std::string& n : expanded) names.push_back({n, first.active_low, first.pos});
    } else {
      names.push_back(first);
    }
  } while (Accept(","));
  return names;
}

std::vector<std::string> Parser::ParseAttributes(SourcePos& pos) {
  pos = tok_.pos;
  if (tok_.kind != Tok::String) FailHere("an attribute string");
  std::vector<std::string> attrs;
  std::string current;
  for (char c : tok_.text + ",") {
    if (c == ',') {
      if (!current.empty()) attrs.push_back(current);
      current.clear();
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      current += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
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
      if (tok_.kind != Tok::Number) FailHere("a pin number");
      int to = static_cast<int>(tok_.number);
      // No device has more than a few dozen pins and nodes; a range of
      // millions would only fill the memory before the count check.
      const std::int64_t length = std::abs(static_cast<std::int64_t>(to) - from) + 1;
      if (static_cast<std::int64_t>(numbers.size()) + length > kMaxPinNumbers) {
        Fail(tok_.pos, "a pin list holds at most " + std::to_string(kMaxPinNumbers) + " numbers");
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

void Parser::ParseDeclaration(Module& m) {
  SourcePos pos = tok_.pos;
  std::vector<DeclName> names = ParseDeclNames();
  if (tok_.IsKeyword("device")) {
    Take();
    DeviceDecl d;
    d.pos = pos;
    d.id = names.front().name;
    d.part_pos = tok_.pos;
    if (tok_.kind != Tok::String) FailHere("the device string");
    d.part = tok_.text;
    Take();
    if (names.size() != 1) Fail(pos, "a DEVICE declaration names one device");
    Expect(";");
    m.items.push_back(d);
  } else if (tok_.IsKeyword("pin") || tok_.IsKeyword("node")) {
    PinDecl d;
    d.pos = pos;
    d.node = tok_.IsKeyword("node");
    d.names = names;
    Take();
    d.numbers_pos = tok_.pos;
    d.numbers = ParsePinNumbers();
    if (AcceptKeyword("istype") || Accept("=")) d.attributes = ParseAttributes(d.attr_pos);
    Expect(";");
    m.items.push_back(d);
  } else if (tok_.IsKeyword("istype")) {
    Take();
    IstypeDecl d;
    d.pos = pos;
    d.names = names;
    SourcePos attr_pos;
    d.attributes = ParseAttributes(attr_pos);
    Expect(";");
    m.items.push_back(d);
  } else if (tok_.IsPunct("=")) {
    Take();
    ConstDecl d;
    d.pos = pos;
    d.names = names;
    d.values = ParseList();
    Expect(";");
    for (const DeclName& n : names) {
      if (n.active_low) Fail(n.pos, "a constant cannot be declared active-low");
    }
    if (d.values.size() != names.size()) {
      Fail(pos, std::to_string(names.size()) + " names but " + std::to_string(d.values.size()) +
                    " values in the constant declaration");
    }
    m.items.push_back(d);
  } else if (tok_.IsKeyword("property")) {
    Take();  // data for other fitters; nothing on a GAL uses it
    if (tok_.kind != Tok::String) FailHere("the property string");
    Take();
    Expect(";");
  } else if (tok_.kind == Tok::Keyword && (IsUnsupportedFeature(tok_.text) || tok_.text == "state")) {
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
    if (tok_.kind != Tok::Number) FailHere("the radix");
    std::uint64_t radix = tok_.number;
    if (radix != 2 && radix != 8 && radix != 10 && radix != 16) {
      Fail(tok_.pos, "the radix must be 2, 8, 10 or 16");
    }
    // Change the radix before the ';' is passed, so the next token is read with it.
    lex_.SetRadix(static_cast<int>(radix));
    Take();
    Expect(";");
  } else if (name == "message") {
    if (tok_.kind != Tok::String) FailHere("the message string");
    m.items.push_back(Message{pos, tok_.text});
    Take();
    Accept(";");
  } else if (name == "page") {
  } else {
    Fail(pos, "directive '@" + name + "' is not supported by this compiler");
  }
}

}  // namespace abelc
