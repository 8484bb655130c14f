// The elaborator's state, shared by its source files: declarations and the
// finished model (elaborate.cpp), expressions (elaborate_expr.cpp) and the
// logic sections (elaborate_sections.cpp).
#pragma once

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "abelc/ast.h"
#include "abelc/logic_model.h"
#include "abelc/parser.h"

namespace abelc {

// One bit of a value; `dont_care` marks a .X. element.
struct Bit {
  Cover f;
  bool dont_care = false;
};

struct Value {
  enum class Kind { Number, Scalar, Set } kind = Kind::Number;
  std::uint64_t number = 0;
  std::vector<Bit> bits;  // Scalar: one; Set: most significant first
};

struct TargetRef {
  int signal = 0;
  std::string ext;  // normalised: "", "D", "CLK", "AR", "SP", "OE"
  SourcePos pos;
  bool inverted = false;  // written "!name" in a set
};

// Everything the equations say about one (signal, extension).
struct Slot {
  Cover pos, neg, dc;  // "x = f", "!x = f", "x ?= f"; ORed per kind
  bool has_neg = false;
  bool reg_op = false, com_op = false, d_ext = false;
  SourcePos first;
  int equations = 0;
  // The sides of the slot's one equation when its value is 'left $ right'.
  std::optional<std::pair<Cover, Cover>> xor_sides;
};

class Elaborator {
 public:
  explicit Elaborator(Diagnostics& diags) : diags_(diags) {}
  LogicModel Run(const Module& module);

 private:
  struct Failure {};  // unwinds to the current statement; never leaves Run
  [[noreturn]] void Fail(SourcePos pos, const std::string& message);

  // declarations (elaborate.cpp)
  void Declare(const DeviceDecl& d);
  void Declare(const PinDecl& d);
  void Declare(const IstypeDecl& d);
  void Declare(const ConstDecl& d);
  void Declare(const FuseSetting& f);
  void ApplyAttributes(Signal& s, const std::vector<std::string>& attrs, SourcePos pos);
  void Finish();
  void ResetNode();
  int SignalIndex(const std::string& name) const;
  std::string Undeclared(const std::string& name) const;

  // expressions (elaborate_expr.cpp)
  Value Eval(const ExprPtr& e, const std::string& ext);
  // The positions of the elements `e` (an Index) picks from `width`, first the most significant.
  std::vector<std::size_t> Picked(const Expr& e, std::size_t width);
  Value EvalName(const Expr& e, const std::string& name, const std::string& ext);
  Value EvalBinary(const Expr& e, const Value& l, const Value& r);
  std::vector<Bit> Widen(const Value& v, std::size_t width) const;
  Cover Condition(const ExprPtr& e);
  std::vector<Bit> AssignBits(const Value& v, std::size_t width, SourcePos pos);
  std::vector<int> ConstantBits(const ExprPtr& e, std::size_t width);
  int Var(int signal, Feedback kind, SourcePos pos);
  const ConstDecl* Constant(const std::string& name, ExprPtr& value) const;

  // sections (elaborate_sections.cpp)
  // `dont_care`: .X. may stand for a position (signal -1) that takes nothing,
  // and "!name" for the name with its values inverted.
  std::vector<TargetRef> Targets(const ExprPtr& e, const std::string& ext, bool dont_care = false,
                                 SourcePos use = {});
  void Statements(const std::vector<Stmt>& stmts, const Cover& ctx);
  void Assign(const Equation& eq, const Cover& ctx);
  void AddTo(const TargetRef& t, const std::string& op, bool negated, const Cover& f);
  void Table(const TruthTable& t);
  void Diagram(const StateDiagram& d);
  void Transit(const Transition& t, const Cover& ctx, const std::vector<TargetRef>& regs, Cover& covered);
  void Vectors(const TestVectors& v);
  std::string VectorChars(const ExprPtr& e, std::size_t width, bool natural);
  std::vector<TargetRef> Columns(const std::vector<ExprPtr>& items,
                                 std::vector<std::vector<std::size_t>>& widths);
  std::vector<std::size_t> SubWidths(const ExprPtr& header, bool targets);
  std::vector<std::pair<ExprPtr, std::size_t>> SplitRowValue(const ExprPtr& header,
                                                             const std::vector<std::size_t>& widths,
                                                             const ExprPtr& value);

  Diagnostics& diags_;
  LogicModel m_;
  std::map<std::string, int> signal_index_;
  std::map<std::string, std::pair<const ConstDecl*, ExprPtr>> constants_;
  std::set<std::string> expanding_;  // constants being expanded (self-reference check)
  // Levels of Eval open at once: an expression's tree is bounded by the
  // parser (1000 operators above a leaf), but a constant may use a constant
  // that uses another, each adding its own tree.
  static constexpr int kMaxEvalDepth = 1001;
  int eval_depth_ = 0;
  SourcePos use_;         // while a constant is expanded: where it is used
  std::string use_note_;  // and which constant it is
  std::map<std::pair<int, std::string>, Slot> slots_;
  std::map<std::pair<int, Feedback>, int> var_index_;
  // While a state diagram under @DCSET is read: per (signal, extension), where
  // its equations give the output a value, the target and the don't-care operator.
  std::map<std::pair<int, std::string>, std::tuple<Cover, TargetRef, std::string>>* specified_ = nullptr;
};

}  // namespace abelc
