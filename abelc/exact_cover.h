// Exact two-level minimisation for functions of few variables: all prime
// implicants, then a smallest set of them that covers the on-set. The
// heuristic loop is good; this makes small outputs optimal.
#pragma once

#include "abelc/cover.h"

namespace abelc {

constexpr int kExactMaxSupport = 14;

// Replaces `best` when a cover with fewer terms (or as many with fewer
// literals) exists. Spends from the current work budget; gives up quietly
// (leaving `best`) when the search grows too large.
void ImproveExactly(const Cover& on, const Cover& dc, Cover& best);

}  // namespace abelc
