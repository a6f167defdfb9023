// The levels of one factor of a table file: the values that occur in its
// column. The first pass meets every value and gives each new one an id in
// the order of first appearance; finishing orders the levels (by number
// when every value is a whole number, else by first appearance) and labels
// them; the second pass finds each value's level.
#pragma once

#include "base/whole_number.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct LevelTable {
    std::vector<std::string> texts; // by id, in the order of first appearance
    // Open addressing over the texts: a slot holds an id + 1, 0 when free.
    std::vector<std::uint32_t> slots;
    std::vector<std::uint64_t> slot_hashes;
    // Plain small numbers ("7", "2013"), by far the most common values,
    // skip the hashing: their id + 1 by value.
    std::vector<std::uint32_t> small_numbers;
    bool numeric = true; // every value so far is a whole number of at most 18 digits
    // The value of the record before, which most records repeat, and its id
    // (its level once finished); -1 for none.
    std::string last_text;
    std::int32_t last_id = -1;
    // After finishing: the level (from 1) of every id, and every level's label.
    std::vector<std::int32_t> level_of;
    std::vector<std::string> labels;
};

// Values below this go through small_numbers.
inline constexpr std::uint32_t small_number_limit = 1 << 20;

// The value of a plain small number ("0" to "1048575", no sign, no leading
// zero), or -1.
inline std::int64_t plain_small_number(std::string_view text) {
    if (text.empty() || text.size() > 7 || (text[0] == '0' && text.size() > 1)) return -1;
    std::uint32_t value = 0;
    for (char c : text) {
        if (!is_digit(c)) return -1;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value < small_number_limit ? value : -1;
}

// The id of a value, given a new one when it has none yet. Ends the run
// through fatal_exit when the ids can't be had (more than int32 levels, or
// no memory).
std::int32_t level_id(LevelTable& table, std::string_view text);

// Orders and labels the levels once every value has been met. Gives the
// number of levels.
std::int32_t finish_levels(LevelTable& table);

// The level (from 1) of a value met before finishing, or 0 for a value
// never met.
std::int32_t level_of_value(LevelTable& table, std::string_view text);
