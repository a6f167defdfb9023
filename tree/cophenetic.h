// How faithfully the tree keeps the distances: the cophenetic correlation,
// as R's cor(cophenetic(tree), d).
#pragma once

#include "tree/distances.h"
#include "tree/hierarchy.h"

#include <optional>
#include <string>
#include <vector>

// The Pearson correlation, over all pairs of levels, between their distance
// and the height at which the tree first joins them; `fusions` are the
// n - 1 fusions of the `distances.count` levels. None when it is undefined:
// fewer than three levels, or every height or every distance the same.
std::optional<double> cophenetic_correlation(const Distances& distances,
                                             const std::vector<Fusion>& fusions);

// The correlation as the console and the picture show it: two decimals,
// "0.00" for a tiny negative one too, "-" where there is none.
std::string cophenetic_text(std::optional<double> correlation);
