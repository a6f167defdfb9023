#include "tree/distances.h"

#include "base/checked_size.h"
#include "tree/present_rows.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <new>
#include <thread>

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

namespace {

// What every thread reads: the levels' values, which rows they have, and
// whether a level has them all.
struct Problem {
    const ClusterData& data;
    const std::vector<std::int32_t>& levels;
    PresentRows present;
    std::vector<char> complete;
    std::int64_t count;
    std::int64_t tile; // levels a tile holds
};

// Each thread's own tiles: the levels of a tile gathered side by side once
// for all its pairs, so that they stay in cache.
struct Tiles {
    std::vector<double> first, second;
};

} // namespace

// The sum of (a - b)^2 over the rows where both have a value. The difference
// is NaN where either is empty, so the test needs no branch; eight partial
// sums let g++ vectorise without reordering one sum (with trapping maths
// off for this file, so that it may compute the square before the select).
// Every machine adds the same numbers in the same order: the wider vectors
// only do more lanes at once. Where neither level has an empty cell the
// select would always take the square, so `complete` leaves it out and the
// sum is the same number to the last bit.
template <bool complete>
[[gnu::always_inline]] static inline double squares(const double* a, const double* b,
                                                    std::int64_t rows) {
    auto square = [](double difference) {
        if constexpr (complete) return difference * difference;
        return difference == difference ? difference * difference : 0.0;
    };
    constexpr int lanes = 8;
    double partial[lanes] = {};
    std::int64_t row = 0;
    for (; row + lanes <= rows; row += lanes)
        for (int lane = 0; lane < lanes; ++lane)
            partial[lane] += square(a[row + lane] - b[row + lane]);
    double sum = 0;
    for (; row < rows; ++row) sum += square(a[row] - b[row]);
    for (double part : partial) sum += part;
    return sum;
}

[[gnu::always_inline]] static inline std::int64_t
shared_words(const std::uint64_t* x, const std::uint64_t* y, std::int64_t words) {
    std::int64_t count = 0;
    for (std::int64_t w = 0; w < words; ++w) count += std::popcount(x[w] & y[w]);
    return count;
}

// The distances of level a against the levels [from, to) of the tile at
// `other`, level `from` at its start.
[[gnu::always_inline]] static inline void pair_row(const Problem& p, const double* x,
                                                   std::int64_t a, const double* other,
                                                   std::int64_t from, std::int64_t to,
                                                   double* out) {
    const std::int64_t rows = p.data.rows;
    const auto all_rows = static_cast<double>(rows);
    const std::int64_t words = p.present.words;
    const std::uint64_t* bits = p.present.bits.data();
    for (std::int64_t b = from; b < to; ++b) {
        const double* y = other + (b - from) * rows;
        double sum, shared;
        if (p.complete[a] && p.complete[b]) {
            sum = squares<true>(x, y, rows);
            shared = all_rows;
        } else {
            sum = squares<false>(x, y, rows);
            shared = static_cast<double>(shared_words(bits + a * words, bits + b * words, words));
        }
        out[b - from] = std::sqrt(all_rows / shared * sum);
    }
}

// The one loop compiled three times: for any x86-64, with the popcount
// instruction, and with AVX2 besides; the machine that runs it chooses.
// None has fused multiply-add (-ffp-contract=off for this file, and the
// target lists leave FMA out), so each is the same arithmetic.
using PairRow = void (*)(const Problem&, const double*, std::int64_t, const double*, std::int64_t,
                         std::int64_t, double*);
static void pair_row_plain(const Problem& p, const double* x, std::int64_t a, const double* other,
                           std::int64_t from, std::int64_t to, double* out) {
    pair_row(p, x, a, other, from, to, out);
}
#if defined(__x86_64__) && defined(__GNUC__)
[[gnu::target("popcnt")]] static void pair_row_popcnt(const Problem& p, const double* x,
                                                      std::int64_t a, const double* other,
                                                      std::int64_t from, std::int64_t to,
                                                      double* out) {
    pair_row(p, x, a, other, from, to, out);
}
[[gnu::target("popcnt,avx2")]] static void pair_row_avx2(const Problem& p, const double* x,
                                                         std::int64_t a, const double* other,
                                                         std::int64_t from, std::int64_t to,
                                                         double* out) {
    pair_row(p, x, a, other, from, to, out);
}
#endif

static PairRow chosen_pair_row() {
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt")) return pair_row_avx2;
    if (__builtin_cpu_supports("popcnt")) return pair_row_popcnt;
#endif
    return pair_row_plain;
}

// The levels [from, to) of `levels`, side by side in `tile`.
static void gather(const Problem& p, std::int64_t from, std::int64_t to,
                   std::vector<double>& tile) {
    const std::int64_t rows = p.data.rows;
    for (std::int64_t i = from; i < to; ++i)
        std::copy_n(p.data.values.data() + p.levels[static_cast<std::size_t>(i)] * rows, rows,
                    tile.begin() + (i - from) * rows);
}

// One band of the condensed matrix: the tile of levels from i0 against
// itself and every later tile.
static void fill_band(const Problem& p, PairRow pair_row, std::int64_t i0, Tiles& tiles,
                      double* values) {
    const std::int64_t rows = p.data.rows;
    const std::int64_t i1 = std::min(i0 + p.tile, p.count);
    gather(p, i0, i1, tiles.first);
    for (std::int64_t j0 = i0; j0 < p.count; j0 += p.tile) {
        const std::int64_t j1 = std::min(j0 + p.tile, p.count);
        if (j0 != i0) gather(p, j0, j1, tiles.second);
        const double* other = j0 == i0 ? tiles.first.data() : tiles.second.data();
        for (std::int64_t a = i0; a < i1; ++a) {
            const std::int64_t from = std::max(j0, a + 1);
            if (from >= j1) continue;
            pair_row(p, tiles.first.data() + (a - i0) * rows, a, other + (from - j0) * rows, from,
                     j1, values + pair_index(p.count, a, from));
        }
    }
}

Distances level_distances(const ClusterData& data, const std::vector<std::int32_t>& levels,
                          int threads) {
    const auto count = static_cast<std::int64_t>(levels.size());
    Distances distances = allocate_distances(count);
    if (!distances.values || count < 2) return distances;
    // A tile is at most 64 levels and about 256 KB.
    Problem p{data,
              levels,
              present_rows(data, levels),
              {},
              count,
              std::clamp<std::int64_t>(32768 / std::max<std::int64_t>(data.rows, 1), 1, 64)};
    for (std::int64_t a = 0; a < count; ++a)
        p.complete.push_back(rows_with_value(p.present, a) == data.rows);
    const PairRow pair_row = chosen_pair_row();
    const std::int64_t bands = (count + p.tile - 1) / p.tile;
    // The bands are taken in order, the longest first, each by the next
    // thread free: the short last ones even out the threads' ends. Each
    // distance is one call's work, whichever thread makes it, so the
    // matrix is the same whatever the number of threads.
    std::atomic<std::int64_t> next_band{0};
    auto work = [&] {
        Tiles tiles;
        tiles.first.resize(static_cast<std::size_t>(p.tile * data.rows));
        tiles.second.resize(tiles.first.size());
        for (std::int64_t band; (band = next_band.fetch_add(1)) < bands;)
            fill_band(p, pair_row, band * p.tile, tiles, distances.values.get());
    };
    const auto helpers = static_cast<std::size_t>(
        std::clamp<std::int64_t>(threads, 1, std::max<std::int64_t>(bands, 1)) - 1);
    std::vector<std::thread> pool;
    pool.reserve(helpers);
    for (std::size_t t = 0; t < helpers; ++t) pool.emplace_back(work);
    work();
    for (std::thread& thread : pool) thread.join();
    return distances;
}
