// Every combination of the levels of several factors, counted as nested
// loops count them, the last factor fastest. A loop `for (int b = 1; b <= n;
// ++b)` steps past n before it stops, which overflows when n is INT_MAX (a
// template size, a code of a data file); this counter steps a level only
// while it is below its count, so it never leaves the range it counts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

template <std::size_t N>
using Levels = std::array<std::int64_t, N>;

// The first combination, every level 1; nothing when a count is below 1.
template <std::size_t N>
inline bool first_combination(Levels<N>& levels, const Levels<N>& counts) {
    levels.fill(1);
    for (std::int64_t count : counts)
        if (count < 1) return false;
    return true;
}

// Steps to the next combination; false after the last.
template <std::size_t N>
inline bool next_combination(Levels<N>& levels, const Levels<N>& counts) {
    for (std::size_t i = N; i-- > 0;) {
        if (levels[i] < counts[i]) {
            ++levels[i];
            return true;
        }
        levels[i] = 1;
    }
    return false;
}
