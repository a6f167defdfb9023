#include "tree/centring.h"

#include <algorithm>
#include <cmath>

std::vector<char> centre_levels(ClusterData& data, const std::vector<std::int32_t>& levels,
                                bool scale) {
    std::vector<char> flat(levels.size(), 0);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        double* y = data.values.data() + levels[i] * data.rows;
        double sum = 0, n = 0;
        for (std::int64_t row = 0; row < data.rows; ++row) {
            if (y[row] != y[row]) continue;
            sum += y[row];
            ++n;
        }
        const double mean = n > 0 ? sum / n : 0.0;
        double squares = 0, size = 0;
        for (std::int64_t row = 0; row < data.rows; ++row) {
            if (y[row] != y[row]) continue;
            squares += (y[row] - mean) * (y[row] - mean);
            size = std::max(size, std::fabs(y[row]));
        }
        const double deviation = n > 1 ? std::sqrt(squares / (n - 1)) : 0.0;
        // Equal values summed and averaged can spread by a few ulps of
        // rounding: that is no variation to scale by.
        if (scale && !(deviation > 1e-12 * size)) {
            flat[i] = 1;
            continue;
        }
        const double divisor = scale ? deviation : 1.0;
        for (std::int64_t row = 0; row < data.rows; ++row)
            if (y[row] == y[row]) y[row] = (y[row] - mean) / divisor;
    }
    return flat;
}
