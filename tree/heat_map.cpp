#include "tree/heat_map.h"

#include <algorithm>
#include <array>
#include <cmath>

double grand_mean(const HeatMap& map) {
    double sum = 0;
    std::int64_t count = 0;
    for (double value : map.values)
        if (!std::isnan(value)) {
            sum += value;
            ++count;
        }
    return count > 0 ? sum / static_cast<double>(count) : 0;
}

std::pair<double, double> value_range(const HeatMap& map) {
    bool any = false;
    double low = 0, high = 0;
    for (double value : map.values) {
        if (std::isnan(value)) continue;
        low = any ? std::min(low, value) : value;
        high = any ? std::max(high, value) : value;
        any = true;
    }
    return {low, high};
}

HeatMap group_means(const HeatMap& map, const std::vector<std::int32_t>& group_of,
                    std::int32_t groups) {
    const std::size_t columns = map.columns.size();
    const auto cells = static_cast<std::size_t>(groups) * columns;
    std::vector<double> sum(cells, 0);
    std::vector<std::int64_t> values(cells, 0), filled(cells, 0);
    for (std::size_t leaf = 0; leaf < map.rows() && leaf < group_of.size(); ++leaf) {
        if (group_of[leaf] < 1 || group_of[leaf] > groups) continue;
        const auto row = static_cast<std::size_t>(group_of[leaf] - 1);
        for (std::size_t c = 0; c < columns; ++c) {
            const double value = map.values[leaf * columns + c];
            if (std::isnan(value)) continue;
            sum[row * columns + c] += value;
            ++values[row * columns + c];
            if (map.kinds[leaf * columns + c] == CellKind::filled) ++filled[row * columns + c];
        }
    }
    HeatMap means;
    means.columns = map.columns;
    means.values.resize(cells);
    means.kinds.resize(cells);
    for (std::size_t k = 0; k < cells; ++k) {
        means.values[k] = values[k] > 0 ? sum[k] / static_cast<double>(values[k]) : std::nan("");
        means.kinds[k] = values[k] == 0              ? CellKind::empty
                         : 2 * filled[k] > values[k] ? CellKind::filled
                                                     : CellKind::observed;
    }
    return means;
}

namespace {

struct Rgb {
    double r, g, b;
};

// ColorBrewer's 11-class RdBu, from its blue end to its red end.
constexpr std::array<Rgb, 11> ramp = {{{5, 48, 97},
                                       {33, 102, 172},
                                       {67, 147, 195},
                                       {146, 197, 222},
                                       {209, 229, 240},
                                       {247, 247, 247},
                                       {253, 219, 199},
                                       {244, 165, 130},
                                       {214, 96, 77},
                                       {178, 24, 43},
                                       {103, 0, 31}}};

std::string hex(Rgb colour) {
    constexpr char digits[] = "0123456789ABCDEF";
    std::string text = "#";
    for (double channel : {colour.r, colour.g, colour.b}) {
        const int byte = std::clamp(static_cast<int>(channel + 0.5), 0, 255);
        text += digits[byte / 16];
        text += digits[byte % 16];
    }
    return text;
}

} // namespace

std::string diverging_colour(double value, double centre, double reach) {
    double at = reach > 0 ? (value - centre) / reach : 0; // -1 to 1
    if (!std::isfinite(at)) at = 0;
    at = std::clamp(at, -1.0, 1.0);
    const double place = (at + 1) / 2 * double(ramp.size() - 1);
    const auto below = std::min(static_cast<std::size_t>(place), ramp.size() - 2);
    const double t = place - double(below);
    const Rgb a = ramp[below], b = ramp[below + 1];
    return hex({a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t});
}

std::string lighter(const std::string& colour) {
    auto digit = [&](std::size_t at) {
        const char c = at < colour.size() ? colour[at] : '0';
        return c >= 'A' ? c - 'A' + 10 : c - '0';
    };
    auto channel = [&](std::size_t at) { return digit(at) * 16 + digit(at + 1); };
    return hex({(channel(1) + 255) / 2.0, (channel(3) + 255) / 2.0, (channel(5) + 255) / 2.0});
}
