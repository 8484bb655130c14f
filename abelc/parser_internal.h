// The parser's state, shared by its two source files: expressions and
// declarations in parser.cpp, the logic sections in parser_sections.cpp.
#pragma once

#include <memory>
#include <memory_resource>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "abelc/ast.h"
#include "abelc/lexer.h"
#include "abelc/text_stage.h"

namespace abelc {

class Parser {
 public:
  Parser(const std::string& source, Diagnostics& diags, const SourceContext& context)
      : text_(source, diags, context), diags_(diags) {
    text_.Next(tok_);
  }
  Module Run();

 private:
  struct SymbolicRegister {
    SourcePos pos;
    std::string name;
    std::vector<std::string> attributes;
    std::size_t item = 0;  // where in the module's items it was declared
  };

  Module ParseOne();
  Module ParseModuleText();
  bool ParseModuleItem(Module& m, bool& in_equations);

  // tokens
  void Take() {
    if (failed_) return;
    text_.Next(tok_);
    // A reserved word refused once as a name is a name from then on.
    if (tok_.kind == Tok::Keyword && !keyword_names_.empty() && keyword_names_.count(tok_.text)) {
      tok_.kind = Tok::Ident;
    }
  }
  bool Accept(const char* punct);
  bool AcceptKeyword(const char* kw);
  void Expect(const char* punct);
  void ExpectKeyword(const char* kw);
  std::string ExpectIdent();
  void Fail(SourcePos pos, std::string message);
  void FailHere(std::string_view what);
  bool Recover();
  void SkipPast(const char* punct);
  bool AtSectionStart() const;
  void SkipRowsOfFailedHeader();

  // expressions
  std::shared_ptr<Expr> NewExpr() {
    return std::allocate_shared<Expr>(std::pmr::polymorphic_allocator<Expr>(nodes_.get()));
  }
  ExprPtr ParseExpr();
  void Deepen(Expr& e);  // sets e.depth from its kids; fails past kMaxTreeDepth
  ExprPtr ParseBinary(int level);
  ExprPtr ParseUnary();
  ExprPtr ParsePrimary();
  ExprPtr ParseSet(SourcePos pos);
  ExprPtr ParseIndex(ExprPtr base);
  const char* BinaryOp(int level) const;
  std::vector<ExprPtr> ParseList();

  // declarations
  void ParseDeclaration(Module& m, const DeclName* first = nullptr);
  std::vector<DeclName> ParseDeclNames(const DeclName* first = nullptr);
  bool KeywordAsName(Module& m, const std::string& kw, SourcePos pos);
  std::vector<std::string> ParseAttributes(SourcePos& pos);
  std::vector<int> ParsePinNumbers();
  void ParseDirective(Module& m);

  // sections
  std::vector<Stmt> ParseStatements(bool in_state);
  Stmt ParseStatement();
  std::vector<Stmt> ParseBody();
  void ParseTruthTable(Module& m);
  void ParseStateDiagram(Module& m);
  Transition ParseTransition();
  Transition ParseTarget(SourcePos pos);
  void ParseTestVectors(Module& m);
  void ParseFuses(Module& m);
  TableRow ParseRow(bool with_reg, bool regs_only);
  void ParseRows(Module& m, bool with_reg, bool regs_only, std::vector<TableRow>& rows);

  static constexpr std::size_t kListReserve = 4;        // room for the items of most lists and sets at once
  static constexpr std::size_t kNodeBufferSize = 2048;  // the first buffer's; each next one is larger
  // Expression nodes are many and small, and they all live as long as the
  // module: they come from one growing buffer.
  std::shared_ptr<std::pmr::monotonic_buffer_resource> nodes_ =
      std::make_shared<std::pmr::monotonic_buffer_resource>(kNodeBufferSize);
  TextStage text_;
  Diagnostics& diags_;
  Token tok_;
  // Set by Fail: the statement being read is broken. Until the parser
  // recovers (Recover, then skipping to a ';'), no token is taken, Accept
  // finds nothing, expressions are not read and no further error is
  // reported, so the code of the statement runs on to its end without effect.
  // What it built is dropped; anything that records outside the statement's
  // own result (the module, the text stage, the diagnostics, the parser's
  // state) checks the flag first, and so does every loop that would
  // otherwise spin on the token that failed.
  bool failed_ = false;
  bool alternate_ = false;
  static constexpr int kMaxExpressionDepth = 200;  // well within the stack of every stage after
  int expression_depth_ = 0;
  // The tree an expression makes may be deeper than its parentheses: each
  // operator of a chain (a # b # c ...) is one level more. Every stage after
  // the parser walks the tree recursively, so its depth is bounded too.
  static constexpr int kMaxTreeDepth = 1000;
  // WHEN statements nested in THEN and ELSE, and IF ... ELSE IF chains in a
  // state diagram, are read recursively.
  static constexpr int kMaxStatementDepth = 200;
  int statement_depth_ = 0;
  bool dcset_ = false;
  bool dcstate_ = false;
  std::vector<SymbolicRegister> registers_;
  std::set<std::string> keyword_names_;  // reserved words declared as names, refused once
  std::uint64_t next_state_ = 0;         // the next automatic state code
  int state_bits_ = 0;                   // bits the module's state codes need
};

}  // namespace abelc
