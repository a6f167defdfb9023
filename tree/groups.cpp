#include "tree/groups.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

std::int64_t mojena_groups(const std::vector<Fusion>& fusions, double k) {
    const auto heights = static_cast<std::int64_t>(fusions.size());
    if (heights < 2) return 1;
    // The mean of equal heights may round below them, and they would all
    // stand above it.
    if (same_heights(fusions)) return 1;
    double sum = 0;
    for (const Fusion& f : fusions) sum += f.height;
    const double mean = sum / static_cast<double>(heights);
    double squares = 0;
    for (const Fusion& f : fusions) squares += (f.height - mean) * (f.height - mean);
    const double deviation = std::sqrt(squares / static_cast<double>(heights - 1));
    const double threshold = mean + k * deviation;
    return 1 + std::count_if(fusions.begin(), fusions.end(),
                             [&](const Fusion& f) { return f.height > threshold; });
}

std::string mojena_k_text(double k) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, k).ptr);
}

// The root of `leaf` among the leaves joined so far, halving the path.
static std::int32_t root_of(std::vector<std::int32_t>& parent, std::int32_t leaf) {
    while (parent[leaf] != leaf) {
        parent[leaf] = parent[parent[leaf]];
        leaf = parent[leaf];
    }
    return leaf;
}

Groups cut_into_groups(const std::vector<Fusion>& fusions, std::int64_t wanted) {
    const auto leaves = static_cast<std::int32_t>(fusions.size() + 1);
    Groups groups;
    groups.capped = wanted > leaves;
    groups.count = static_cast<std::int32_t>(std::clamp<std::int64_t>(wanted, 1, leaves));
    const auto kept = static_cast<std::size_t>(leaves - groups.count);

    // A leaf of each fusion's cluster stands for it when its fusion joins.
    std::vector<std::int32_t> parent(static_cast<std::size_t>(leaves));
    std::iota(parent.begin(), parent.end(), 0);
    std::vector<std::int32_t> some_leaf(fusions.size() + 1);
    auto leaf_of = [&](std::int32_t node) { return node < 0 ? -node - 1 : some_leaf[node]; };
    for (std::size_t k = 0; k < kept; ++k) {
        const std::int32_t first = leaf_of(fusions[k].first);
        some_leaf[k + 1] = first;
        parent[root_of(parent, leaf_of(fusions[k].second))] = root_of(parent, first);
    }

    std::vector<std::int32_t> group_of_root(static_cast<std::size_t>(leaves), 0);
    std::int32_t numbered = 0;
    groups.of_leaf.resize(static_cast<std::size_t>(leaves));
    // Numbered down the page, as the tree is drawn and written.
    for (std::int32_t leaf : leaf_order(fusions)) {
        std::int32_t& group = group_of_root[root_of(parent, leaf)];
        if (group == 0) group = ++numbered;
        groups.of_leaf[leaf] = group;
    }

    if (groups.count > 1) {
        double inside = 0, between = fusions[kept].height;
        for (std::size_t k = 0; k < kept; ++k) inside = std::max(inside, fusions[k].height);
        for (std::size_t k = kept; k < fusions.size(); ++k)
            between = std::min(between, fusions[k].height);
        groups.cut_height = (inside + between) / 2;
    }
    return groups;
}
