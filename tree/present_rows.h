// Which rows of each level hold a value, one bit a row: the rows two levels
// share are a popcount of their words ANDed, 64 rows at a time.
#pragma once

#include "tree/cluster_data.h"

#include <bit>
#include <cstdint>
#include <vector>

struct PresentRows {
    std::int64_t words = 0;          // per level
    std::vector<std::uint64_t> bits; // level-major: level * words + word
};

// The present rows of `levels` (indices into data's levels), numbered from 0
// in the order given.
PresentRows present_rows(const ClusterData& data, const std::vector<std::int32_t>& levels);

// The rows in which both levels a and b (numbered as in present_rows) have
// a value.
inline std::int64_t shared_rows(const PresentRows& present, std::int64_t a, std::int64_t b) {
    const std::uint64_t* x = present.bits.data() + a * present.words;
    const std::uint64_t* y = present.bits.data() + b * present.words;
    std::int64_t count = 0;
    for (std::int64_t w = 0; w < present.words; ++w) count += std::popcount(x[w] & y[w]);
    return count;
}

// The rows in which level a has a value.
inline std::int64_t rows_with_value(const PresentRows& present, std::int64_t a) {
    return shared_rows(present, a, a);
}
