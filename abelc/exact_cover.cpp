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

// One list per minterm or per prime, all in one array: list i is
// items[start[i]] up to items[start[i + 1]].
struct Lists {
  std::vector<int> start{0}, items;
  std::size_t Count() const { return start.size() - 1; }
  std::size_t Size(std::size_t i) const { return static_cast<std::size_t>(start[i + 1] - start[i]); }
  const int* begin(std::size_t i) const { return items.data() + start[i]; }
  const int* end(std::size_t i) const { return items.data() + start[i + 1]; }
};

struct Search {
  Lists covering;             // per minterm: the primes that cover it, in order
  std::vector<int> literals;  // per prime
  std::vector<int> chosen, best;
  int best_literals = 0;
  std::vector<int> cover_count;  // per minterm: chosen primes covering it
  Lists covers;                  // per prime: its minterms
  std::int64_t nodes = 0;

  void Run(int lits) {
    if (++nodes > kMaxNodes) throw WorkLimitExceeded{};
    // The uncovered minterm with the fewest choices.
    int pick = -1;
    std::size_t fewest = SIZE_MAX;
    for (std::size_t m = 0; m < covering.Count(); ++m) {
      if (cover_count[m] == 0 && covering.Size(m) < fewest) {
        fewest = covering.Size(m);
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
    for (const int* p = covering.begin(static_cast<std::size_t>(pick));
         p != covering.end(static_cast<std::size_t>(pick)); ++p) {
      const std::size_t prime = static_cast<std::size_t>(*p);
      chosen.push_back(*p);
      for (const int* m = covers.begin(prime); m != covers.end(prime); ++m)
        ++cover_count[static_cast<std::size_t>(*m)];
      Run(lits + literals[prime]);
      for (const int* m = covers.begin(prime); m != covers.end(prime); ++m)
        --cover_count[static_cast<std::size_t>(*m)];
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
    // Consensus finds every prime from any cover of the function; the
    // heuristic's cover with the don't cares is one, and far smaller than the
    // on-set as written.
    Cover all = best;
    all.insert(all.end(), dc.begin(), dc.end());
    std::vector<Cube> primes = Primes(all);
    std::vector<int> vars;
    for (std::uint64_t s = support; s; s &= s - 1) vars.push_back(std::countr_zero(s));
    Search search;
    for (const Cube& p : primes) search.literals.push_back(LiteralCount(p));
    // Minterms are numbered by the support's variables in order, bit i for
    // vars[i]; each one of the on-set outside the don't cares gets an index.
    // A cube's minterms, walked over its free variables: far fewer steps
    // than testing every cube at every minterm.
    auto for_each_minterm = [&](const Cube& c, auto&& visit) {
      if (IsEmpty(c)) return;
      std::uint64_t fixed = 0, free = 0;
      for (int i = 0; i < n; ++i) {
        const std::uint64_t v = std::uint64_t{1} << vars[static_cast<std::size_t>(i)];
        if ((c.zero & v) && (c.one & v)) {
          free |= std::uint64_t{1} << i;
        } else if (c.one & v) {
          fixed |= std::uint64_t{1} << i;
        }
      }
      for (std::uint64_t sub = free;; sub = (sub - 1) & free) {
        visit(fixed | sub);
        if (sub == 0) break;
      }
    };
    std::vector<int> index_of(std::size_t{1} << n, -1);
    for (const Cube& c : on) for_each_minterm(c, [&](std::uint64_t bits) { index_of[bits] = 0; });
    for (const Cube& c : dc) for_each_minterm(c, [&](std::uint64_t bits) { index_of[bits] = -1; });
    int minterms = 0;
    for (int& index : index_of) {
      if (index < 0) continue;
      index = minterms++;
      SpendWork(static_cast<std::int64_t>(primes.size()));
    }
    std::vector<std::pair<int, int>> pairs;  // (minterm, prime), primes in order
    for (std::size_t p = 0; p < primes.size(); ++p) {
      search.covers.start.push_back(search.covers.start.back());
      for_each_minterm(primes[p], [&](std::uint64_t bits) {
        const int m = index_of[bits];
        if (m < 0) return;
        pairs.push_back({m, static_cast<int>(p)});
        search.covers.items.push_back(m);
        ++search.covers.start.back();
      });
    }
    // Per minterm its primes in order: the pairs come prime by prime, so
    // placing them by minterm in that order keeps it.
    search.covering.start.assign(static_cast<std::size_t>(minterms) + 1, 0);
    for (const auto& [m, p] : pairs) ++search.covering.start[static_cast<std::size_t>(m) + 1];
    for (std::size_t m = 0; m < static_cast<std::size_t>(minterms); ++m)
      search.covering.start[m + 1] += search.covering.start[m];
    search.covering.items.resize(pairs.size());
    std::vector<int> next(search.covering.start.begin(), search.covering.start.end() - 1);
    for (const auto& [m, p] : pairs)
      search.covering.items[static_cast<std::size_t>(next[static_cast<std::size_t>(m)]++)] = p;
    search.cover_count.assign(static_cast<std::size_t>(minterms), 0);
    // Every cover holds the essential primes (the only ones for some
    // minterm). When they cover everything, they are the one smallest cover
    // and the search would find just them.
    std::vector<int> essential;
    for (std::size_t m = 0; m < static_cast<std::size_t>(minterms); ++m) {
      if (search.covering.Size(m) != 1) continue;
      const int p = *search.covering.begin(m);
      if (std::find(essential.begin(), essential.end(), p) != essential.end()) continue;
      essential.push_back(p);
      for (const int* c = search.covers.begin(static_cast<std::size_t>(p));
           c != search.covers.end(static_cast<std::size_t>(p)); ++c)
        ++search.cover_count[static_cast<std::size_t>(*c)];
    }
    if (std::all_of(search.cover_count.begin(), search.cover_count.end(), [](int k) { return k > 0; })) {
      std::sort(essential.begin(), essential.end());
      Cover exact;
      for (int p : essential) exact.push_back(primes[static_cast<std::size_t>(p)]);
      if (exact.size() < best.size() ||
          (exact.size() == best.size() && TotalLiterals(exact) < TotalLiterals(best)))
        best = std::move(exact);
      return;
    }
    search.cover_count.assign(static_cast<std::size_t>(minterms), 0);
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
