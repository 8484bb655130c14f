// Espresso-style minimisation. Expand raises each cube as far as the off-set
// allows, preferring the literals whose removal swallows most other cubes;
// irredundant drops cubes the rest already cover; reduce shrinks each cube to
// what only it covers, so the next expand can find a better direction.
#include "abelc/minimise.h"

#include <algorithm>
#include <bit>

#include "abelc/exact_cover.h"

namespace abelc {

namespace {

struct Cost {
  std::size_t terms;
  int literals;
  bool operator<(const Cost& o) const { return terms != o.terms ? terms < o.terms : literals < o.literals; }
};

Cost CostOf(const Cover& f) {
  return {f.size(), TotalLiterals(f)};
}

bool HitsOffSet(const Cube& c, const Cover& off) {
  SpendWork(static_cast<std::int64_t>(off.size()));
  return std::any_of(off.begin(), off.end(), [&](const Cube& r) { return !IsEmpty(Intersect(c, r)); });
}

Cover Expand(Cover f, const Cover& off) {
  std::stable_sort(f.begin(), f.end(),
                   [](const Cube& a, const Cube& b) { return LiteralCount(a) < LiteralCount(b); });
  std::vector<bool> covered(f.size(), false);
  Cover out;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (covered[i]) continue;
    Cube c = f[i];
    for (;;) {
      int best_var = -1, best_gain = -1;
      for (std::uint64_t lits = LiteralMask(c); lits; lits &= lits - 1) {
        int v = std::countr_zero(lits);
        Cube raised = Raise(c, std::uint64_t{1} << v);
        if (HitsOffSet(raised, off)) continue;
        int gain = 0;
        for (std::size_t j = 0; j < f.size(); ++j) {
          if (j != i && !covered[j] && Contains(raised, f[j])) ++gain;
        }
        SpendWork(static_cast<std::int64_t>(f.size()));
        if (gain > best_gain) {
          best_gain = gain;
          best_var = v;
        }
      }
      if (best_var < 0) break;
      c = Raise(c, std::uint64_t{1} << best_var);
    }
    for (std::size_t j = i + 1; j < f.size(); ++j) {
      if (!covered[j] && Contains(c, f[j])) covered[j] = true;
    }
    out.push_back(c);
  }
  return Absorb(std::move(out));
}

Cover Irredundant(Cover f, const Cover& dc) {
  // Try to drop the smallest cubes first: they are the likeliest to be covered.
  std::stable_sort(f.begin(), f.end(),
                   [](const Cube& a, const Cube& b) { return LiteralCount(a) > LiteralCount(b); });
  for (std::size_t i = 0; i < f.size();) {
    SpendWork(static_cast<std::int64_t>(f.size() + dc.size()));  // building `rest`
    Cover rest = dc;
    for (std::size_t j = 0; j < f.size(); ++j) {
      if (j != i) rest.push_back(f[j]);
    }
    if (CoverContains(rest, f[i])) {
      f.erase(f.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  return f;
}

Cover Reduce(Cover f, const Cover& dc) {
  std::stable_sort(f.begin(), f.end(),
                   [](const Cube& a, const Cube& b) { return LiteralCount(a) < LiteralCount(b); });
  for (std::size_t i = 0; i < f.size(); ++i) {
    SpendWork(static_cast<std::int64_t>(f.size() + dc.size()));  // building `rest`
    Cover rest = dc;
    for (std::size_t j = 0; j < f.size(); ++j) {
      if (j != i && !IsEmpty(f[j])) rest.push_back(f[j]);
    }
    // What only this cube covers; an empty result means the cube is redundant.
    Cube only = SupercubeOfComplement(Cofactor(rest, f[i]));
    f[i] = IsEmpty(only) ? Cube{0, 0} : Intersect(f[i], only);
  }
  f.erase(std::remove_if(f.begin(), f.end(), [](const Cube& c) { return IsEmpty(c); }), f.end());
  return f;
}

}  // namespace

bool MinimiseCover(const Cover& on, const Cover& dc, Cover& result, std::int64_t budget) {
  const std::int64_t saved = WorkLeft();
  SetWorkBudget(budget);
  bool ok = true;
  try {
    Cover f = Absorb(on);
    Cover off = Not(Or(f, dc));
    if (f.empty() || off.empty()) {
      result = off.empty() ? True() : False();
    } else {
      f = Irredundant(Expand(f, off), dc);
      for (;;) {
        Cover g = Irredundant(Expand(Reduce(f, dc), off), dc);
        if (!(CostOf(g) < CostOf(f))) break;
        f = std::move(g);
      }
      ImproveExactly(on, dc, f);
      result = std::move(f);
    }
  } catch (WorkLimitExceeded&) {
    ok = false;
  }
  SetWorkBudget(saved);
  return ok;
}

bool RegisterInverterIsFree(const LogicModel& model, const Output& o) {
  if (!o.registered || o.detailed || !IsMacrocellFamily(model.device.family) ||
      model.device.family == Family::Gal20RA10)
    return false;
  const Attributes& a = model.signals[static_cast<std::size_t>(o.signal)].attrs;
  if (a.buffer || a.invert || o.reset || o.preset) return false;
  if (model.reduce_by_pin && o.polarity != Polarity::Auto) return false;
  // Reset, preset and power-up reach the pin through the inverter, and '.Q'
  // names the flip-flop itself: with those the inverter is part of the meaning.
  for (const Variable& v : model.variables) {
    if (v.signal == o.signal && v.kind == Feedback::Q) return false;
  }
  return true;
}

MinimisedOutput MinimiseOutput(const LogicModel& model, int output, Diagnostics& diags) {
  const std::size_t i = static_cast<std::size_t>(output);
  const Output& o = model.outputs[i];
  const std::string& name = model.signals[static_cast<std::size_t>(o.signal)].name;
  MinimisedOutput m;
  m.output = output;
  bool ok = true;
  // In a 22V10-like macrocell the sum feeds the flip-flop directly; only the output
  // inverter after it is chosen, and it follows the declaration where that
  // matters. So such a register's D input has one form that the part can
  // build: the .D function as written, or for ':=' the pin function behind
  // the inverter.
  // 'pos' and 'neg' cost no terms: where the part can build either form
  // (the XOR of a 16V8/20V8 cell, a free inverter of a 22V10 cell), the
  // smaller one is taken, as the classic compiler does, unless the design
  // asks with OPTIONS '-reduce bypin' that they bind.
  Polarity polarity = model.reduce_by_pin ? o.polarity : Polarity::Auto;
  // A combinational macrocell output (22V10 and kin) behind 'buffer' or 'invert' is built so.
  const Attributes& attrs = model.signals[static_cast<std::size_t>(o.signal)].attrs;
  if (!o.registered && IsMacrocellFamily(model.device.family) && (attrs.buffer || attrs.invert)) {
    polarity = attrs.buffer ? Polarity::Pos : Polarity::Neg;
  }
  if (o.registered && IsMacrocellFamily(model.device.family) && !RegisterInverterIsFree(model, o)) {
    const bool inverted = InvertsRegister(model, o) && !o.detailed;
    const Polarity buildable = inverted ? Polarity::Neg : Polarity::Pos;
    if (o.polarity != Polarity::Auto && o.polarity != buildable) {
      const char* attr = o.polarity == Polarity::Neg ? "'neg'" : "'pos'";
      const std::string why =
          o.detailed ? "builds '" + name + ".D' only as written, having no inverter before the register"
          : inverted ? "builds '" + name + "' in complemented form, its register being behind 'invert'"
                     : "builds '" + name + "' in positive form unless it is declared 'invert'";
      diags.Warning(model.signals[static_cast<std::size_t>(o.signal)].pos,
                    std::string(attr) + " is ignored: the " + model.device.part + " " + why);
    }
    polarity = buildable;
  }
  auto minimise = [&](const std::optional<Function>& f, bool both) -> std::optional<MinimisedFunction> {
    if (!f || !ok) return std::nullopt;
    MinimisedFunction r;
    const bool want_pos = !both || polarity != Polarity::Neg;
    bool want_neg = both && polarity != Polarity::Pos;
    // The complement's on-set: everything outside the function and its don't cares.
    Cover outside;
    if (want_neg) {
      try {
        SetWorkBudget(kMinimiseWorkPerFunction);
        outside = Not(Or(f->on, f->dc));
      } catch (WorkLimitExceeded&) {
        want_neg = false;
      }
    }
    auto run = [&](bool negative, std::int64_t budget) {
      if (negative) {
        r.has_negative = MinimiseCover(outside, f->dc, r.negative, budget);
      } else {
        r.has_positive = MinimiseCover(f->on, f->dc, r.positive, budget);
      }
    };
    // The smaller side first with the whole budget. The other side only
    // matters if it turns out smaller, so it gets less once the first is done,
    // and a polarity that is too hard is simply not taken.
    const bool neg_first = want_neg && (!want_pos || outside.size() < f->on.size());
    if (neg_first ? want_neg : want_pos) run(neg_first, kMinimiseWorkPerFunction);
    const bool first_ok = neg_first ? r.has_negative : r.has_positive;
    if (neg_first ? want_pos : want_neg) {
      run(!neg_first, first_ok ? kMinimiseWorkPerFunction / 4 : kMinimiseWorkPerFunction);
    }
    ok = r.has_positive || r.has_negative;
    if (!ok) diags.Error(f->pos, "'" + name + "' needs more work to minimise than the limit allows");
    r.complemented = r.has_negative && (!r.has_positive || r.negative.size() < r.positive.size());
    return r;
  };
  m.logic = minimise(o.logic, true);
  m.clock = minimise(o.clock, false);
  m.reset = minimise(o.reset, false);
  m.preset = minimise(o.preset, false);
  m.enable = minimise(o.enable, false);
  m.clock_enable = minimise(o.clock_enable, false);
  m.latch_enable = minimise(o.latch_enable, false);
  if (o.logic) m.terms_before = static_cast<int>(o.logic->on.size());
  return m;
}

MinimisedDesign MinimiseDesign(const LogicModel& model, Diagnostics& diags) {
  MinimisedDesign design;
  for (std::size_t i = 0; i < model.outputs.size(); ++i) {
    design.outputs.push_back(MinimiseOutput(model, static_cast<int>(i), diags));
  }
  return design;
}

}  // namespace abelc
