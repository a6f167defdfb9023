// Open addressing from a 64-bit hash to the number of an entry kept
// elsewhere (a level's text, a sparse cube's cell): what a table's load
// uses to find again what it has met, in time that does not grow with it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

struct HashSlots {
    std::vector<std::uint32_t> entries; // an entry's number + 1, 0 when free
    std::vector<std::uint64_t> hashes;  // the hash of the entry in each slot

    // The slot of the entry with `hash` for which `same(entry)` holds, or the
    // free slot where it belongs. The hash is compared first: entries are
    // costly to compare.
    template <class Same>
    std::size_t find(std::uint64_t hash, Same same) const {
        const std::size_t mask = entries.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::uint32_t entry = entries[i];
            if (entry == 0 || (hashes[i] == hash && same(entry - 1))) return i;
        }
    }

    void put(std::size_t slot, std::uint64_t hash, std::size_t entry) {
        entries[slot] = static_cast<std::uint32_t>(entry + 1);
        hashes[slot] = hash;
    }

    // Makes room for one more entry beyond `count`, keeping the table at
    // most half full so that a search ends soon; `smallest` is the first
    // size, a power of two.
    void make_room(std::size_t count, std::size_t smallest) {
        if (2 * (count + 1) <= entries.size()) return;
        std::vector<std::uint32_t> old = std::move(entries);
        std::vector<std::uint64_t> old_hashes = std::move(hashes);
        const std::size_t size = std::max(smallest, old.size() * 2);
        entries.assign(size, 0);
        hashes.assign(size, 0);
        for (std::size_t i = 0; i < old.size(); ++i) {
            if (old[i] == 0) continue;
            std::size_t j = old_hashes[i] & (size - 1);
            while (entries[j] != 0) j = (j + 1) & (size - 1);
            entries[j] = old[i];
            hashes[j] = old_hashes[i];
        }
    }
};
