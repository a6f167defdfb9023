// The plots a table's records have named so far: a plot is a variety, year,
// location and block, by their columns' ids. A record that names a plot
// met before is a repeated plot, which a breeder wants to hear of: a copied
// row, or a block numbered wrongly.
#pragma once

#include "base/checksum.h"
#include "trial/hash_slots.h"

#include <array>
#include <cstdint>
#include <vector>

struct PlotSet {
    HashSlots slots;
    std::vector<std::array<std::int32_t, 4>> plots; // by entry
};

// Adds a plot; false when it was there already.
inline bool add_plot(PlotSet& set, const std::array<std::int32_t, 4>& plot) {
    using checksum_detail::fold;
    using checksum_detail::keys;
    const std::uint64_t low = static_cast<std::uint32_t>(plot[0]) |
                              std::uint64_t{static_cast<std::uint32_t>(plot[1])} << 32;
    const std::uint64_t high = static_cast<std::uint32_t>(plot[2]) |
                               std::uint64_t{static_cast<std::uint32_t>(plot[3])} << 32;
    const std::uint64_t hash = fold(fold(keys[0] ^ low, keys[1]) ^ high, keys[2]);
    set.slots.make_room(set.plots.size(), 1024);
    const std::size_t slot =
        set.slots.find(hash, [&](std::size_t entry) { return set.plots[entry] == plot; });
    if (set.slots.entries[slot] != 0) return false;
    set.slots.put(slot, hash, set.plots.size());
    set.plots.push_back(plot);
    return true;
}
