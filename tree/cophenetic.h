// How faithfully the tree keeps the distances: the cophenetic correlation,
// as R's cor(cophenetic(tree), d).
#pragma once

#include "tree/distances.h"
#include "tree/hierarchy.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the correlation needs of the distances themselves, taken before the
// clustering works over them.
struct DistanceSums {
    std::int64_t count = 0; // levels
    double mean = 0;
    double squares = 0;     // of the distances less their mean
    bool all_equal = false; // every distance the same, NaN never
};

DistanceSums distance_sums(const Distances& distances);

// The Pearson correlation, over all pairs of levels, between their distance
// and the height at which the tree first joins them; `fusions` are the
// n - 1 fusions of the levels and `joined` their sums of distances
// (agglomerate's). None when it is undefined: fewer than three levels,
// fusions short of n - 1, or every height or every distance the same.
std::optional<double> cophenetic_correlation(const DistanceSums& distances,
                                             const std::vector<Fusion>& fusions,
                                             const std::vector<double>& joined);

// The correlation as the console and the picture show it: two decimals,
// "0.00" for a tiny negative one too, "-" where there is none.
std::string cophenetic_text(std::optional<double> correlation);
