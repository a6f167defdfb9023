// A hierarchical clustering of the levels of one factor: the fusions that
// build the tree (the pairs and heights of R's hclust, numbered in a way of
// their own), and the order in which the leaves are written and drawn.
#pragma once

#include <cstdint>
#include <vector>

// How the distance between two clusters is updated when two others fuse.
enum class Linkage { ward, average, complete, single };

// One fusion. A leaf (a clustered level, numbered from 0 in the matrix's
// order among the clustered levels) is written -(leaf + 1); the cluster made
// by fusion k (counted from 1) is written k. `first` holds the earlier
// level of the two, so that a tree is written and drawn in the matrix's
// order wherever it can be.
struct Fusion {
    std::int32_t first = 0, second = 0;
    double height = 0; // the distance at which the two fuse
};

// Whether every fusion is at the same height: checked as such rather than
// through a mean or a variance that rounding may leave a hair off.
inline bool same_heights(const std::vector<Fusion>& fusions) {
    for (const Fusion& f : fusions)
        if (f.height != fusions[0].height) return false;
    return true;
}

// The leaves in the order the tree is written: at each fusion all of
// `first`, then all of `second`. `fusions` are the n - 1 fusions of n
// leaves; one leaf alone gives {0}.
inline std::vector<std::int32_t> leaf_order(const std::vector<Fusion>& fusions) {
    std::vector<std::int32_t> order;
    if (fusions.empty()) return {0};
    // Depth first from the last fusion, without recursion: a tree of 5000
    // leaves may be 5000 deep.
    std::vector<std::int32_t> pending = {static_cast<std::int32_t>(fusions.size())};
    while (!pending.empty()) {
        const std::int32_t node = pending.back();
        pending.pop_back();
        if (node < 0) {
            order.push_back(-node - 1);
            continue;
        }
        const Fusion& fusion = fusions[static_cast<std::size_t>(node - 1)];
        pending.push_back(fusion.second);
        pending.push_back(fusion.first);
    }
    return order;
}
