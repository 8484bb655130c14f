// Primes by iterated consensus, minterms enumerated over the support, and a
// branch-and-bound set cover with a node limit.
#include "abelc/exact_cover.h"

#include <algorithm>
#include <bit>

namespace abelc {

namespace {

constexpr std::int64_t kMaxNodes = 20000;

std::vector<Cube> Primes(const Cover& f) {
  Cover primes = Absorb(f);
  for (bool grown = true; grown;) {
    grown = false;
    const std::size_t n = primes.size();
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = i + 1; j < n; ++j) {
        Cube both{primes[i].zero & primes[j].zero, primes[i].one & primes[j].one};
        std::uint64_t conflict = ~(both.zero | both.one);
        if (std::popcount(conflict) != 1) continue;
        Cube consensus = Raise(both, conflict);
        SpendWork(static_cast<std::int64_t>(primes.size()));
        if (std::none_of(primes.begin(), primes.end(),
                         [&](const Cube& p) { return Contains(p, consensus); })) {
          primes.push_back(consensus);
          grown = true;
        }
      }
      if (primes.size() > 3000) throw WorkLimitExceeded{};
    }
    primes = Absorb(std::move(primes));
  }
  return primes;
}

struct Search {
  std::vector<std::vector<int>> covering;  // per minterm: the primes that cover it
  std::vector<int> literals;               // per prime
  std::vector<int> chosen, best;
  int best_literals = 0;
  std::vector<int> cover_count;          // per minterm: chosen primes covering it
  std::vector<std::vector<int>> covers;  // per prime: its minterms
  std::int64_t nodes = 0;

  void Run(int lits) {
    if (++nodes > kMaxNodes) throw WorkLimitExceeded{};
    // The uncovered minterm with the fewest choices.
    int pick = -1;
    std::size_t fewest = SIZE_MAX;
    for (std::size_t m = 0; m < covering.size(); ++m) {
      if (cover_count[m] == 0 && covering[m].size() < fewest) {
        fewest = covering[m].size();
        pick = static_cast<int>(m);
      }
    }
    if (pick < 0) {
      if (best.empty() || chosen.size() < best.size() ||
          (chosen.size() == best.size() && lits < best_literals)) {
        best = chosen;
        best_literals = lits;
      }
      return;
    }
    if (!best.empty() && chosen.size() + 1 > best.size()) return;
    for (int p : covering[static_cast<std::size_t>(pick)]) {
      chosen.push_back(p);
      for (int m : covers[static_cast<std::size_t>(p)]) ++cover_count[static_cast<std::size_t>(m)];
      Run(lits + literals[static_cast<std::size_t>(p)]);
      for (int m : covers[static_cast<std::size_t>(p)]) --cover_count[static_cast<std::size_t>(m)];
      chosen.pop_back();
    }
  }
};

}  // namespace

void ImproveExactly(const Cover& on, const Cover& dc, Cover& best) {
  std::uint64_t support = 0;
  for (const Cover* f : {&on, &dc}) {
    for (const Cube& c : *f) support |= LiteralMask(c);
  }
  const int n = std::popcount(support);
  if (n > kExactMaxSupport || best.size() <= 1) return;
  try {
    Cover all = on;
    all.insert(all.end(), dc.begin(), dc.end());
    std::vector<Cube> primes = Primes(all);
    std::vector<int> vars;
    for (std::uint64_t s = support; s; s &= s - 1) vars.push_back(std::countr_zero(s));
    Search search;
    search.covers.resize(primes.size());
    for (const Cube& p : primes) search.literals.push_back(LiteralCount(p));
    for (std::uint64_t bits = 0; bits < (std::uint64_t{1} << n); ++bits) {
      std::uint64_t a = 0;
      for (int i = 0; i < n; ++i) {
        if ((bits >> i) & 1) a |= std::uint64_t{1} << vars[static_cast<std::size_t>(i)];
      }
      if (!Evaluate(on, a) || Evaluate(dc, a)) continue;
      std::vector<int> covering;
      for (std::size_t p = 0; p < primes.size(); ++p) {
        if (Evaluate({primes[p]}, a)) {
          covering.push_back(static_cast<int>(p));
          search.covers[p].push_back(static_cast<int>(search.covering.size()));
        }
      }
      search.covering.push_back(std::move(covering));
      SpendWork(static_cast<std::int64_t>(primes.size()));
    }
    search.cover_count.assign(search.covering.size(), 0);
    // Start from the heuristic's size, so the search only looks for better.
    search.best.assign(best.size() + 1, -1);
    search.best_literals = 0;
    search.Run(0);
    if (search.best.size() > best.size() || search.best.front() < 0) return;
    Cover exact;
    for (int p : search.best) exact.push_back(primes[static_cast<std::size_t>(p)]);
    if (exact.size() < best.size() || TotalLiterals(exact) < TotalLiterals(best)) best = std::move(exact);
  } catch (WorkLimitExceeded&) {
  }
}

}  // namespace abelc
