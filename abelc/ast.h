// The syntax tree of one ABEL module, as the parser reads it: plain data
// with a source position on every node.
#pragma once

#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string>
#include <variant>
#include <vector>

#include "abelc/diagnostics.h"

namespace abelc {

struct Expr;
using ExprPtr = std::shared_ptr<const Expr>;

// Index: kids[0] indexed by `number` down (or up) to `number2`; element 0 is
// the set's last (least significant) one.
enum class ExprKind { Number, Special, Name, Set, Range, Unary, Binary, Index };

// Operators are stored in their standard spelling (@ALTERNATE ones are
// translated by the parser): ! - & # $ !$ + - * / % << >> == != < <= > >=.
struct Expr {
  ExprKind kind = ExprKind::Number;
  SourcePos pos;
  int depth = 0;  // operators and sets from here down to the deepest leaf
  std::uint64_t number = 0, number2 = 0;
  std::string text;   // name, special constant ("X"), operator, or range start
  std::string text2;  // range end
  std::string ext;    // dot extension, upper-case, without the dot ("" = none)
  std::vector<ExprPtr> kids;
};

struct Stmt;

struct Equation {
  SourcePos pos;
  bool negated = false;  // "!target = ..."
  ExprPtr target;
  std::string op;  // "=", ":=", "?=", "?:="
  ExprPtr value;
};

struct When {
  SourcePos pos;
  ExprPtr cond;
  std::vector<Stmt> then_body;
  std::vector<Stmt> else_body;
};

struct Stmt {
  std::variant<Equation, When> body;
};

struct DeclName {
  std::string name;
  bool active_low = false;
  SourcePos pos;
};

struct DeviceDecl {
  SourcePos pos;
  std::string id;
  std::string part;
  SourcePos part_pos;
};

struct PinDecl {
  SourcePos pos;
  bool node = false;
  std::vector<DeclName> names;
  std::vector<int> numbers;  // empty when the numbers are left out
  SourcePos numbers_pos;
  std::vector<std::string> attributes;  // lower-case
  SourcePos attr_pos;
};

struct IstypeDecl {
  SourcePos pos;
  std::vector<DeclName> names;
  std::vector<std::string> attributes;
};

struct ConstDecl {
  SourcePos pos;
  std::vector<DeclName> names;
  std::vector<ExprPtr> values;
};

struct EquationBlock {
  std::vector<Stmt> stmts;
};

struct TableRow {
  SourcePos pos;
  std::vector<ExprPtr> in, reg, out;
};

struct TruthTable {
  SourcePos pos;
  bool dcset = false;  // @DCSET was in effect
  std::vector<ExprPtr> in, reg, out;
  std::vector<TableRow> rows;
};

// One transition of a state: GOTO, IF/THEN/ELSE or CASE, with WITH equations.
struct Transition {
  enum class Kind { Goto, If, Case } kind = Kind::Goto;
  SourcePos pos;
  ExprPtr target;                    // Goto
  std::vector<Stmt> with;            // Goto: WITH ... ENDWITH
  std::vector<ExprPtr> conds;        // If: one; Case: one per branch
  std::vector<Transition> branches;  // If: then [, else]; Case: one per cond
};

struct StateBlock {
  SourcePos pos;
  ExprPtr value;
  std::vector<Stmt> equations;
  std::vector<Transition> transitions;
};

// SYNC_RESET / ASYNC_RESET state : condition; of the later dialect.
struct StateReset {
  SourcePos pos;
  bool async = false;
  ExprPtr target, cond;
};

struct StateDiagram {
  SourcePos pos;
  bool dcset = false;
  bool dcstate = false;  // @DCSTATE: outputs are don't care where the diagram gives no value
  ExprPtr state_reg;
  std::vector<StateReset> resets;
  std::vector<StateBlock> states;
};

struct TestVectors {
  SourcePos pos;
  std::vector<ExprPtr> in, out;
  std::vector<TableRow> rows;  // `reg` unused
};

struct Message {
  SourcePos pos;
  std::string text;
};

// One statement of a FUSES section: fuses `first` to `last` take the bits
// of `value`, its least significant bit in `last`.
struct FuseSetting {
  SourcePos pos;
  std::uint64_t first = 0, last = 0;
  ExprPtr value;
};

using Item = std::variant<DeviceDecl, PinDecl, IstypeDecl, ConstDecl, EquationBlock, TruthTable, StateDiagram,
                          TestVectors, Message, FuseSetting>;

struct Module {
  // Where the parser allocated the expression nodes, all at once: first, so
  // that it is destroyed after them.
  std::shared_ptr<std::pmr::memory_resource> nodes;
  std::string name;
  SourcePos pos;
  std::string title;
  // OPTIONS '-reduce bypin': 'pos' and 'neg' fix each output's polarity.
  bool reduce_by_pin = false;
  std::vector<Item> items;  // in source order
};

}  // namespace abelc
