// Cover algebra. The complement and tautology checks use the unate recursive
// split on the most binate variable.
#include "abelc/cover.h"

#include <algorithm>
#include <bit>

namespace abelc {

namespace {

constexpr std::size_t kMaxCubes = 200000;  // a cover larger than this is a runaway
thread_local std::int64_t work_left = 1'000'000'000;

void CheckSize(const Cover& f) {
  if (f.size() > kMaxCubes) throw WorkLimitExceeded{};
}

// The variable to split on: most binate first, else the most used; -1 if
// no cube has a literal.
int SplitVariable(const Cover& f, bool& binate) {
  int counts0[kMaxVariables] = {};
  int counts1[kMaxVariables] = {};
  std::uint64_t used = 0;
  for (const Cube& c : f) {
    std::uint64_t lits = LiteralMask(c);
    used |= lits;
    while (lits) {
      int v = std::countr_zero(lits);
      lits &= lits - 1;
      ((c.one >> v) & 1 ? counts1 : counts0)[v]++;
    }
  }
  int best = -1, best_score = -1;
  binate = false;
  for (std::uint64_t u = used; u; u &= u - 1) {
    int v = std::countr_zero(u);
    bool b = counts0[v] > 0 && counts1[v] > 0;
    int score = counts0[v] + counts1[v] + (b ? 1'000'000 : 0);
    if (score > best_score) {
      best_score = score;
      best = v;
      binate = b;
    }
  }
  return best;
}

Cover CofactorVar(const Cover& f, int v, bool value) {
  Cover r;
  r.reserve(f.size());
  std::uint64_t bit = std::uint64_t{1} << v;
  for (const Cube& c : f) {
    if (((value ? c.one : c.zero) & bit) != 0) r.push_back(Raise(c, bit));
  }
  return r;
}

}  // namespace

void SetWorkBudget(std::int64_t steps) {
  work_left = steps;
}
std::int64_t WorkLeft() {
  return work_left;
}
void SpendWork(std::int64_t steps) {
  work_left -= steps;
  if (work_left < 0) throw WorkLimitExceeded{};
}

int LiteralCount(const Cube& c) {
  return std::popcount(LiteralMask(c));
}

Cube Literal(int var, bool value) {
  Cube c;
  std::uint64_t bit = std::uint64_t{1} << var;
  if (value) {
    c.zero &= ~bit;
  } else {
    c.one &= ~bit;
  }
  return c;
}

Cover True() {
  return {Cube{}};
}

bool IsTrue(const Cover& f) {
  return std::any_of(f.begin(), f.end(), [](const Cube& c) { return IsUniverse(c); });
}

bool Evaluate(const Cover& f, std::uint64_t x) {
  for (const Cube& c : f) {
    if (((~x & ~c.zero) | (x & ~c.one)) == 0) return true;
  }
  return false;
}

Cover Absorb(Cover f) {
  SpendWork(static_cast<std::int64_t>(f.size()));
  const auto fewer_literals = [](const Cube& a, const Cube& b) { return LiteralCount(a) < LiteralCount(b); };
  // Covers are mostly short: an insertion sort, stable like std::stable_sort
  // but without its buffer, sorts them in place.
  constexpr std::size_t kInsertionSortSize = 32;
  if (f.size() <= kInsertionSortSize) {
    for (std::size_t i = 1; i < f.size(); ++i) {
      const Cube c = f[i];
      std::size_t j = i;
      for (; j > 0 && fewer_literals(c, f[j - 1]); --j) f[j] = f[j - 1];
      f[j] = c;
    }
  } else {
    std::stable_sort(f.begin(), f.end(), fewer_literals);
  }
  // The cubes kept gather at the front.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    const Cube c = f[i];
    if (IsEmpty(c)) continue;
    SpendWork(static_cast<std::int64_t>(kept));
    const auto end = f.begin() + static_cast<std::ptrdiff_t>(kept);
    if (std::none_of(f.begin(), end, [&](const Cube& k) { return Contains(k, c); })) f[kept++] = c;
  }
  f.resize(kept);
  return f;
}

Cover Or(const Cover& a, const Cover& b) {
  Cover r;
  r.reserve(a.size() + b.size());
  r.insert(r.end(), a.begin(), a.end());
  r.insert(r.end(), b.begin(), b.end());
  CheckSize(r);
  return Absorb(std::move(r));
}

Cover And(const Cover& a, const Cover& b) {
  SpendWork(static_cast<std::int64_t>(a.size() * b.size()));
  Cover r;
  for (const Cube& x : a) {
    for (const Cube& y : b) {
      Cube c = Intersect(x, y);
      if (!IsEmpty(c)) r.push_back(c);
    }
    CheckSize(r);
  }
  return Absorb(std::move(r));
}

Cover Not(const Cover& f) {
  SpendWork(static_cast<std::int64_t>(f.size()) + 1);
  if (f.empty()) return True();
  if (IsTrue(f)) return False();
  if (f.size() == 1) {  // De Morgan
    Cover r;
    std::uint64_t lits = LiteralMask(f[0]);
    r.reserve(static_cast<std::size_t>(std::popcount(lits)));
    for (; lits; lits &= lits - 1) {
      int v = std::countr_zero(lits);
      r.push_back(Literal(v, ((f[0].one >> v) & 1) == 0));
    }
    return r;
  }
  bool binate = false;
  int v = SplitVariable(f, binate);
  Cover c0 = Not(CofactorVar(f, v, false));
  Cover c1 = Not(CofactorVar(f, v, true));
  Cover r;
  r.reserve(c0.size() + c1.size());
  std::vector<bool> merged(c1.size(), false);
  for (const Cube& c : c0) {
    auto same = std::find(c1.begin(), c1.end(), c);
    if (same != c1.end()) {
      merged[static_cast<std::size_t>(same - c1.begin())] = true;
      r.push_back(c);
    } else {
      r.push_back(Intersect(c, Literal(v, false)));
    }
  }
  for (std::size_t i = 0; i < c1.size(); ++i) {
    if (!merged[i]) r.push_back(Intersect(c1[i], Literal(v, true)));
  }
  CheckSize(r);
  return Absorb(std::move(r));
}

Cube SupercubeOfComplement(const Cover& f) {
  SpendWork(static_cast<std::int64_t>(f.size()) + 1);
  if (f.empty()) return Cube{};
  if (IsTrue(f)) return Cube{0, 0};
  if (f.size() == 1) {  // De Morgan: one literal, or several that span everything
    std::uint64_t lits = LiteralMask(f[0]);
    if (std::popcount(lits) != 1) return Cube{};
    int v = std::countr_zero(lits);
    return Literal(v, ((f[0].one >> v) & 1) == 0);
  }
  bool binate = false;
  int v = SplitVariable(f, binate);
  Cover f0 = CofactorVar(f, v, false), f1 = CofactorVar(f, v, true);
  Cube c0 = SupercubeOfComplement(f0);
  // Once one half spans everything else, the other half only decides v.
  if (IsUniverse(c0)) return Tautology(f1) ? Literal(v, false) : Cube{};
  Cube c1 = SupercubeOfComplement(f1);
  Cube s{0, 0};
  if (!IsEmpty(c0)) s = Intersect(c0, Literal(v, false));
  if (!IsEmpty(c1)) {
    Cube t = Intersect(c1, Literal(v, true));
    s = {s.zero | t.zero, s.one | t.one};
  }
  return s;
}

Cover Xor(const Cover& a, const Cover& b) {
  return Or(And(a, Not(b)), And(Not(a), b));
}

Cover Cofactor(const Cover& f, const Cube& c) {
  Cover r;
  r.reserve(f.size());
  std::uint64_t vars = LiteralMask(c);
  for (const Cube& d : f) {
    if (!IsEmpty(Intersect(d, c))) r.push_back(Raise(d, vars));
  }
  return r;
}

bool Tautology(const Cover& f) {
  SpendWork(static_cast<std::int64_t>(f.size()) + 1);
  if (f.empty()) return false;
  if (IsTrue(f)) return true;
  bool binate = false;
  int v = SplitVariable(f, binate);
  if (!binate) return false;  // a unate cover is a tautology only with the universal cube
  return Tautology(CofactorVar(f, v, false)) && Tautology(CofactorVar(f, v, true));
}

bool CoverContains(const Cover& f, const Cube& c) {
  return Tautology(Cofactor(f, c));
}

bool Intersects(const Cover& a, const Cover& b) {
  for (const Cube& x : a) {
    for (const Cube& y : b) {
      if (!IsEmpty(Intersect(x, y))) return true;
    }
  }
  return false;
}

int TotalLiterals(const Cover& f) {
  int n = 0;
  for (const Cube& c : f) n += LiteralCount(c);
  return n;
}

}  // namespace abelc
