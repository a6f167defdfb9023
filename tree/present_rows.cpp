#include "tree/present_rows.h"

#include <bit>

PresentRows present_rows(const ClusterData& data, const std::vector<std::int32_t>& levels) {
    PresentRows present;
    present.words = (data.rows + 63) / 64;
    present.bits.assign(levels.size() * static_cast<std::size_t>(present.words), 0);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const double* values = data.values.data() + levels[i] * data.rows;
        std::uint64_t* bits = present.bits.data() + static_cast<std::int64_t>(i) * present.words;
        for (std::int64_t row = 0; row < data.rows; ++row)
            if (values[row] == values[row]) bits[row / 64] |= std::uint64_t{1} << (row % 64);
    }
    return present;
}

[[gnu::always_inline]] static inline std::int64_t
count_shared(const std::uint64_t* x, const std::uint64_t* y, std::int64_t words) {
    std::int64_t count = 0;
    for (std::int64_t w = 0; w < words; ++w) count += std::popcount(x[w] & y[w]);
    return count;
}

// Without the instruction, the C library counts a word's bits in a call of
// its own: with many levels and few words, most of the time of the count.
using CountShared = std::int64_t (*)(const std::uint64_t*, const std::uint64_t*, std::int64_t);
static std::int64_t count_plain(const std::uint64_t* x, const std::uint64_t* y,
                                std::int64_t words) {
    return count_shared(x, y, words);
}
#if defined(__x86_64__) && defined(__GNUC__)
[[gnu::target("popcnt")]] static std::int64_t
count_popcnt(const std::uint64_t* x, const std::uint64_t* y, std::int64_t words) {
    return count_shared(x, y, words);
}
#endif

static CountShared chosen_count() {
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("popcnt")) return count_popcnt;
#endif
    return count_plain;
}

std::int64_t shared_rows(const PresentRows& present, std::int64_t a, std::int64_t b) {
    static const CountShared count = chosen_count();
    return count(present.bits.data() + a * present.words, present.bits.data() + b * present.words,
                 present.words);
}
