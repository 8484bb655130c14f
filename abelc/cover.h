// Cubes and covers (sums of products) over up to 64 variables, and the
// operations on them that elaboration and minimisation share. Every costly
// operation spends from a work budget, so no design can make them run away.
#pragma once

#include <cstdint>
#include <vector>

namespace abelc {

constexpr int kMaxVariables = 64;

// Bit i of `zero` / `one`: variable i may be 0 / may be 1. A variable with
// both bits is free; with neither, the cube is empty.
struct Cube {
  std::uint64_t zero = ~std::uint64_t{0};
  std::uint64_t one = ~std::uint64_t{0};
  friend bool operator==(const Cube&, const Cube&) = default;
};

using Cover = std::vector<Cube>;

inline bool IsEmpty(const Cube& c) {
  return ~(c.zero | c.one) != 0;
}
inline bool IsUniverse(const Cube& c) {
  return (c.zero & c.one) == ~std::uint64_t{0};
}
inline std::uint64_t LiteralMask(const Cube& c) {
  return c.zero ^ c.one;
}
int LiteralCount(const Cube& c);
inline Cube Intersect(const Cube& a, const Cube& b) {
  return {a.zero & b.zero, a.one & b.one};
}
// Does `a` contain every minterm of `b`?
inline bool Contains(const Cube& a, const Cube& b) {
  return (b.zero & ~a.zero) == 0 && (b.one & ~a.one) == 0;
}
Cube Literal(int var, bool value);
// `c` with every variable that `of` fixes made free.
inline Cube Raise(const Cube& c, std::uint64_t vars) {
  return {c.zero | vars, c.one | vars};
}

Cover True();
inline Cover False() {
  return {};
}
bool IsTrue(const Cover& f);  // has the universal cube (a sufficient test)

// Bit i of `assignment` is the value of variable i.
bool Evaluate(const Cover& f, std::uint64_t assignment);

Cover Or(const Cover& a, const Cover& b);
Cover And(const Cover& a, const Cover& b);
Cover Not(const Cover& f);
Cover Xor(const Cover& a, const Cover& b);
// The smallest cube holding every minterm outside `f`, without building the
// complement; an empty cube ({0, 0}) when `f` is a tautology.
Cube SupercubeOfComplement(const Cover& f);
Cover Absorb(Cover f);                          // removes cubes contained in another cube
Cover Cofactor(const Cover& f, const Cube& c);  // f restricted to c, c's variables freed
bool Tautology(const Cover& f);
bool CoverContains(const Cover& f, const Cube& c);  // is every minterm of c in f?
bool Intersects(const Cover& a, const Cover& b);
int TotalLiterals(const Cover& f);

// The work budget: a count of elementary steps. SpendWork throws
// WorkLimitExceeded when the budget is gone; callers catch it at their entry.
struct WorkLimitExceeded {};
void SetWorkBudget(std::int64_t steps);
std::int64_t WorkLeft();
void SpendWork(std::int64_t steps);

}  // namespace abelc
