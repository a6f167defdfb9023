// The shape of a dendrogram before it is drawn: the row of each leaf and
// each fusion, the group each branch belongs to, and the height axis.
#pragma once

#include "tree/hierarchy.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct TreeShape {
    std::vector<std::int32_t> order;        // the leaves, top row first
    std::vector<double> leaf_row;           // by leaf: its row, from 0
    std::vector<std::int32_t> leaf_group;   // by leaf: its group, from 1, or 0 for none
    std::vector<double> fusion_row;         // by fusion, from 0: halfway between its two parts
    std::vector<std::int32_t> fusion_group; // by fusion: the group of all its leaves, or 0

    // The row and the group of a fusion's part, a leaf or an earlier fusion
    // as Fusion writes them.
    double row_of(std::int32_t part) const {
        return part < 0 ? leaf_row[static_cast<std::size_t>(-(part + 1))]
                        : fusion_row[static_cast<std::size_t>(part - 1)];
    }
    std::int32_t group_of(std::int32_t part) const {
        return part < 0 ? leaf_group[static_cast<std::size_t>(-(part + 1))]
                        : fusion_group[static_cast<std::size_t>(part - 1)];
    }
};

// Whether `fusions` build one tree over `leaves` leaves: leaves - 1
// fusions, each part a leaf or an earlier fusion and used once, every
// height finite and not negative.
bool is_tree(const std::vector<Fusion>& fusions, std::size_t leaves);

// The rows of a tree drawn one leaf a row in leaf_order, and the group of
// every leaf and fusion (`group_of` by leaf, from 1; 0 for none, for a
// group below 1, and for a fusion of two groups). Fusions that build no tree give the leaves in
// their own order and no fusion at all.
TreeShape tree_shape(const std::vector<Fusion>& fusions, const std::vector<std::int32_t>& group_of,
                     std::size_t leaves);

// A height axis from 0 to step x intervals, step 1, 2 or 5 x 10^exponent.
struct HeightAxis {
    double step = 1;
    int exponent = 0;
    int intervals = 1;
    double top() const { return step * intervals; }
};

// The axis that holds `highest` in three to five steps; from 0 to 1 when
// `highest` is 0 or no number, so that a tree whose fusions are all at 0
// still has an axis that reads.
HeightAxis height_axis(double highest);
