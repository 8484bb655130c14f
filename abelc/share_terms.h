// Product terms shared between sums: on a logic array every distinct product
// costs one term however many sums use it, so the sums' covers are chosen
// together to use as few distinct products as they can.
#pragma once

#include <vector>

#include "abelc/cover.h"

namespace abelc {

struct SharedSum {
  Cover on, dc;  // what the sum must cover, and where it is free
  Cover cover;   // its cover, minimised alone; rewritten in place
};

// Rewrites the covers so that together they hold no more distinct products
// than before, and fewer where it finds a way. It sets the work budget for
// each of its phases; a phase that runs out of it changes nothing.
void ShareTerms(std::vector<SharedSum>& sums);

// The number of distinct products in the covers.
int DistinctTerms(const std::vector<SharedSum>& sums);

}  // namespace abelc
