// splitmix64: a generator fixed by its definition, unlike the standard
// distributions, so a benchmark trial can be remade bit for bit on any
// machine, and cheap enough to name temporary files.
#pragma once

#include <cstdint>

// Advances `state` and gives the next 64 random bits.
inline std::uint64_t next_random(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}
