#include "tree/cophenetic.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

DistanceSums distance_sums(const Distances& distances) {
    const std::int64_t pairs = pair_count(distances.count);
    const double* d = distances.values.get();
    DistanceSums sums;
    sums.count = distances.count;
    if (pairs == 0) return sums;
    // Checked as such rather than as a variance that rounding may leave a
    // hair above zero.
    sums.all_equal = std::all_of(d, d + pairs, [&](double x) { return x == d[0]; });
    // Two passes, centring before the squares, for the accuracy of a sum
    // over millions of pairs.
    double sum = 0;
    for (std::int64_t i = 0; i < pairs; ++i) sum += d[i];
    sums.mean = sum / static_cast<double>(pairs);
    for (std::int64_t i = 0; i < pairs; ++i)
        sums.squares += (d[i] - sums.mean) * (d[i] - sums.mean);
    return sums;
}

std::optional<double> cophenetic_correlation(const DistanceSums& distances,
                                             const std::vector<Fusion>& fusions,
                                             const std::vector<double>& joined) {
    const std::int64_t n = distances.count;
    if (n < 3 || fusions.size() + 1 != static_cast<std::size_t>(n) ||
        joined.size() != fusions.size())
        return std::nullopt;
    if (same_heights(fusions) || distances.all_equal) return std::nullopt;

    // A fusion joins every level of one cluster with every level of the
    // other: that many pairs at its height.
    std::vector<std::int64_t> size(fusions.size() + 1);
    std::vector<double> pairs(fusions.size());
    auto size_of = [&](std::int32_t node) { return node < 0 ? 1 : size[node]; };
    double sum_c = 0;
    for (std::size_t k = 0; k < fusions.size(); ++k) {
        const std::int64_t first = size_of(fusions[k].first), second = size_of(fusions[k].second);
        size[k + 1] = first + second;
        pairs[k] = static_cast<double>(first * second);
        sum_c += fusions[k].height * pairs[k];
    }
    const double mean_c = sum_c / static_cast<double>(pair_count(n));

    double cc = 0, dc = 0;
    for (std::size_t k = 0; k < fusions.size(); ++k) {
        const double c = fusions[k].height - mean_c;
        dc += c * (joined[k] - pairs[k] * distances.mean);
        cc += c * c * pairs[k];
    }
    return dc / std::sqrt(distances.squares * cc);
}

std::string cophenetic_text(std::optional<double> correlation) {
    if (!correlation || !std::isfinite(*correlation)) return "-";
    char text[32];
    char* end =
        std::to_chars(text, text + sizeof text, *correlation, std::chars_format::fixed, 2).ptr;
    const std::string shown(text, static_cast<std::size_t>(end - text));
    return shown == "-0.00" ? "0.00" : shown;
}
