// Clustering by pattern rather than by level: each level's own mean taken
// from its values, and with scaling each divided by its standard deviation,
// so that Euclidean distances follow correlations.
#pragma once

#include "tree/cluster_data.h"

#include <cstdint>
#include <vector>

// Centres each of `levels` (indices into data's levels) on the mean of its
// values (its empty cells, NaN, stay empty and count for nothing); with
// `scale`, also divides by their standard deviation (n - 1). Gives, in the
// order of `levels`, whether a level had no variation to scale by (fewer
// than two values, or all of them equal); such a level is left as it was.
std::vector<char> centre_levels(ClusterData& data, const std::vector<std::int32_t>& levels,
                                bool scale);
