// A fast hash of a short text (a level's name in a table file), for tables
// looked up millions of times: eight bytes at a time through the same folded
// multiplication as the checksum.
#pragma once

#include "base/checksum.h"

#include <string_view>

inline std::uint64_t hash_text(std::string_view text) {
    using checksum_detail::fold;
    using checksum_detail::keys;
    std::uint64_t h = keys[0] ^ text.size();
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        h = fold(h ^ w, keys[1]);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, text.data() + i, text.size() - i);
    return fold(h ^ tail, keys[2]);
}
