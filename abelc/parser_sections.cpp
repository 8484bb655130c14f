// The logic sections: equations with WHEN blocks, truth tables, state
// diagrams and test vectors.
#include "abelc/ascii_case.h"
#include "abelc/nesting_guard.h"
#include "abelc/parser_internal.h"

namespace abelc {

Stmt Parser::ParseStatement() {
  SourcePos pos = tok_.pos;
  if (AcceptKeyword("enable")) {  // the old form of "name.OE = expr"
    diags_.Warning(pos, "ENABLE is obsolete; write 'name.OE = expression'");
    Equation eq;
    eq.pos = pos;
    ExprPtr target = ParsePrimary();
    if ((target->kind != ExprKind::Name && target->kind != ExprKind::Set) || !target->ext.empty()) {
      Fail(target->pos, "ENABLE names the outputs it enables, without a dot extension");
    }
    auto oe = std::make_shared<Expr>(*target);
    oe->ext = "OE";
    eq.target = oe;
    eq.op = "=";
    Expect("=");
    eq.value = ParseExpr();
    Expect(";");
    return Stmt{eq};
  }
  if (AcceptKeyword("when")) {
    // Past the limit the statement fails, and a failed statement reads no
    // further WHEN.
    const NestingGuard nesting(statement_depth_);
    if (statement_depth_ > kMaxStatementDepth) Fail(pos, "WHEN statements nest more than 200 deep");
    When w;
    w.pos = pos;
    w.cond = ParseExpr();
    ExpectKeyword("then");
    w.then_body = ParseBody();
    if (AcceptKeyword("else")) w.else_body = ParseBody();
    return Stmt{w};
  }
  Equation eq;
  eq.pos = pos;
  eq.negated = Accept("!") || (alternate_ && Accept("/"));
  eq.target = ParsePrimary();
  if (eq.target->kind != ExprKind::Name && eq.target->kind != ExprKind::Set &&
      eq.target->kind != ExprKind::Index) {
    Fail(eq.target->pos, "an equation must assign a signal or a set");
  }
  for (const char* op : {"=", ":=", "?=", "?:="}) {
    if (tok_.IsPunct(op)) eq.op = op;
  }
  if (eq.op.empty()) FailHere("'=' or ':='");
  Take();
  eq.value = ParseExpr();
  Expect(";");
  return Stmt{eq};
}

// After THEN or ELSE: a { } block, a nested WHEN, or one equation.
std::vector<Stmt> Parser::ParseBody() {
  std::vector<Stmt> body;
  if (Accept("{")) {
    while (!Accept("}")) {
      if (tok_.kind == Tok::End || AtSectionStart()) {
        FailHere("'}'");
        break;
      }
      body.push_back(ParseStatement());
      if (failed_) break;
    }
    return body;
  }
  body.push_back(ParseStatement());
  return body;
}

std::vector<Stmt> Parser::ParseStatements(bool in_state) {
  std::vector<Stmt> stmts;
  while (!AtSectionStart() && tok_.kind != Tok::Directive) {
    if (in_state && (tok_.IsKeyword("goto") || tok_.IsKeyword("if") || tok_.IsKeyword("case"))) break;
    if (Accept(";")) continue;
    Stmt s = ParseStatement();
    if (Recover()) {
      SkipPast(";");
    } else {
      stmts.push_back(std::move(s));
    }
  }
  return stmts;
}

TableRow Parser::ParseRow(bool with_reg, bool regs_only) {
  TableRow row;
  row.pos = tok_.pos;
  row.in = ParseList();
  if (with_reg) {
    Expect(":>");
    row.reg = ParseList();
  }
  if (!regs_only) {
    Expect("->");
    row.out = ParseList();
  }
  return row;
}

// Rows up to the next section; a bad row is skipped to its ';'.
void Parser::ParseRows(Module& m, bool with_reg, bool regs_only, std::vector<TableRow>& rows) {
  while (!AtSectionStart()) {
    if (tok_.kind == Tok::Directive) {
      ParseDirective(m);
      if (failed_) return;  // the whole section fails
      continue;
    }
    if (Accept(";")) continue;
    TableRow row = ParseRow(with_reg, regs_only);
    if (!failed_) {
      rows.push_back(std::move(row));  // kept even when its ';' is missing
      Expect(";");
    }
    if (Recover()) SkipPast(";");
  }
}

void Parser::ParseTruthTable(Module& m) {
  TruthTable t;
  t.pos = tok_.pos;
  t.dcset = dcset_;
  Take();
  Expect("(");
  t.in = ParseList();
  if (Accept(":>")) {
    t.reg = ParseList();
    if (Accept("->")) t.out = ParseList();
  } else {
    Expect("->");
    t.out = ParseList();
  }
  Expect(")");
  if (failed_) return SkipRowsOfFailedHeader();
  const bool with_reg = !t.reg.empty();
  const bool regs_only = with_reg && t.out.empty();
  ParseRows(m, with_reg, regs_only, t.rows);
  if (failed_) return;
  m.items.push_back(std::move(t));
}

void Parser::ParseTestVectors(Module& m) {
  TestVectors v;
  v.pos = tok_.pos;
  Take();
  if (tok_.kind == Tok::String) Take();  // the note
  Expect("(");
  v.in = ParseList();
  Expect("->");
  v.out = ParseList();
  Expect(")");
  if (failed_) return SkipRowsOfFailedHeader();
  ParseRows(m, false, false, v.rows);
  if (failed_) return;
  m.items.push_back(std::move(v));
}

// The rows of a table whose header failed cannot be read: the header's
// message stands for the whole table, whose rows are passed over.
void Parser::SkipRowsOfFailedHeader() {
  Recover();
  while (tok_.kind != Tok::End && !AtSectionStart()) Take();
}

// FUSES: "n = value;" and "[first..last] = value;", up to the next section.
void Parser::ParseFuses(Module& m) {
  while (!AtSectionStart() && tok_.kind != Tok::Directive) {
    if (Accept(";")) continue;
    FuseSetting f;
    f.pos = tok_.pos;
    const bool range = Accept("[");
    if (tok_.kind != Tok::Number) FailHere("a fuse number");
    f.first = f.last = tok_.number;
    Take();
    if (range) {
      Expect("..");
      if (tok_.kind != Tok::Number) FailHere("a fuse number");
      f.last = tok_.number;
      Take();
      Expect("]");
    }
    Expect("=");
    f.value = ParseExpr();
    Expect(";");
    if (Recover()) {
      SkipPast(";");
    } else {
      m.items.push_back(std::move(f));
    }
  }
}

void Parser::ParseStateDiagram(Module& m) {
  StateDiagram d;
  d.pos = tok_.pos;
  d.dcset = dcset_;
  d.dcstate = dcstate_;
  Take();
  d.state_reg = ParseExpr();
  if (tok_.IsPunct("->"))
    Fail(tok_.pos, "state output sets ('->' after the state register) are not supported");
  Accept(";");
  if (failed_) return;
  // The later dialect's resets; the words are names everywhere else.
  for (;;) {
    const std::string_view word = tok_.kind == Tok::Ident ? std::string_view(tok_.text) : std::string_view();
    if (!SameIgnoringCase(word, "sync_reset") && !SameIgnoringCase(word, "async_reset")) break;
    StateReset r;
    r.pos = tok_.pos;
    r.async = SameIgnoringCase(word, "async_reset");
    Take();
    r.target = ParseExpr();
    Expect(":");
    r.cond = ParseExpr();
    Expect(";");
    if (failed_) return;
    d.resets.push_back(r);
  }
  while (tok_.IsKeyword("state") || tok_.kind == Tok::Directive) {
    if (tok_.kind == Tok::Directive) {
      ParseDirective(m);
      if (failed_) return;
      continue;
    }
    StateBlock s;
    s.pos = tok_.pos;
    Take();
    ExprPtr value = ParseExpr();
    if (!failed_) {
      s.value = value;
      Expect(":");
    }
    if (Recover()) SkipPast(":");
    while (!AtSectionStart() && tok_.kind != Tok::Directive) {
      if (tok_.IsKeyword("goto") || tok_.IsKeyword("if") || tok_.IsKeyword("case")) {
        Transition t = ParseTransition();
        if (Recover()) {
          SkipPast(";");
        } else {
          s.transitions.push_back(std::move(t));
        }
      } else {
        std::vector<Stmt> eqs = ParseStatements(true);
        s.equations.insert(s.equations.end(), eqs.begin(), eqs.end());
      }
    }
    d.states.push_back(std::move(s));
  }
  if (d.states.empty()) {
    FailHere("STATE");
    return;
  }
  m.items.push_back(std::move(d));
}

// A target state with its optional WITH equations.
Transition Parser::ParseTarget(SourcePos pos) {
  Transition t;
  t.kind = Transition::Kind::Goto;
  t.pos = pos;
  t.target = ParseExpr();
  if (AcceptKeyword("with")) {
    // ENDWITH may be left out: the equations then end where the transition
    // goes on (ELSE) or the next one, state or section starts.
    while (!AcceptKeyword("endwith")) {
      const bool statement_start = tok_.kind != Tok::End && tok_.kind != Tok::Directive &&
                                   (tok_.kind != Tok::Keyword || tok_.IsKeyword("when"));
      if (!statement_start || AtSectionStart()) {
        if (t.with.empty()) FailHere("an equation after WITH");
        break;
      }
      t.with.push_back(ParseStatement());
      if (failed_) break;
    }
  }
  return t;
}

Transition Parser::ParseTransition() {
  SourcePos pos = tok_.pos;
  if (AcceptKeyword("goto")) {
    Transition t = ParseTarget(pos);
    if (t.with.empty() || tok_.IsPunct(";")) Expect(";");
    return t;
  }
  if (AcceptKeyword("case")) {
    Transition t;
    t.kind = Transition::Kind::Case;
    t.pos = pos;
    while (!AcceptKeyword("endcase")) {
      if (tok_.kind == Tok::End || AtSectionStart()) {
        FailHere("ENDCASE");
        return t;
      }
      t.conds.push_back(ParseExpr());
      Expect(":");
      SourcePos at = tok_.pos;
      t.branches.push_back(ParseTarget(at));
      if (t.branches.back().with.empty() || tok_.IsPunct(";")) Expect(";");
      if (failed_) return t;
    }
    Accept(";");
    return t;
  }
  // IF cond THEN target [ELSE (IF ... | target)] ;  -- one ';' ends the chain
  const NestingGuard nesting(statement_depth_);
  if (statement_depth_ > kMaxStatementDepth) Fail(pos, "the IF ... ELSE IF chain is more than 200 long");
  ExpectKeyword("if");
  Transition t;
  t.kind = Transition::Kind::If;
  t.pos = pos;
  t.conds.push_back(ParseExpr());
  ExpectKeyword("then");
  t.branches.push_back(ParseTarget(tok_.pos));
  if (AcceptKeyword("else")) {
    if (tok_.IsKeyword("if")) {
      t.branches.push_back(ParseTransition());
      return t;  // the inner IF took the ';'
    }
    t.branches.push_back(ParseTarget(tok_.pos));
  }
  if (t.branches.back().with.empty() || tok_.IsPunct(";")) Expect(";");
  return t;
}

}  // namespace abelc
