#include "tree/cophenetic.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

std::optional<double> cophenetic_correlation(const Distances& distances,
                                             const std::vector<Fusion>& fusions) {
    const std::int64_t n = distances.count;
    const std::int64_t pairs = pair_count(n);
    const double* d = distances.values.get();
    if (n < 3 || fusions.size() + 1 != static_cast<std::size_t>(n)) return std::nullopt;
    // Checked as such rather than as a variance that rounding may leave a
    // hair above zero.
    if (same_heights(fusions) || std::all_of(d, d + pairs, [&](double x) { return x == d[0]; }))
        return std::nullopt;

    // In the order of leaf_order every cluster is one run of leaves: the
    // pairs a fusion joins are its first run against its second.
    const std::vector<std::int32_t> order = leaf_order(fusions);
    std::vector<std::int64_t> start(fusions.size() + 1), size(fusions.size() + 1);
    std::vector<std::int64_t> leaf_place(static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i) leaf_place[order[i]] = i;
    auto run = [&](std::int32_t node) {
        return node < 0 ? std::pair<std::int64_t, std::int64_t>{leaf_place[-node - 1], 1}
                        : std::pair<std::int64_t, std::int64_t>{start[node], size[node]};
    };

    // Two passes, centring before the products, for the accuracy of a sum
    // over millions of pairs.
    double sum_d = 0, sum_c = 0;
    for (std::int64_t i = 0; i < pairs; ++i) sum_d += d[i];
    for (std::size_t k = 0; k < fusions.size(); ++k) {
        const auto [first_start, first_size] = run(fusions[k].first);
        const auto [second_start, second_size] = run(fusions[k].second);
        start[k + 1] = first_start;
        size[k + 1] = first_size + second_size;
        sum_c += fusions[k].height * static_cast<double>(first_size * second_size);
    }
    const double mean_d = sum_d / static_cast<double>(pairs);
    const double mean_c = sum_c / static_cast<double>(pairs);

    double dd = 0, cc = 0, dc = 0;
    for (std::int64_t i = 0; i < pairs; ++i) dd += (d[i] - mean_d) * (d[i] - mean_d);
    for (std::size_t k = 0; k < fusions.size(); ++k) {
        const auto [first_start, first_size] = run(fusions[k].first);
        const auto [second_start, second_size] = run(fusions[k].second);
        double joined = 0; // the centred distances of the pairs this fusion joins
        for (std::int64_t i = first_start; i < first_start + first_size; ++i) {
            for (std::int64_t j = second_start; j < second_start + second_size; ++j) {
                const std::int64_t a = std::min(order[i], order[j]),
                                   b = std::max(order[i], order[j]);
                joined += d[pair_index(n, a, b)] - mean_d;
            }
        }
        const double c = fusions[k].height - mean_c;
        dc += c * joined;
        cc += c * c * static_cast<double>(first_size * second_size);
    }
    return dc / std::sqrt(dd * cc);
}

std::string cophenetic_text(std::optional<double> correlation) {
    if (!correlation || !std::isfinite(*correlation)) return "-";
    char text[32];
    char* end =
        std::to_chars(text, text + sizeof text, *correlation, std::chars_format::fixed, 2).ptr;
    const std::string shown(text, static_cast<std::size_t>(end - text));
    return shown == "-0.00" ? "0.00" : shown;
}
