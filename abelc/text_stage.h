// The text stage between the lexer and the parser: macros and their calls,
// the conditional and repeating directives, @CONST, @EXPR, @INCLUDE and
// LIBRARY. Each works on source text, as the language defines them; the
// parser sees only the tokens of the text that results.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "abelc/diagnostics.h"
#include "abelc/lexer.h"
#include "abelc/source_context.h"

namespace abelc {

class TextStage {
 public:
  TextStage(const std::string& source, Diagnostics& diags, const SourceContext& context);
  // The next token into `t` (the parser reads every token into one, whose
  // text keeps its buffer).
  void Next(Token& t);
  void SetRadix(int radix);
  // What the parser declared: names for @IFDEF, numbers for directive expressions.
  void Declare(const std::string& name) { declared_.insert(name); }
  void DefineValue(const std::string& name, std::uint64_t value) { values_[name] = value; }

 private:
  struct Frame {
    std::unique_ptr<Lexer> lexer;
    std::vector<std::string> texts;  // the frame's texts, read one after the other
    std::size_t next_text = 0;       // texts read so far
    std::size_t reads = 0;           // texts to read: the list in turn, over again (a repeated block)
    SourcePos start;                 // where each text starts
    bool fixed = false;              // every token takes `origin` (macro calls, included files)
    SourcePos origin;
    std::string directory;       // the folder @INCLUDE looks in first
    std::vector<Token> pending;  // tokens read ahead from this text, last one first
  };
  struct Macro {
    std::vector<std::string> params;
    std::string body;
  };

  void Raw(Token& t);  // the next token of the text, directives not yet applied
  void FromTop(Token& t);
  // Reads `texts` next, `times` over.
  void Push(std::vector<std::string> texts, SourcePos start, bool fixed, SourcePos origin,
            const std::string& directory, std::size_t times = 1);
  Frame& Top() { return frames_.back(); }
  bool Directive(const Token& t);
  void DefineMacro(const Token& name);
  void CallMacro(const Token& name, const Macro& macro);
  void Include(const Token& at, const std::string& file);
  bool Block(const Token& at, std::string& text, SourcePos& start);
  bool Group(const Token& at, char open, char close, std::string& text);
  std::vector<std::string> Arguments(const std::string& text) const;
  std::string Substitute(const std::string& text, const std::vector<std::string>& params,
                         const std::vector<std::string>& args) const;
  void SkipStatementEnd();

  // Directive expressions: numbers, @CONST and numeric constants, operators.
  std::uint64_t Expression(int level);
  std::uint64_t Operand();
  Token& Look();
  void Advance() { look_valid_ = false; }
  void PutBack();

  Diagnostics& diags_;
  SourceContext context_;
  std::vector<Frame> frames_;
  std::vector<std::unique_ptr<Lexer>> spare_lexers_;  // of frames that ended, for the next ones
  std::map<std::string, Macro> macros_;
  std::map<std::string, std::uint64_t> consts_;  // @CONST
  std::map<std::string, std::uint64_t> values_;  // numeric constants the parser declared
  std::set<std::string> declared_;
  Token look_;
  bool look_valid_ = false;
  bool expression_failed_ = false;
  int operand_depth_ = 0;  // operands open at once: parentheses and unary operators
  int radix_ = 10;
  std::uint64_t produced_ = 0;  // tokens handed out, against runaway repetition
  std::size_t expanded_ = 0;    // characters of the texts pushed, against runaway expansion
  bool stopped_ = false;
};

}  // namespace abelc
