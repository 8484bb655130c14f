// Two ways, the better kept: a greedy cover of every sum's minterms at once
// (for sums over few variables), where the product that covers most of what
// the sums still need is taken first; and a pass over the sums one at a time,
// each taking the products the others already use where it can.
#include "abelc/share_terms.h"

#include <algorithm>
#include <bit>

#include "abelc/minimise.h"

namespace abelc {

namespace {

bool CubeLess(const Cube& p, const Cube& q) {
  return p.zero != q.zero ? p.zero < q.zero : p.one < q.one;
}

std::vector<Cube> Distinct(const std::vector<SharedSum>& sums) {
  std::vector<Cube> all;
  for (const SharedSum& s : sums) all.insert(all.end(), s.cover.begin(), s.cover.end());
  std::sort(all.begin(), all.end(), CubeLess);
  all.erase(std::unique(all.begin(), all.end()), all.end());
  return all;
}

bool Covers(const Cover& chosen, const SharedSum& s) {
  const Cover with = Or(chosen, s.dc);
  return std::all_of(s.on.begin(), s.on.end(), [&](const Cube& o) { return CoverContains(with, o); });
}

// The candidates: every product of the covers, their pairwise intersections,
// and a cover of each two sums' common part.
std::vector<Cube> Candidates(const std::vector<SharedSum>& sums) {
  constexpr std::size_t kMaxCandidates = 600;
  std::vector<Cube> pool = Distinct(sums);
  const std::size_t own = pool.size();
  for (std::size_t i = 0; i < own && pool.size() < kMaxCandidates; ++i) {
    for (std::size_t j = i + 1; j < own && pool.size() < kMaxCandidates; ++j) {
      const Cube x = Intersect(pool[i], pool[j]);
      if (!IsEmpty(x)) pool.push_back(x);
    }
  }
  for (std::size_t i = 0; i < sums.size(); ++i) {
    for (std::size_t j = i + 1; j < sums.size() && pool.size() < kMaxCandidates; ++j) {
      const Cover on = And(sums[i].on, sums[j].on);
      if (on.empty()) continue;
      const Cover dc =
          Or(And(sums[i].on, sums[j].dc), Or(And(sums[i].dc, sums[j].on), And(sums[i].dc, sums[j].dc)));
      Cover common;
      if (MinimiseCover(on, dc, common, kMinimiseWorkPerFunction / 16))
        pool.insert(pool.end(), common.begin(), common.end());
    }
  }
  std::sort(pool.begin(), pool.end(), CubeLess);
  pool.erase(std::unique(pool.begin(), pool.end()), pool.end());
  return pool;
}

// Drops products while every sum stays covered: first whole products from
// every sum that uses them (the least used first), then each sum's extras.
void Trim(std::vector<SharedSum>& sums) {
  std::vector<Cube> all = Distinct(sums);
  auto uses = [&](const Cube& c) {
    int n = 0;
    for (const SharedSum& s : sums) n += std::count(s.cover.begin(), s.cover.end(), c) ? 1 : 0;
    return n;
  };
  std::stable_sort(all.begin(), all.end(), [&](const Cube& p, const Cube& q) { return uses(p) < uses(q); });
  for (const Cube& c : all) {
    std::vector<Cover> without;
    bool ok = true;
    for (const SharedSum& s : sums) {
      Cover rest = s.cover;
      std::erase(rest, c);
      ok = ok && (rest.size() == s.cover.size() || Covers(rest, s));
      without.push_back(std::move(rest));
    }
    if (!ok) continue;
    for (std::size_t i = 0; i < sums.size(); ++i) sums[i].cover = std::move(without[i]);
  }
  for (SharedSum& s : sums) {
    for (std::size_t i = s.cover.size(); i-- > 0;) {
      Cover rest = s.cover;
      rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(i));
      if (Covers(rest, s)) s.cover = std::move(rest);
    }
  }
}

// Greedy over minterms; false when the sums read too many variables for it.
bool CoverAllAtOnce(std::vector<SharedSum>& sums, const std::vector<Cube>& pool) {
  std::uint64_t vars = 0;
  for (const SharedSum& s : sums) {
    for (const Cover* c : {&s.on, &s.dc, &s.cover}) {
      for (const Cube& cube : *c) vars |= LiteralMask(cube);
    }
  }
  constexpr int kMaxVariables = 14;
  const int n = std::popcount(vars);
  if (n > kMaxVariables) return false;
  const std::size_t points = std::size_t{1} << n;
  std::vector<std::uint64_t> assignment(points, 0);
  for (std::size_t m = 0; m < points; ++m) {
    int bit = 0;
    for (std::uint64_t v = vars; v; v &= v - 1, ++bit) {
      if ((m >> bit) & 1) assignment[m] |= v & -v;
    }
  }
  SpendWork(static_cast<std::int64_t>(points * (sums.size() + pool.size())));
  const std::size_t count = sums.size();
  std::vector<std::vector<bool>> uncovered(count, std::vector<bool>(points)), allowed = uncovered;
  for (std::size_t s = 0; s < count; ++s) {
    for (std::size_t m = 0; m < points; ++m) {
      uncovered[s][m] = Evaluate(sums[s].on, assignment[m]);
      allowed[s][m] = uncovered[s][m] || Evaluate(sums[s].dc, assignment[m]);
    }
  }
  // Each candidate's minterms, and the sums it may serve.
  std::vector<std::vector<std::size_t>> minterms(pool.size());
  std::vector<std::vector<std::size_t>> serves(pool.size());
  for (std::size_t c = 0; c < pool.size(); ++c) {
    for (std::size_t m = 0; m < points; ++m) {
      if (Evaluate(Cover{pool[c]}, assignment[m])) minterms[c].push_back(m);
    }
    for (std::size_t s = 0; s < count; ++s) {
      if (std::all_of(minterms[c].begin(), minterms[c].end(), [&](std::size_t m) { return allowed[s][m]; }))
        serves[c].push_back(s);
    }
  }
  std::vector<Cover> chosen(count);
  for (;;) {
    std::size_t best = pool.size(), best_score = 0;
    for (std::size_t c = 0; c < pool.size(); ++c) {
      std::size_t score = 0;
      for (std::size_t s : serves[c]) {
        for (std::size_t m : minterms[c]) score += uncovered[s][m] ? 1 : 0;
      }
      SpendWork(static_cast<std::int64_t>(serves[c].size() * minterms[c].size()));
      if (score > best_score ||
          (score == best_score && score > 0 && LiteralCount(pool[c]) < LiteralCount(pool[best]))) {
        best = c;
        best_score = score;
      }
    }
    if (best_score == 0) break;
    for (std::size_t s : serves[best]) {
      bool adds = false;
      for (std::size_t m : minterms[best]) {
        adds = adds || uncovered[s][m];
        uncovered[s][m] = false;
      }
      if (adds) chosen[s].push_back(pool[best]);
    }
  }
  for (std::size_t s = 0; s < count; ++s) {
    if (std::any_of(uncovered[s].begin(), uncovered[s].end(), [](bool b) { return b; })) return false;
  }
  std::vector<SharedSum> result = sums;
  for (std::size_t s = 0; s < count; ++s) result[s].cover = chosen[s];
  Trim(result);
  if (DistinctTerms(result) < DistinctTerms(sums)) sums = std::move(result);
  return true;
}

// Each sum in turn rebuilt from the candidates, those other sums use first.
void CoverOneByOne(std::vector<SharedSum>& sums, const std::vector<Cube>& pool) {
  for (int round = 0; round < 3; ++round) {
    bool improved = false;
    for (std::size_t k = 0; k < sums.size(); ++k) {
      SharedSum& sum = sums[k];
      if (sum.on.empty() || sum.cover.size() < 2) continue;
      const Cover allowed = Or(sum.on, sum.dc);
      std::vector<Cube> others;
      for (std::size_t m = 0; m < sums.size(); ++m) {
        if (m != k) others.insert(others.end(), sums[m].cover.begin(), sums[m].cover.end());
      }
      auto shared = [&](const Cube& c) { return std::find(others.begin(), others.end(), c) != others.end(); };
      std::vector<Cube> candidates;
      for (const Cube& c : pool) {
        if (CoverContains(allowed, c)) candidates.push_back(c);
      }
      std::stable_sort(candidates.begin(), candidates.end(), [&](const Cube& p, const Cube& q) {
        if (shared(p) != shared(q)) return shared(p);
        return LiteralCount(p) < LiteralCount(q);
      });
      Cover chosen;
      for (const Cube& c : candidates) {
        if (Covers(chosen, sum)) break;
        const Cover with = Or(chosen, sum.dc);
        const bool adds = std::any_of(sum.on.begin(), sum.on.end(), [&](const Cube& o) {
          const Cube x = Intersect(c, o);
          return !IsEmpty(x) && !CoverContains(with, x);
        });
        if (adds) chosen.push_back(c);
      }
      if (!Covers(chosen, sum)) continue;
      for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = chosen.size(); i-- > 0;) {
          if (shared(chosen[i]) != (pass == 1)) continue;
          Cover rest = chosen;
          rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(i));
          if (Covers(rest, sum)) chosen = rest;
        }
      }
      const int before = DistinctTerms(sums);
      Cover old = sum.cover;
      sum.cover = chosen;
      if (DistinctTerms(sums) < before) {
        improved = true;
      } else {
        sum.cover = old;
      }
    }
    if (!improved) break;
  }
}

}  // namespace

int DistinctTerms(const std::vector<SharedSum>& sums) {
  return static_cast<int>(Distinct(sums).size());
}

void ShareTerms(std::vector<SharedSum>& sums) {
  // Each phase has a budget of its own; one that runs out leaves what it had.
  constexpr std::int64_t kBudget = kMinimiseWorkPerFunction;
  std::vector<Cube> pool;
  std::vector<SharedSum> one_by_one = sums, all_at_once = sums;
  try {
    SetWorkBudget(kBudget);
    pool = Candidates(sums);
    SetWorkBudget(kBudget);
    CoverOneByOne(one_by_one, pool);
  } catch (const WorkLimitExceeded&) {
  }
  try {
    SetWorkBudget(kBudget);
    CoverAllAtOnce(all_at_once, pool);
    SetWorkBudget(kBudget);
    CoverOneByOne(all_at_once, pool);
  } catch (const WorkLimitExceeded&) {
  }
  for (const std::vector<SharedSum>* better : {&one_by_one, &all_at_once}) {
    if (DistinctTerms(*better) < DistinctTerms(sums)) sums = *better;
  }
}

}  // namespace abelc
