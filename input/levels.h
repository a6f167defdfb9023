// The levels of one factor of a table file: the values that occur in its
// column. The first pass meets every value and gives each new one an id in
// the order of first appearance; finishing orders the levels (by number
// when every value is a whole number, else by first appearance) and labels
// them; the second pass finds each value's level.
#pragma once

#include "base/whole_number.h"
#include "trial/hash_slots.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Values below this go through small_numbers.
inline constexpr std::uint32_t small_number_limit = 1 << 20;

// The last value looked up, which most records repeat, and its id (its
// level once finished), when it is at most `capacity` bytes long. Each
// thread that looks levels up keeps its own.
struct LastValue {
    static constexpr std::size_t capacity = 32;
    char text[capacity] = {};
    std::size_t size = 0;
    std::int32_t id = -1; // -1: none
};

struct LevelTable {
    std::vector<std::string> texts; // by id, in the order of first appearance
    HashSlots slots;                // the ids by their texts
    // Plain small numbers ("7", "2013"), by far the most common values,
    // skip the hashing: their id + 1 by value.
    std::vector<std::uint32_t> small_numbers;
    bool numeric = true; // every value so far is a whole number of at most 18 digits
    LastValue last;
    // After finishing: the level (from 1) of every id, of every plain small
    // number met (0 for none), and the id of every level.
    std::vector<std::int32_t> level_of;
    std::vector<std::int32_t> level_of_number;
    std::vector<std::int32_t> id_of_level;
};

// The value of a plain small number ("0" to "1048575", no sign, no leading
// zero: "0012" is a text of its own), or -1. Larger numbers take the hash,
// so that no table is ever sized by a value beyond the limit.
inline std::int64_t plain_small_number(std::string_view text) {
    if (text.empty() || text.size() > 7 || (text[0] == '0' && text.size() > 1)) return -1;
    std::uint32_t value = 0; // seven digits fit
    for (char c : text) {
        if (!is_digit(c)) return -1;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value < small_number_limit ? static_cast<std::int64_t>(value) : -1;
}

// The id of a value, given a new one when it has none yet (then `added`).
// Ends the run through fatal_exit when the ids can't be had (more than int32
// levels, or no memory).
// Numbers from `small_limit` on take the hash: a range's own table keeps
// its room small, since many are in memory at once.
std::int32_t add_level(LevelTable& table, std::string_view text, bool& added,
                       std::uint32_t small_limit = small_number_limit);

// Orders the levels once every value has been met: a level is the text as
// written ("0012" and "12" are two). When every value is a whole number,
// the levels go by number, and one number written in several ways by text
// ("7", "0012", "012", "12"); otherwise they go in the order they first
// appeared. Gives the number of levels.
std::int32_t finish_levels(LevelTable& table);

// The levels' labels, level 1 first, once the values are no longer looked
// up: of whole numbers `letter` and the text ("G0012"), otherwise the text
// alone ("Loc01", "MN 93272"). The texts are moved, not copied: a table of a
// million names holds them once.
std::vector<std::string> take_labels(LevelTable& table, char letter);

// The level (from 1) of a value met before finishing, or 0 for a value
// never met, by the hash of the names.
std::int32_t find_level(const LevelTable& table, std::string_view text);

// Every value looked up here has a word of bytes readable from its start,
// whatever its length: a field in the reader's buffer, with its slack after
// the data (input/data_reader.h), or in a table line's unquoted text. Most
// values are that short, and are compared and copied a word at a time.
inline constexpr std::size_t word_bytes = 8;

inline std::uint64_t first_word(const char* text) {
    std::uint64_t word;
    std::memcpy(&word, text, word_bytes);
    return word;
}

// The bits of a word that hold its first `size` bytes, by size 0 to 8.
inline constexpr auto first_bytes = [] {
    std::array<std::uint64_t, word_bytes + 1> masks{};
    for (std::size_t size = 1; size <= word_bytes; ++size) {
        const unsigned unused = static_cast<unsigned>(8 * (word_bytes - size));
        const std::uint64_t all = ~std::uint64_t{0};
        masks[size] = size == word_bytes                           ? all
                      : std::endian::native == std::endian::little ? all >> unused
                                                                   : all << unused;
    }
    return masks;
}();

// Whether `text` is the value looked up last; then its id (or level).
inline bool is_last(const LastValue& last, std::string_view text, std::int32_t& id) {
    if (last.id < 0 || text.size() != last.size) return false;
    if (text.size() <= word_bytes) {
        if (((first_word(text.data()) ^ first_word(last.text)) & first_bytes[text.size()]) != 0)
            return false;
    } else if (std::memcmp(text.data(), last.text, text.size()) != 0) {
        return false;
    }
    id = last.id;
    return true;
}

// Keeps `text` as the value looked up last, when it is short enough.
inline void remember_last(LastValue& last, std::string_view text, std::int32_t id) {
    if (text.size() > LastValue::capacity || text.empty()) return;
    std::memcpy(last.text, text.data(), text.size() <= word_bytes ? word_bytes : text.size());
    last.size = text.size();
    last.id = id;
}

// add_level for the first pass's loop, inline: the value looked up last,
// or a plain small number known already, takes no search.
inline std::int32_t level_id(LevelTable& table, std::string_view text, bool& added,
                             std::uint32_t small_limit = small_number_limit) {
    added = false;
    std::int32_t id;
    if (is_last(table.last, text, id)) return id;
    const std::int64_t number = plain_small_number(text);
    const auto at = static_cast<std::size_t>(number);
    if (number >= 0 && at < table.small_numbers.size() && table.small_numbers[at] != 0)
        id = static_cast<std::int32_t>(table.small_numbers[at] - 1);
    else
        id = add_level(table, text, added, small_limit);
    remember_last(table.last, text, id);
    return id;
}

// find_level for the second pass's loop, inline, likewise; `last` is the
// caller's own where several threads look levels up in one table.
inline std::int32_t level_of_value(const LevelTable& table, LastValue& last,
                                   std::string_view text) {
    std::int32_t level;
    if (is_last(last, text, level)) return level;
    if (const std::int64_t number = plain_small_number(text); number >= 0) {
        const auto at = static_cast<std::size_t>(number);
        level = at < table.level_of_number.size() ? table.level_of_number[at] : 0;
    } else {
        level = find_level(table, text);
    }
    remember_last(last, text, level);
    return level;
}

inline std::int32_t level_of_value(LevelTable& table, std::string_view text) {
    return level_of_value(table, table.last, text);
}
