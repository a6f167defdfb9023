#include "tree/tree_shape.h"

#include <algorithm>
#include <cmath>

bool is_tree(const std::vector<Fusion>& fusions, std::size_t leaves) {
    if (leaves == 0 || fusions.size() != leaves - 1) return false;
    std::vector<bool> used(leaves + fusions.size(), false); // leaves, then fusions
    for (std::size_t k = 0; k < fusions.size(); ++k) {
        if (!std::isfinite(fusions[k].height) || fusions[k].height < 0) return false;
        for (std::int32_t part : {fusions[k].first, fusions[k].second}) {
            // A leaf -(i + 1) is slot i; fusion j (from 1), made before this one, is slot leaves +
            // j - 1.
            const bool leaf = part < 0 && static_cast<std::size_t>(-(part + 1)) < leaves;
            const bool earlier = part > 0 && static_cast<std::size_t>(part) <= k;
            if (!leaf && !earlier) return false;
            const std::size_t slot = leaf ? static_cast<std::size_t>(-(part + 1))
                                          : leaves + static_cast<std::size_t>(part) - 1;
            if (used[slot]) return false;
            used[slot] = true;
        }
    }
    return true;
}

TreeShape tree_shape(const std::vector<Fusion>& fusions, const std::vector<std::int32_t>& group_of,
                     std::size_t leaves) {
    TreeShape shape;
    const bool tree = is_tree(fusions, leaves);
    if (tree) {
        shape.order = leaf_order(fusions);
    } else {
        for (std::size_t leaf = 0; leaf < leaves; ++leaf)
            shape.order.push_back(static_cast<std::int32_t>(leaf));
    }
    shape.leaf_row.resize(leaves);
    for (std::size_t row = 0; row < shape.order.size(); ++row)
        shape.leaf_row[static_cast<std::size_t>(shape.order[row])] = static_cast<double>(row);
    shape.leaf_group.resize(leaves);
    for (std::size_t leaf = 0; leaf < leaves && leaf < group_of.size(); ++leaf)
        shape.leaf_group[leaf] = std::max(group_of[leaf], std::int32_t{0});
    if (!tree) return shape;

    shape.fusion_row.resize(fusions.size());
    shape.fusion_group.resize(fusions.size());
    for (std::size_t k = 0; k < fusions.size(); ++k) {
        const std::int32_t first = fusions[k].first, second = fusions[k].second;
        shape.fusion_row[k] = (shape.row_of(first) + shape.row_of(second)) / 2;
        const std::int32_t group = shape.group_of(first);
        shape.fusion_group[k] = group == shape.group_of(second) ? group : 0;
    }
    return shape;
}

HeightAxis height_axis(double highest) {
    if (!(highest > 0) || !std::isfinite(highest)) highest = 1;
    const double rough = highest / 5;
    // The power of ten at or below `rough`, by exact steps rather than
    // log10, whose last bit differs between C libraries.
    HeightAxis axis;
    double power = 1;
    while (power * 10 <= rough) {
        power *= 10;
        ++axis.exponent;
    }
    while (power > rough) {
        power /= 10;
        --axis.exponent;
    }
    axis.step = 10 * power;
    for (double times : {1.0, 2.0, 5.0})
        if (times * power >= rough) {
            axis.step = times * power;
            break;
        }
    if (axis.step == 10 * power) ++axis.exponent;
    // A quotient a hair above a whole number must not add a step.
    axis.intervals = static_cast<int>(std::ceil(highest / axis.step - 1e-9));
    return axis;
}
