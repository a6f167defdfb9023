// Euclidean distances between levels over the rows in which both have a
// value, scaled up to all rows as R's dist() does with missing values:
// d(a, b) = sqrt(N / n_ab * sum over the n_ab shared rows of (x_a - x_b)^2),
// N the matrix's rows.
#pragma once

#include "tree/cluster_data.h"

#include <cstdint>
#include <memory>
#include <vector>

// The distances between `count` levels, condensed as R's dist() keeps them:
// the pairs (0,1), (0,2), ..., (0,n-1), (1,2), ... in one allocation.
// Moved, never copied by accident: at 5000 levels it is 100 MB.
struct Distances {
    std::int64_t count = 0;
    std::unique_ptr<double[]> values; // null only when the memory could not be had
};

// The place of the pair (i, j), i < j, among `count` levels' distances.
inline std::int64_t pair_index(std::int64_t count, std::int64_t i, std::int64_t j) {
    return i * (2 * count - i - 1) / 2 + (j - i - 1);
}

inline std::int64_t pair_count(std::int64_t count) {
    return count * (count - 1) / 2;
}

// Room for the distances of `count` levels, not filled; values is null when
// the memory can't be had.
Distances allocate_distances(std::int64_t count);

// The distances between `levels` (indices into data's levels), numbered from
// 0 in the order given. A pair that shares no row gets NaN; choose_levels
// never lets one through. values is null when the memory can't be had.
// `threads` share the work (1: this thread alone); the distances are the
// same to the last bit whatever their number.
Distances level_distances(const ClusterData& data, const std::vector<std::int32_t>& levels,
                          int threads = 1);
