// Substitution by Shannon expansion: f(t, x) = g(x) & f(1, x) # !g(x) & f(0, x)
// for each variable that reads node t, whose function is g.
#include "abelc/collapse.h"

#include <algorithm>
#include <bit>

namespace abelc {

namespace {

struct Node {
  int output = 0;
  std::uint64_t vars = 0;  // the variables that read it (any dot extension)
  Cover on, off;
};

std::uint64_t Reads(const Cover& f) {
  std::uint64_t vars = 0;
  for (const Cube& c : f) vars |= LiteralMask(c);
  return vars;
}

Cover Substitute(const Cover& f, const Node& n) {
  if ((Reads(f) & n.vars) == 0) return f;
  Cover r = f;
  for (std::uint64_t vars = n.vars; vars; vars &= vars - 1) {
    const int v = std::countr_zero(vars);
    if ((Reads(r) >> v & 1) == 0) continue;
    r = Absorb(Or(And(n.on, Cofactor(r, Literal(v, true))), And(n.off, Cofactor(r, Literal(v, false)))));
  }
  return r;
}

}  // namespace

bool CollapseNodes(LogicModel& model, MinimisedDesign& design, Diagnostics& diags) {
  std::vector<Node> nodes;
  for (std::size_t i = 0; i < model.outputs.size(); ++i) {
    const Output& o = model.outputs[i];
    if (!model.signals[static_cast<std::size_t>(o.signal)].node || o.registered || !o.logic || o.clock ||
        o.reset || o.preset || o.enable) {
      continue;
    }
    Node n;
    n.output = static_cast<int>(i);
    for (std::size_t v = 0; v < model.variables.size(); ++v) {
      if (model.variables[v].signal == o.signal) n.vars |= std::uint64_t{1} << v;
    }
    n.on = o.logic->on;  // its don't cares taken as 0, one valid choice
    nodes.push_back(std::move(n));
  }
  if (nodes.empty()) return true;
  std::uint64_t all_vars = 0;
  for (const Node& n : nodes) all_vars |= n.vars;
  const auto name = [&](const Node& n) {
    return "'" +
           model.signals[static_cast<std::size_t>(model.outputs[static_cast<std::size_t>(n.output)].signal)]
               .name +
           "'";
  };
  const std::int64_t saved = WorkLeft();
  bool ok = true;
  try {
    SetWorkBudget(kMinimiseWorkPerFunction);
    // Nodes read by nodes first: after as many rounds as there are nodes, a
    // node still reading one is on a loop.
    for (std::size_t round = 0; round < nodes.size(); ++round) {
      for (Node& n : nodes) {
        for (const Node& other : nodes) {
          if (&other != &n) n.on = Substitute(n.on, other);
        }
      }
    }
    for (const Node& n : nodes) {
      if (Reads(n.on) & all_vars) {
        diags.Error(model.outputs[static_cast<std::size_t>(n.output)].logic->pos,
                    "the combinational node " + name(n) + " reads itself through a loop of nodes");
        ok = false;
      }
    }
    if (!ok) {
      SetWorkBudget(saved);
      return false;
    }
    for (Node& n : nodes) n.off = Not(n.on);
  } catch (WorkLimitExceeded&) {
    diags.Error(model.outputs[static_cast<std::size_t>(nodes.front().output)].logic->pos,
                "the combinational nodes need more work to collapse than the limit allows");
    SetWorkBudget(saved);
    return false;
  }
  std::vector<bool> is_node(model.outputs.size(), false);
  for (const Node& n : nodes) is_node[static_cast<std::size_t>(n.output)] = true;
  MinimisedDesign collapsed;
  for (MinimisedOutput& mo : design.outputs) {
    const std::size_t i = static_cast<std::size_t>(mo.output);
    if (is_node[i]) continue;
    Output& o = model.outputs[i];
    bool reads = false;
    for (std::optional<Function>* f : {&o.logic, &o.clock, &o.reset, &o.preset, &o.enable}) {
      if (*f) reads = reads || (Reads((*f)->on) & all_vars) || (Reads((*f)->dc) & all_vars);
    }
    if (!reads) {
      collapsed.outputs.push_back(std::move(mo));
      continue;
    }
    try {
      SetWorkBudget(kMinimiseWorkPerFunction);
      for (std::optional<Function>* f : {&o.logic, &o.clock, &o.reset, &o.preset, &o.enable}) {
        if (!*f) continue;
        for (const Node& n : nodes) {
          (*f)->on = Substitute((*f)->on, n);
          (*f)->dc = Substitute((*f)->dc, n);
        }
      }
    } catch (WorkLimitExceeded&) {
      const std::string& reader = model.signals[static_cast<std::size_t>(o.signal)].name;
      diags.Error(
          o.logic ? o.logic->pos : SourcePos{},
          "'" + reader + "' needs more work to take in its combinational nodes than the limit allows");
      ok = false;
      continue;
    }
    Diagnostics again;  // its warnings were given when it was first minimised
    collapsed.outputs.push_back(MinimiseOutput(model, mo.output, again));
    for (const Diagnostic& d : again.List()) {
      if (d.severity == Severity::Error) diags.Error(d.pos, d.message);
    }
    ok = ok && !again.HasErrors();
  }
  SetWorkBudget(saved);
  design = std::move(collapsed);
  return ok;
}

}  // namespace abelc
