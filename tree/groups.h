// Cutting the tree into groups: how many (a number asked for, or Mojena's
// rule), which level falls in which, and where a drawing puts the cut.
#pragma once

#include "tree/hierarchy.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The number of groups by Mojena's rule with `k` (1.25 by default): one
// more than the fusion heights strictly above mean + k standard deviations
// of all n - 1 heights (the standard deviation of a sample, as R's sd()
// gives it). One group for fewer than three levels or when every height is
// the same.
std::int64_t mojena_groups(const std::vector<Fusion>& fusions, double k);

// Mojena's k in its shortest form: "1.25", "3".
std::string mojena_k_text(double k);

struct Groups {
    std::int32_t count = 1;
    bool capped = false;               // more groups were asked for than there are levels
    std::vector<std::int32_t> of_leaf; // the group (from 1) of each clustered level
    // Halfway between the highest fusion inside a group (the leaves, 0, when
    // every group is one level) and the lowest between groups; none for one
    // group.
    std::optional<double> cut_height;
};

// The tree of `fusions` (n - 1 of them for n clustered levels) cut into
// `wanted` groups (at least 1; more than n are capped to n) by undoing the
// last wanted - 1 fusions, as R's cutree(k) does. Groups are numbered in the
// order the tree draws its leaves (leaf_order): the group of the top leaf is
// 1, and the numbers read down the page.
Groups cut_into_groups(const std::vector<Fusion>& fusions, std::int64_t wanted);
