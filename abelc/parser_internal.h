// The parser's state, shared by its two source files: expressions and
// declarations in parser.cpp, the logic sections in parser_sections.cpp.
#pragma once

#include <string>
#include <vector>

#include "abelc/ast.h"
#include "abelc/lexer.h"
#include "abelc/text_stage.h"

namespace abelc {

class Parser {
 public:
  Parser(const std::string& source, Diagnostics& diags, const SourceContext& context)
      : text_(source, diags, context), diags_(diags) {
    tok_ = text_.Next();
  }
  Module Run();

 private:
  struct SyntaxError {};  // unwinds to the statement loop; never leaves the parser
  struct SymbolicRegister {
    SourcePos pos;
    std::string name;
    std::vector<std::string> attributes;
    std::size_t item = 0;  // where in the module's items it was declared
  };

  Module ParseOne();
  Module ParseModuleText();

  // tokens
  void Take() { tok_ = text_.Next(); }
  bool Accept(const char* punct);
  bool AcceptKeyword(const char* kw);
  void Expect(const char* punct);
  void ExpectKeyword(const char* kw);
  std::string ExpectIdent();
  [[noreturn]] void Fail(SourcePos pos, const std::string& message);
  [[noreturn]] void FailHere(const std::string& what);
  void SkipPast(const char* punct);
  bool AtSectionStart() const;

  // expressions
  ExprPtr ParseExpr();
  ExprPtr ParseBinary(int level);
  ExprPtr ParseUnary();
  ExprPtr ParsePrimary();
  ExprPtr ParseSet(SourcePos pos);
  ExprPtr ParseIndex(ExprPtr base);
  const char* BinaryOp(int level) const;
  std::vector<ExprPtr> ParseList();

  // declarations
  void ParseDeclaration(Module& m);
  std::vector<DeclName> ParseDeclNames();
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

  TextStage text_;
  Diagnostics& diags_;
  Token tok_;
  bool alternate_ = false;
  bool dcset_ = false;
  bool dcstate_ = false;
  std::vector<SymbolicRegister> registers_;
  std::uint64_t next_state_ = 0;  // the next automatic state code
  int state_bits_ = 0;            // bits the module's state codes need
};

}  // namespace abelc
