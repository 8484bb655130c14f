// Elaboration, part two: expressions. Numbers stay numbers until they meet a
// signal or a set; sets combine bit by bit, and + - and the comparisons are
// built as ripple chains.
#include <algorithm>

#include "abelc/elaborator.h"
#include "abelc/nesting_guard.h"

namespace abelc {

namespace {

Value Number(std::uint64_t n) {
  return {Value::Kind::Number, n, {}};
}

Value Scalar(Cover f) {
  return {Value::Kind::Scalar, 0, {Bit{std::move(f), false}}};
}

Cover Const(bool b) {
  return b ? True() : False();
}

std::vector<Bit> NumberBits(std::uint64_t n, std::size_t width) {
  std::vector<Bit> bits(width);
  for (std::size_t i = 0; i < width; ++i) {
    std::size_t shift = width - 1 - i;
    bits[i].f = Const(shift < 64 && ((n >> shift) & 1) != 0);
  }
  return bits;
}

// Ripple adder over bits stored most significant first; the carry out is dropped.
std::vector<Bit> Add(const std::vector<Bit>& a, const std::vector<Bit>& b, bool carry_in) {
  std::vector<Bit> sum(a.size());
  Cover carry = Const(carry_in);
  for (std::size_t k = a.size(); k-- > 0;) {
    Cover half = Xor(a[k].f, b[k].f);
    sum[k].f = Xor(half, carry);
    if (k > 0) carry = Or(And(a[k].f, b[k].f), And(half, carry));
  }
  return sum;
}

std::vector<Bit> Invert(std::vector<Bit> bits) {
  for (Bit& b : bits) b.f = Not(b.f);
  return bits;
}

bool IsCompare(const std::string& op) {
  return op == "==" || op == "!=" || op == "<" || op == "<=" || op == ">" || op == ">=";
}

std::uint64_t NumericOp(const std::string& op, std::uint64_t a, std::uint64_t b, bool& ok) {
  ok = true;
  if (op == "&") return a & b;
  if (op == "#") return a | b;
  if (op == "$") return a ^ b;
  if (op == "!$") return ~(a ^ b);
  if (op == "+") return a + b;
  if (op == "-") return a - b;
  if (op == "*") return a * b;
  if (op == "<<") return b >= 64 ? 0 : a << b;
  if (op == ">>") return b >= 64 ? 0 : a >> b;
  const std::uint64_t all = ~std::uint64_t{0};
  if (op == "==") return a == b ? all : 0;
  if (op == "!=") return a != b ? all : 0;
  if (op == "<") return a < b ? all : 0;
  if (op == "<=") return a <= b ? all : 0;
  if (op == ">") return a > b ? all : 0;
  if (op == ">=") return a >= b ? all : 0;
  if (b == 0) {
    ok = false;
    return 0;
  }
  return op == "/" ? a / b : a % b;
}

// a < b (unsigned, most significant bit first), or a <= b; bit positions
// that are .X. on either side are left out of the comparison.
Cover LessThan(const std::vector<Bit>& a, const std::vector<Bit>& b, bool or_equal) {
  Cover result = False();
  Cover equal_so_far = True();
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].dont_care || b[i].dont_care) continue;
    result = Or(result, And(equal_so_far, And(Not(a[i].f), b[i].f)));
    equal_so_far = And(equal_so_far, Not(Xor(a[i].f, b[i].f)));
  }
  return or_equal ? Or(result, equal_so_far) : result;
}

}  // namespace

int Elaborator::Var(int signal, Feedback kind, SourcePos pos) {
  auto key = std::make_pair(signal, kind);
  auto it = var_index_.find(key);
  if (it != var_index_.end()) return it->second;
  if (m_.variables.size() >= static_cast<std::size_t>(kMaxVariables)) {
    Fail(pos, "the design reads more than 64 different pins and feedbacks");
  }
  static const char* const kSuffix[] = {"", ".FB", ".Q", ".PIN"};
  const std::string& name = m_.signals[static_cast<std::size_t>(signal)].name;
  m_.variables.push_back({signal, kind, name + kSuffix[static_cast<int>(kind)]});
  int index = static_cast<int>(m_.variables.size()) - 1;
  var_index_[key] = index;
  return index;
}

const ConstDecl* Elaborator::Constant(const std::string& name, ExprPtr& value) const {
  auto it = constants_.find(name);
  if (it == constants_.end()) return nullptr;
  value = it->second.second;
  return it->second.first;
}

Value Elaborator::EvalName(const Expr& e, const std::string& name, const std::string& ext_in) {
  const std::string ext = e.ext.empty() ? ext_in : e.ext;
  int s = SignalIndex(name);
  if (s >= 0) {
    Feedback kind = Feedback::Plain;
    if (ext == "FB") {
      kind = Feedback::Fb;
    } else if (ext == "Q") {
      kind = Feedback::Q;
    } else if (ext == "PIN") {
      kind = Feedback::Pin;
    } else if (!ext.empty()) {
      Fail(e.pos, "'" + name + "." + ext + "' cannot be read; use .FB, .Q or .PIN for feedback");
    }
    bool active_low = m_.signals[static_cast<std::size_t>(s)].active_low;
    return Scalar({Literal(Var(s, kind, e.pos), !active_low)});
  }
  ExprPtr value;
  if (!Constant(name, value)) Fail(e.pos, Undeclared(name));
  if (expanding_.count(name)) {
    use_ = {};  // the declaration's own fault
    Fail(e.pos, "constant '" + name + "' refers to itself");
  }
  expanding_.insert(name);
  // An error inside the constant's value is the use's error: it points there.
  const bool outermost = use_.line == 0;
  if (outermost) {
    use_ = e.pos;
    use_note_ = " (in constant '" + name + "' of line " + std::to_string(value->pos.line) + ")";
  }
  try {
    Value v = Eval(value, ext);
    expanding_.erase(name);
    if (outermost) use_ = {};
    return v;
  } catch (...) {
    expanding_.erase(name);
    if (outermost) use_ = {};
    throw;
  }
}

Value Elaborator::Eval(const ExprPtr& e, const std::string& ext) {
  const NestingGuard nesting(eval_depth_);
  if (eval_depth_ > kMaxEvalDepth)
    Fail(e->pos, "the expression is more than 1000 operators deep, counting those of the constants it uses");
  switch (e->kind) {
    case ExprKind::Number:
      return Number(e->number);
    case ExprKind::Special: {
      if (e->text != "X") Fail(e->pos, "'." + e->text + ".' may only be used in test vectors");
      Value v = Scalar(False());
      v.bits[0].dont_care = true;
      return v;
    }
    case ExprKind::Name:
      return EvalName(*e, e->text, ext);
    case ExprKind::Range:
      Fail(e->pos, "a range may only stand inside a set");
    case ExprKind::Set: {
      Value v;
      v.kind = Value::Kind::Set;
      const std::string inner = e->ext.empty() ? ext : e->ext;
      for (const ExprPtr& k : e->kids) {
        if (k->kind == ExprKind::Range) {
          std::vector<std::string> names;
          if (!ExpandRange(k->text, k->text2, names)) {
            Fail(k->pos, "invalid range '" + k->text + ".." + k->text2 + "'");
          }
          for (const std::string& n : names) v.bits.push_back(EvalName(*k, n, inner).bits[0]);
          continue;
        }
        Value item = Eval(k, inner);
        if (item.kind == Value::Kind::Number) {
          v.bits.push_back(NumberBits(item.number, 1)[0]);
        } else {
          v.bits.insert(v.bits.end(), item.bits.begin(), item.bits.end());
        }
      }
      if (v.bits.empty()) Fail(e->pos, "empty set");
      return v;
    }
    case ExprKind::Unary: {
      Value v = Eval(e->kids[0], ext);
      if (v.kind == Value::Kind::Number) return Number(e->text == "!" ? ~v.number : -v.number);
      if (e->text == "!") {
        v.bits = Invert(v.bits);
      } else {
        v.bits = Add(Invert(v.bits), NumberBits(0, v.bits.size()), true);
      }
      return v;
    }
    case ExprKind::Binary:
      return EvalBinary(*e, Eval(e->kids[0], ext), Eval(e->kids[1], ext));
    case ExprKind::Index: {
      const Value base = Eval(e->kids[0], e->ext.empty() ? ext : e->ext);
      if (base.kind == Value::Kind::Number) Fail(e->pos, "only a set or a signal can be indexed");
      Value v;
      v.kind = Value::Kind::Set;
      for (std::size_t i : Picked(*e, base.bits.size())) v.bits.push_back(base.bits[i]);
      if (v.bits.size() == 1) v.kind = Value::Kind::Scalar;
      return v;
    }
  }
  Fail(e->pos, "unknown expression");
}

std::vector<std::size_t> Elaborator::Picked(const Expr& e, std::size_t width) {
  for (std::uint64_t i : {e.number, e.number2}) {
    if (i >= width) {
      Fail(e.pos, "index " + std::to_string(i) + " is outside the set of " + std::to_string(width) +
                      " elements (0 is the last one)");
    }
  }
  std::vector<std::size_t> picked;
  for (std::uint64_t i = e.number;; i = e.number <= e.number2 ? i + 1 : i - 1) {
    picked.push_back(width - 1 - static_cast<std::size_t>(i));
    if (i == e.number2) break;
  }
  return picked;
}

// A value spread over `width` bits: numbers in binary, a signal copied to
// every bit, a set as it is.
std::vector<Bit> Elaborator::Widen(const Value& v, std::size_t width) const {
  if (v.kind == Value::Kind::Number) return NumberBits(v.number, width);
  if (v.kind == Value::Kind::Scalar) return std::vector<Bit>(width, v.bits[0]);
  return v.bits;
}

Value Elaborator::EvalBinary(const Expr& e, const Value& l, const Value& r) {
  const std::string& op = e.text;
  if (l.kind == Value::Kind::Number && r.kind == Value::Kind::Number) {
    bool ok = true;
    std::uint64_t n = NumericOp(op, l.number, r.number, ok);
    if (!ok) Fail(e.pos, "division by zero");
    return Number(n);
  }
  if (op == "*" || op == "/" || op == "%" || op == "<<" || op == ">>") {
    Fail(e.pos, "'" + op + "' works on numbers only, not on signals or sets");
  }
  const bool l_set = l.kind == Value::Kind::Set, r_set = r.kind == Value::Kind::Set;
  if (l_set && r_set && l.bits.size() != r.bits.size()) {
    Fail(e.pos, "'" + op + "' joins sets of different widths (" + std::to_string(l.bits.size()) + " and " +
                    std::to_string(r.bits.size()) + ")");
  }
  const std::size_t width = l_set ? l.bits.size() : r_set ? r.bits.size() : 1;
  std::vector<Bit> a = Widen(l, width), b = Widen(r, width);
  Value out;
  out.kind = (l_set || r_set) ? Value::Kind::Set : Value::Kind::Scalar;
  if (IsCompare(op)) {
    Cover f;
    if (op == "==" || op == "!=") {
      f = True();
      for (std::size_t i = 0; i < width; ++i) {
        if (!a[i].dont_care && !b[i].dont_care) f = And(f, Not(Xor(a[i].f, b[i].f)));
      }
      if (op == "!=") f = Not(f);
    } else if (op == "<" || op == "<=") {
      f = LessThan(a, b, op == "<=");
    } else {
      f = LessThan(b, a, op == ">=");
    }
    return Scalar(std::move(f));
  }
  if (op == "+") {
    out.bits = Add(a, b, false);
  } else if (op == "-") {
    out.bits = Add(a, Invert(b), true);
  } else {
    out.bits.resize(width);
    for (std::size_t i = 0; i < width; ++i) {
      const Cover& x = a[i].f;
      const Cover& y = b[i].f;
      if (op == "&") {
        out.bits[i].f = And(x, y);
      } else if (op == "#") {
        out.bits[i].f = Or(x, y);
      } else if (op == "$") {
        out.bits[i].f = Xor(x, y);
      } else {
        out.bits[i].f = Not(Xor(x, y));
      }
      out.bits[i].dont_care = a[i].dont_care || b[i].dont_care;
    }
  }
  return out;
}

Cover Elaborator::Condition(const ExprPtr& e) {
  Value v = Eval(e, "");
  if (v.kind == Value::Kind::Number) return Const((v.number & 1) != 0);
  if (v.bits.size() != 1) {
    Fail(e->pos, "a condition must be one bit wide, not a set of " + std::to_string(v.bits.size()));
  }
  return v.bits[0].f;
}

std::vector<Bit> Elaborator::AssignBits(const Value& v, std::size_t width, SourcePos pos) {
  if (v.kind == Value::Kind::Set && v.bits.size() != width) {
    Fail(pos, "a set of " + std::to_string(v.bits.size()) + " bits is assigned to " + std::to_string(width) +
                  (width == 1 ? " signal" : " signals"));
  }
  return Widen(v, width);
}

// Row values of truth tables: 0, 1 or 2 (.X.) per bit.
std::vector<int> Elaborator::ConstantBits(const ExprPtr& e, std::size_t width) {
  Value v = Eval(e, "");
  std::vector<Bit> bits = AssignBits(v, width, e->pos);
  std::vector<int> out;
  for (const Bit& b : bits) {
    if (b.dont_care) {
      out.push_back(2);
    } else if (b.f.empty()) {
      out.push_back(0);
    } else if (IsTrue(b.f)) {
      out.push_back(1);
    } else {
      Fail(e->pos, "truth table values must be constants");
    }
  }
  return out;
}

}  // namespace abelc
