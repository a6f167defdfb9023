// Which rows of each level hold a value, one bit a row: the rows two levels
// share are a popcount of their words ANDed, 64 rows at a time.
#pragma once

#include "tree/cluster_data.h"

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
// a value; counted with the popcount instruction where the processor has it.
std::int64_t shared_rows(const PresentRows& present, std::int64_t a, std::int64_t b);

// The rows in which level a has a value.
inline std::int64_t rows_with_value(const PresentRows& present, std::int64_t a) {
    return shared_rows(present, a, a);
}
