#include "tree/distances.h"

#include "base/checked_size.h"
#include "tree/present_rows.h"

#include <algorithm>
#include <cmath>
#include <new>

Distances allocate_distances(std::int64_t count) {
    Distances distances;
    distances.count = count;
    std::int64_t bytes;
    // 2^31 levels would make the byte count wrap: refused like any other
    // impossible size.
    if (!multiply_checked<std::int64_t>(pair_count(count), sizeof(double), bytes)) return distances;
    distances.values.reset(new (std::nothrow) double[static_cast<std::size_t>(pair_count(count))]);
    return distances;
}

// The sum of (a - b)^2 over the rows where both have a value. The difference
// is NaN where either is empty, so the test needs no branch; eight partial
// sums let g++ vectorise without reordering one sum (with trapping maths
// off for this file, so that it may compute the square before the select).
static double squares_in_common(const double* a, const double* b, std::int64_t rows) {
    constexpr int lanes = 8;
    double partial[lanes] = {};
    std::int64_t row = 0;
    for (; row + lanes <= rows; row += lanes) {
        for (int lane = 0; lane < lanes; ++lane) {
            const double difference = a[row + lane] - b[row + lane];
            partial[lane] += difference == difference ? difference * difference : 0.0;
        }
    }
    double sum = 0;
    for (; row < rows; ++row) {
        const double difference = a[row] - b[row];
        sum += difference == difference ? difference * difference : 0.0;
    }
    for (double part : partial) sum += part;
    return sum;
}

// The levels [from, to) of `levels`, side by side in `tile`.
static void gather(const ClusterData& data, const std::vector<std::int32_t>& levels,
                   std::int64_t from, std::int64_t to, std::vector<double>& tile) {
    for (std::int64_t i = from; i < to; ++i) {
        const double* values = data.values.data() + levels[i] * data.rows;
        std::copy_n(values, data.rows, tile.begin() + (i - from) * data.rows);
    }
}

Distances level_distances(const ClusterData& data, const std::vector<std::int32_t>& levels) {
    const auto count = static_cast<std::int64_t>(levels.size());
    Distances distances = allocate_distances(count);
    if (!distances.values || count < 2) return distances;
    const PresentRows present = present_rows(data, levels);
    const auto all_rows = static_cast<double>(data.rows);
    // Pairs go tile against tile, each tile's levels gathered side by side
    // once for all its pairs, so that a tile's pairs stay in cache. A tile
    // is at most 64 levels and about 256 KB.
    const std::int64_t size =
        std::clamp<std::int64_t>(32768 / std::max<std::int64_t>(data.rows, 1), 1, 64);
    std::vector<double> first(static_cast<std::size_t>(size * data.rows));
    std::vector<double> second(first.size());
    for (std::int64_t i0 = 0; i0 < count; i0 += size) {
        const std::int64_t i1 = std::min(i0 + size, count);
        gather(data, levels, i0, i1, first);
        for (std::int64_t j0 = i0; j0 < count; j0 += size) {
            const std::int64_t j1 = std::min(j0 + size, count);
            if (j0 != i0) gather(data, levels, j0, j1, second);
            const double* other = j0 == i0 ? first.data() : second.data();
            for (std::int64_t a = i0; a < i1; ++a) {
                const double* x = first.data() + (a - i0) * data.rows;
                for (std::int64_t b = std::max(j0, a + 1); b < j1; ++b) {
                    const double* y = other + (b - j0) * data.rows;
                    const double sum = squares_in_common(x, y, data.rows);
                    const double shared = static_cast<double>(shared_rows(present, a, b));
                    distances.values[pair_index(count, a, b)] = std::sqrt(all_rows / shared * sum);
                }
            }
        }
    }
    return distances;
}
