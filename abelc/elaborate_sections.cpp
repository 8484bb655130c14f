// Elaboration, part three: equations with WHEN conditions, truth tables,
// state diagrams and test vectors, all collected into per-signal slots.
#include <algorithm>
#include <tuple>

#include "abelc/elaborator.h"

namespace abelc {

namespace {

std::string NormaliseExt(const std::string& ext) {
  if (ext == "C") return "CLK";
  return ext;
}

}  // namespace

std::vector<TargetRef> Elaborator::Targets(const ExprPtr& e, const std::string& ext_in, bool dont_care,
                                           SourcePos use) {
  const std::string ext = e->ext.empty() ? ext_in : e->ext;
  // Inside a constant, errors point at the name that brought the constant in.
  auto at = [&](SourcePos p) { return use.line ? use : p; };
  std::vector<TargetRef> out;
  auto add_name = [&](const std::string& name, SourcePos pos) {
    int s = SignalIndex(name);
    if (s >= 0) {
      out.push_back({s, NormaliseExt(ext), at(pos)});
      return;
    }
    ExprPtr value;
    if (!Constant(name, value)) Fail(at(pos), Undeclared(name));
    if (expanding_.count(name)) Fail(at(pos), "constant '" + name + "' refers to itself");
    expanding_.insert(name);
    std::vector<TargetRef> inner = Targets(value, ext, dont_care, at(pos));
    expanding_.erase(name);
    out.insert(out.end(), inner.begin(), inner.end());
  };
  if (e->kind == ExprKind::Name) {
    add_name(e->text, e->pos);
  } else if (e->kind == ExprKind::Set) {
    for (const ExprPtr& k : e->kids) {
      if (k->kind == ExprKind::Range) {
        std::vector<std::string> names;
        if (!ExpandRange(k->text, k->text2, names))
          Fail(at(k->pos), "invalid range '" + k->text + ".." + k->text2 + "'");
        for (const std::string& n : names) add_name(n, k->pos);
      } else {
        std::vector<TargetRef> inner = Targets(k, ext, dont_care, use);
        out.insert(out.end(), inner.begin(), inner.end());
      }
    }
  } else if (e->kind == ExprKind::Index) {
    const std::vector<TargetRef> all = Targets(e->kids[0], ext, dont_care, use);
    for (std::size_t i : Picked(*e, all.size())) out.push_back(all[i]);
  } else if (dont_care && e->kind == ExprKind::Unary && e->text == "!") {
    for (TargetRef r : Targets(e->kids[0], ext, dont_care, use)) {
      r.inverted = !r.inverted;
      out.push_back(r);
    }
  } else if (dont_care && e->kind == ExprKind::Special && e->text == "X") {
    out.push_back({-1, "", at(e->pos)});  // a position that takes nothing
  } else {
    Fail(at(e->pos), "only signals and sets of signals can be assigned or listed here");
  }
  return out;
}

void Elaborator::Statements(const std::vector<Stmt>& stmts, const Cover& ctx) {
  for (const Stmt& stmt : stmts) {
    try {
      if (const auto* eq = std::get_if<Equation>(&stmt.body)) {
        Assign(*eq, ctx);
      } else {
        const When& w = std::get<When>(stmt.body);
        Cover c = Condition(w.cond);
        Statements(w.then_body, And(ctx, c));
        Statements(w.else_body, And(ctx, Not(c)));
      }
    } catch (Failure&) {
    } catch (WorkLimitExceeded&) {
      SourcePos pos = std::holds_alternative<Equation>(stmt.body) ? std::get<Equation>(stmt.body).pos
                                                                  : std::get<When>(stmt.body).pos;
      diags_.Error(pos, "this equation makes logic too large to handle");
      SetWorkBudget(50'000'000);
    }
  }
}

void Elaborator::Assign(const Equation& eq, const Cover& ctx) {
  std::vector<TargetRef> targets = Targets(eq.target, "", true);
  Value v = Eval(eq.value, "");
  std::vector<Bit> bits = AssignBits(v, targets.size(), eq.value->pos);
  for (std::size_t i = 0; i < targets.size(); ++i) {
    if (targets[i].signal < 0) continue;
    if (specified_) {
      // A state diagram under @DCSET: the equation gives the output a value
      // wherever it applies.
      auto& [where, target, op] = (*specified_)[{targets[i].signal, targets[i].ext}];
      if (target.pos.line == 0) {
        target = targets[i];
        op = eq.op == ":=" || eq.op == "?:=" ? "?:=" : "?=";
      }
      where = Or(where, ctx);
    }
    // "q.D := f" is read as "q.D = f", as the later dialect does.
    const std::string op = eq.op == ":=" && targets[i].ext == "D" ? "=" : eq.op;
    const bool negated = eq.negated != targets[i].inverted;
    AddTo(targets[i], op, negated, And(ctx, bits[i].f));
    // One bit 'left $ right' outside any condition: its sides, for an XOR gate.
    const std::string& ext = targets[i].ext;
    if (targets.size() == 1 && (ext.empty() || ext == "D") && eq.value->kind == ExprKind::Binary &&
        eq.value->text == "$" && IsTrue(ctx) && (op == "=" || op == ":=")) {
      std::vector<Bit> left = AssignBits(Eval(eq.value->kids[0], ""), 1, eq.value->pos);
      std::vector<Bit> right = AssignBits(Eval(eq.value->kids[1], ""), 1, eq.value->pos);
      slots_[{targets[i].signal, ""}].xor_sides =
          std::pair{left[0].f, negated ? Not(right[0].f) : right[0].f};
    }
  }
}

void Elaborator::AddTo(const TargetRef& t, const std::string& op, bool negated, const Cover& f) {
  const std::string& name = m_.signals[static_cast<std::size_t>(t.signal)].name;
  std::string ext = t.ext;
  if (m_.device.family == Family::Gal20RA10) {
    // Each register's own asynchronous reset (.AR, .RE) and preset (.AP, .PR,
    // kept where other families keep .SP); there is no synchronous preset.
    if (ext == "SP") {
      // As the classic compiler builds it: the register's own preset row.
      diags_.Warning(t.pos, "'" + name + ".SP' presets asynchronously: the GAL20RA10 has no synchronous " +
                                "preset, and its preset term ('.AP') takes the equation");
      ext = "AP";
    }
    if (ext == "RE") ext = "AR";
    if (ext == "AP" || ext == "PR") ext = "SP";
  }
  if (ext == "Q" || ext == "FB" || ext == "PIN")
    Fail(t.pos, "'" + name + "." + ext + "' is feedback and cannot be assigned");
  const bool pla = IsPlaFamily(m_.device.family);
  if (pla && (ext == "J" || ext == "K" || ext == "T")) {
    Fail(t.pos, "'" + name + "." + ext + "': the " + m_.device.part +
                    " is fitted with D registers only; write the register's next state with ':=' or '.D'");
  }
  if (pla && ext == "SP") Fail(t.pos, "the " + m_.device.part + " has no preset");
  if (!ext.empty() && ext != "D" && ext != "CLK" && ext != "AR" && ext != "SP" && ext != "OE" &&
      !(pla && (ext == "CE" || ext == "LE"))) {
    Fail(t.pos, "'." + ext + "' is not available on " + (pla ? "the " + m_.device.part : "GAL devices"));
  }
  const bool v8 = m_.device.family == Family::Gal16V8 || m_.device.family == Family::Gal20V8 ||
                  m_.device.family == Family::Gal20XV10;
  if (v8 && (ext == "AR" || ext == "SP")) {
    Fail(t.pos,
         "the " + m_.device.part + " has no " + (ext == "AR" ? "asynchronous reset" : "synchronous preset"));
  }
  const bool registered_op = op == ":=" || op == "?:=";
  if (registered_op && !ext.empty()) Fail(t.pos, "':=' cannot assign '" + name + "." + ext + "'");
  Slot& slot = slots_[{t.signal, ext == "D" ? "" : ext}];
  if (slot.first.line == 0) slot.first = t.pos;
  ++slot.equations;
  if (registered_op) {
    slot.reg_op = true;
  } else if (ext == "D") {
    slot.d_ext = true;
  } else if (ext.empty()) {
    slot.com_op = true;
  }
  if (op == "?=" || op == "?:=") {
    slot.dc = Or(slot.dc, f);
  } else if (negated) {
    slot.neg = Or(slot.neg, f);
    slot.has_neg = true;
  } else {
    slot.pos = Or(slot.pos, f);
  }
}

// The widths of a header item's elements when it is a set written out
// ("[clk, en, d3..d0]" gives 1, 1, 4), else its one width.
std::vector<std::size_t> Elaborator::SubWidths(const ExprPtr& header, bool targets) {
  auto width = [&](const ExprPtr& e) {
    return targets ? Targets(e, "", true).size() : Eval(e, "").bits.size();
  };
  if (header->kind != ExprKind::Set) return {width(header)};
  std::vector<std::size_t> widths;
  for (const ExprPtr& k : header->kids) {
    auto one = std::make_shared<Expr>(*header);
    one->kids = {k};
    widths.push_back(width(one));
  }
  return widths;
}

// A row value for one header item, cut like the header when it is a set
// with as many elements ("[C, 1, 0, 5]" under "[clk, ld, en, D]").
std::vector<std::pair<ExprPtr, std::size_t>> Elaborator::SplitRowValue(const ExprPtr& header,
                                                                       const std::vector<std::size_t>& widths,
                                                                       const ExprPtr& value) {
  std::size_t total = 0;
  for (std::size_t w : widths) total += w;
  // A set value is matched with a set header member for member before
  // either is flattened: [Y, f] with Y = [y1, y0] takes [2, 0], not [1, 0, 0].
  auto as_set = [&](const ExprPtr& e) {
    ExprPtr v;
    if (e->kind == ExprKind::Name && e->ext.empty() && SignalIndex(e->text) < 0 && Constant(e->text, v))
      return v;
    return e;
  };
  const ExprPtr h = as_set(header), v = as_set(value);
  if (h->kind == ExprKind::Set && v->kind == ExprKind::Set &&
      std::none_of(v->kids.begin(), v->kids.end(),
                   [](const ExprPtr& k) { return k->kind == ExprKind::Range; })) {
    // A range counts one member per name, as in the classic compiler, or
    // as one member as the header's cut below takes it.
    std::size_t members = 0, cut = h->kids.size();
    for (const ExprPtr& k : h->kids) {
      if (k->kind != ExprKind::Range) {
        ++members;
        continue;
      }
      auto range = std::make_shared<Expr>(*h);
      range->kids = {k};
      members += Targets(range, "", true).size();
    }
    if (v->kids.size() != members && v->kids.size() != cut) {
      Fail(value->pos, "the value is a set of " + std::to_string(v->kids.size()) +
                           " members, the header's set has " + std::to_string(members));
    }
  }
  bool split = header->kind == ExprKind::Set && value->kind == ExprKind::Set && widths.size() > 1 &&
               value->kids.size() == widths.size() &&
               std::none_of(value->kids.begin(), value->kids.end(),
                            [](const ExprPtr& k) { return k->kind == ExprKind::Range; });
  if (!split) return {{value, total}};
  std::vector<std::pair<ExprPtr, std::size_t>> parts;
  for (std::size_t i = 0; i < widths.size(); ++i) parts.push_back({value->kids[i], widths[i]});
  return parts;
}

// The header's items as columns of pins, with the widths of their elements.
std::vector<TargetRef> Elaborator::Columns(const std::vector<ExprPtr>& items,
                                           std::vector<std::vector<std::size_t>>& widths) {
  std::vector<TargetRef> columns;
  for (const ExprPtr& item : items) {
    for (const TargetRef& r : Targets(item, "", true)) {
      if (!r.ext.empty()) Fail(r.pos, "test vectors list pins, without dot extensions");
      columns.push_back(r);
    }
    widths.push_back(SubWidths(item, true));
  }
  return columns;
}

void Elaborator::Table(const TruthTable& t) {
  std::vector<std::vector<Bit>> ins;
  std::vector<std::vector<std::size_t>> in_widths, reg_widths, out_widths;
  for (const ExprPtr& item : t.in) {
    Value v = Eval(item, "");
    if (v.kind == Value::Kind::Number) Fail(item->pos, "a truth table input must be a signal or a set");
    ins.push_back(v.bits);
    in_widths.push_back(SubWidths(item, false));
  }
  std::vector<std::vector<TargetRef>> regs, outs;
  for (const ExprPtr& item : t.reg) {
    regs.push_back(Targets(item, ""));
    reg_widths.push_back(SubWidths(item, true));
  }
  for (const ExprPtr& item : t.out) {
    outs.push_back(Targets(item, ""));
    out_widths.push_back(SubWidths(item, true));
  }
  // A row value's bits for header item j, cut like the header.
  auto row_bits = [&](const std::vector<ExprPtr>& header, const std::vector<std::vector<std::size_t>>& widths,
                      std::size_t j, const ExprPtr& value) {
    std::vector<int> bits;
    for (const auto& [e, w] : SplitRowValue(header[j], widths[j], value)) {
      std::vector<int> part = ConstantBits(e, w);
      bits.insert(bits.end(), part.begin(), part.end());
    }
    return bits;
  };
  // Rows not listed are 0 whatever 'pos' or 'neg' say (don't care under @dcset).
  // What the rows so far gave each output (keyed by signal and by whether
  // it is a register column), to find rows that contradict each other.
  struct Given {
    Cover cond;
    int value;  // 0, 1, or 2 for .X.
    int line;
  };
  std::map<std::pair<int, bool>, std::vector<Given>> given;
  auto value_text = [](int v) { return v == 2 ? std::string(".X.") : std::to_string(v); };
  Cover listed = False();
  for (const TableRow& row : t.rows) {
    try {
      if (row.in.size() != t.in.size() || row.reg.size() != t.reg.size() || row.out.size() != t.out.size()) {
        Fail(row.pos, "the row does not have one value for each item of the header");
      }
      Cover cond = True();
      for (std::size_t j = 0; j < ins.size(); ++j) {
        std::vector<int> bits = row_bits(t.in, in_widths, j, row.in[j]);
        for (std::size_t k = 0; k < bits.size(); ++k) {
          if (bits[k] == 1) cond = And(cond, ins[j][k].f);
          if (bits[k] == 0) cond = And(cond, Not(ins[j][k].f));
        }
      }
      // A row may repeat what an earlier row says for the same inputs, but
      // not contradict it: 1 against 0, or a value against .X. (the function
      // and its don't-care set must not overlap).
      struct Entry {
        const TargetRef* ref;
        bool registered;
        int value;
      };
      std::vector<Entry> entries;
      auto collect = [&](const std::vector<std::vector<TargetRef>>& group, const std::vector<ExprPtr>& header,
                         const std::vector<std::vector<std::size_t>>& widths,
                         const std::vector<ExprPtr>& values, bool registered) {
        for (std::size_t j = 0; j < group.size(); ++j) {
          std::vector<int> bits = row_bits(header, widths, j, values[j]);
          for (std::size_t k = 0; k < bits.size(); ++k)
            entries.push_back({&group[j][k], registered, bits[k]});
        }
      };
      collect(regs, t.reg, reg_widths, row.reg, true);
      collect(outs, t.out, out_widths, row.out, false);
      for (const Entry& e : entries) {
        for (const Given& g : given[{e.ref->signal, e.registered}]) {
          if (g.value == e.value || !Intersects(g.cond, cond)) continue;
          const std::string& name = m_.signals[static_cast<std::size_t>(e.ref->signal)].name;
          Fail(row.pos, "truth table rows contradict each other: '" + name + "' is " + value_text(g.value) +
                            " in the row on line " + std::to_string(g.line) + " and " + value_text(e.value) +
                            " in this row for the same inputs");
        }
      }
      listed = Or(listed, cond);
      for (const Entry& e : entries) {
        given[{e.ref->signal, e.registered}].push_back({cond, e.value, row.pos.line});
        const char* op = e.registered ? ":=" : "=";
        if (e.value == 1) AddTo(*e.ref, op, false, cond);
        if (e.value == 2) AddTo(*e.ref, std::string("?") + op, false, cond);
      }
    } catch (Failure&) {
    }
  }
  if (!t.dcset) return;
  Cover unlisted = Not(listed);
  for (const auto& refs : regs) {
    for (const TargetRef& r : refs) AddTo(r, "?:=", false, unlisted);
  }
  for (const auto& refs : outs) {
    for (const TargetRef& r : refs) AddTo(r, "?=", false, unlisted);
  }
}

void Elaborator::Diagram(const StateDiagram& d) {
  std::vector<TargetRef> regs = Targets(d.state_reg, "");
  Value reg_value = Eval(d.state_reg, "");
  // Every state bit is a register; where no transition is taken it loads 0,
  // whatever 'pos' or 'neg' say (don't care under @dcset).
  for (const TargetRef& r : regs) AddTo(r, ":=", false, False());
  // A state register must say how it registers: the equations the diagram
  // makes depend on it.
  for (const TargetRef& r : regs) {
    const Signal& sig = m_.signals[static_cast<std::size_t>(r.signal)];
    if (sig.attrs.reg || sig.attrs.reg_d || d.states.empty()) continue;
    const StateBlock& first = d.states.front();
    const SourcePos at = first.transitions.empty() ? first.pos : first.transitions.front().pos;
    diags_.Error(at, "no register type for state register '" + sig.name + "'; declare it with ISTYPE 'reg'");
  }
  // SYNC_RESET: from every state, listed or not, to its state while its
  // condition holds, before any transition of the state. ASYNC_RESET: the
  // 22V10's asynchronous reset, which can give only the all-0 state.
  Cover sync = False();
  for (const StateReset& r : d.resets) {
    try {
      const Cover cond = Condition(r.cond);
      if (r.async) {
        const Value code = Eval(r.target, "");
        const bool zero = code.kind == Value::Kind::Number
                              ? code.number == 0
                              : std::all_of(code.bits.begin(), code.bits.end(),
                                            [](const Bit& b) { return b.f.empty() && !b.dont_care; });
        if (!zero) Fail(r.target->pos, "ASYNC_RESET can only go to the state whose code is all 0");
        for (const TargetRef& reg : regs) {
          const Signal& sig = m_.signals[static_cast<std::size_t>(reg.signal)];
          if (!sig.attrs.buffer) {
            Fail(r.pos,
                 "ASYNC_RESET needs the state register's bits declared 'buffer', so that the reset shows "
                 "0 on '" +
                     sig.name + "'");
          }
          AddTo({reg.signal, "AR", r.pos}, "=", false, cond);
        }
        continue;
      }
      Transition to;
      to.kind = Transition::Kind::Goto;
      to.pos = r.pos;
      to.target = r.target;
      Cover ignored = False();
      Transit(to, And(cond, Not(sync)), regs, ignored);
      sync = Or(sync, cond);
    } catch (Failure&) {
    }
  }
  Cover known_states = False();
  std::map<std::pair<int, std::string>, std::tuple<Cover, TargetRef, std::string>> specified;
  if (d.dcset || d.dcstate) specified_ = &specified;
  for (const StateBlock& s : d.states) {
    try {
      Value code = Eval(s.value, "");
      if (code.kind != Value::Kind::Number && code.bits.size() != regs.size()) {
        Fail(s.value->pos, "the state value has " + std::to_string(code.bits.size()) +
                               " bits, the state register " + std::to_string(regs.size()));
      }
      Expr eq;
      eq.kind = ExprKind::Binary;
      eq.text = "==";
      eq.pos = s.pos;
      Cover in_state = EvalBinary(eq, reg_value, code).bits[0].f;
      if (Intersects(known_states, in_state)) Fail(s.value->pos, "this state code is already used");
      known_states = Or(known_states, in_state);
      Statements(s.equations, in_state);
      Cover covered = And(in_state, sync);
      for (const Transition& t : s.transitions) Transit(t, And(in_state, Not(sync)), regs, covered);
      if (d.dcset) {
        for (const TargetRef& r : regs) AddTo(r, "?:=", false, And(in_state, Not(covered)));
      }
    } catch (Failure&) {
    }
  }
  specified_ = nullptr;
  if (d.dcset) {
    for (const TargetRef& r : regs) AddTo(r, "?:=", false, And(Not(known_states), Not(sync)));
  }
  if (d.dcset || d.dcstate) {
    // The diagram's other outputs are don't care wherever it gives them no value.
    for (const auto& entry : specified) {
      const std::pair<int, std::string>& key = entry.first;
      const auto& [where, target, op] = entry.second;
      const bool state_bit = std::any_of(regs.begin(), regs.end(), [&](const TargetRef& r) {
        return r.signal == key.first && r.ext == key.second;
      });
      if (!state_bit) AddTo(target, op, false, Not(where));
    }
  }
}

void Elaborator::Transit(const Transition& t, const Cover& ctx, const std::vector<TargetRef>& regs,
                         Cover& covered) {
  switch (t.kind) {
    case Transition::Kind::Goto: {
      std::vector<Bit> bits = AssignBits(Eval(t.target, ""), regs.size(), t.target->pos);
      for (std::size_t i = 0; i < regs.size(); ++i) {
        AddTo(regs[i], ":=", false, And(ctx, bits[i].f));
      }
      Statements(t.with, ctx);
      covered = Or(covered, ctx);
      return;
    }
    case Transition::Kind::If: {
      Cover c = Condition(t.conds[0]);
      Transit(t.branches[0], And(ctx, c), regs, covered);
      if (t.branches.size() > 1) Transit(t.branches[1], And(ctx, Not(c)), regs, covered);
      return;
    }
    case Transition::Kind::Case:
      for (std::size_t i = 0; i < t.conds.size(); ++i) {
        Transit(t.branches[i], And(ctx, Condition(t.conds[i])), regs, covered);
      }
      return;
  }
}

// Test-vector values as characters, `width` of them: numbers in binary,
// special constants as their letter, sets element by element.
std::string Elaborator::VectorChars(const ExprPtr& e, std::size_t width, bool natural) {
  if (e->kind == ExprKind::Special) {
    if (e->text.size() > 1) Fail(e->pos, "'." + e->text + ".' is not supported in test vectors");
    return std::string(natural ? 1 : width, e->text[0]);
  }
  ExprPtr value;
  if (e->kind == ExprKind::Name && SignalIndex(e->text) < 0 && Constant(e->text, value)) {
    if (expanding_.count(e->text)) Fail(e->pos, "constant '" + e->text + "' refers to itself");
    expanding_.insert(e->text);
    std::string chars = VectorChars(value, width, natural);
    expanding_.erase(e->text);
    return chars;
  }
  if (e->kind == ExprKind::Set) {
    std::string chars;
    for (const ExprPtr& k : e->kids) chars += VectorChars(k, 1, true);
    if (!natural && chars.size() != width) {
      Fail(e->pos, "the value has " + std::to_string(chars.size()) + " elements, the column " +
                       std::to_string(width));
    }
    return chars;
  }
  Value v = Eval(e, "");
  if (v.kind != Value::Kind::Number) Fail(e->pos, "test vector values must be constants");
  std::string chars;
  const std::size_t n = natural ? 1 : width;
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t shift = n - 1 - i;
    chars += (shift < 64 && ((v.number >> shift) & 1)) ? '1' : '0';
  }
  return chars;
}

void Elaborator::Vectors(const TestVectors& v) {
  VectorTable table;
  std::vector<std::vector<std::size_t>> in_widths, out_widths;
  const std::vector<TargetRef> all_in = Columns(v.in, in_widths);
  const std::vector<TargetRef> all_out = Columns(v.out, out_widths);
  // Active-low names and "!name" columns read their values inverted.
  std::vector<bool> in_inverted, out_inverted;
  for (const TargetRef& r : all_in) {
    if (r.signal < 0) continue;
    table.in_signals.push_back(r.signal);
    in_inverted.push_back(m_.signals[static_cast<std::size_t>(r.signal)].active_low != r.inverted);
  }
  for (const TargetRef& r : all_out) {
    if (r.signal < 0) continue;
    table.out_signals.push_back(r.signal);
    out_inverted.push_back(m_.signals[static_cast<std::size_t>(r.signal)].active_low != r.inverted);
  }
  for (const TableRow& row : v.rows) {
    try {
      if (row.in.size() != v.in.size() || row.out.size() != v.out.size()) {
        Fail(row.pos, "the vector does not have one value for each item of the header");
      }
      VectorRow out;
      out.pos = row.pos;
      for (std::size_t j = 0; j < row.in.size(); ++j) {
        for (const auto& [e, w] : SplitRowValue(v.in[j], in_widths[j], row.in[j]))
          out.in += VectorChars(e, w, false);
      }
      for (std::size_t j = 0; j < row.out.size(); ++j) {
        for (const auto& [e, w] : SplitRowValue(v.out[j], out_widths[j], row.out[j]))
          out.out += VectorChars(e, w, false);
      }
      // .X. in a header set: a column neither driven nor tested.
      auto keep = [](const std::vector<TargetRef>& columns, std::string& chars) {
        std::string kept;
        for (std::size_t k = 0; k < chars.size() && k < columns.size(); ++k) {
          if (columns[k].signal >= 0) kept += chars[k];
        }
        chars = kept;
      };
      keep(all_in, out.in);
      keep(all_out, out.out);
      // Inverted columns read their values inverted; outputs become levels.
      for (std::size_t k = 0; k < out.in.size(); ++k) {
        char& c = out.in[k];
        if (in_inverted[k] && (c == '0' || c == '1')) c = c == '0' ? '1' : '0';
      }
      for (std::size_t k = 0; k < out.out.size(); ++k) {
        char& c = out.out[k];
        const bool low = out_inverted[k];
        if (c == '0' || c == '1') {
          c = ((c == '1') != low) ? 'H' : 'L';
        } else if (c != 'X' && c != 'Z') {
          Fail(row.pos, std::string("'.") + c + ".' cannot be an expected output value");
        }
      }
      table.rows.push_back(std::move(out));
    } catch (Failure&) {
    }
  }
  m_.vectors.push_back(std::move(table));
}

}  // namespace abelc
