#include "input/levels.h"

#include "base/text_hash.h"
#include "texts/console_texts.h"

#include <algorithm>
#include <numeric>

static constexpr std::uint32_t no_id = 0;

// The slot of `text`: its own, or the free one where it belongs.
static std::size_t slot_of(const LevelTable& table, std::string_view text, std::uint64_t hash) {
    return table.slots.find(hash, [&](std::size_t id) { return table.texts[id] == text; });
}

static bool whole_number_of_18_digits(const std::string& text) {
    const WholeNumber number = read_whole_number(text.c_str());
    return number.length == text.size() && number.digits <= 18;
}

static std::int32_t new_id(LevelTable& table, std::string_view text) {
    if (table.texts.size() >= static_cast<std::size_t>(INT32_MAX))
        fatal_exit(texts::too_many_levels);
    table.texts.emplace_back(text);
    if (table.numeric && !whole_number_of_18_digits(table.texts.back())) table.numeric = false;
    return static_cast<std::int32_t>(table.texts.size() - 1);
}

std::int32_t add_level(LevelTable& table, std::string_view text, bool& added,
                       std::uint32_t small_limit) {
    if (const std::int64_t number = plain_small_number(text); number >= 0 && number < small_limit) {
        if (table.small_numbers.size() <= static_cast<std::size_t>(number))
            table.small_numbers.resize(static_cast<std::size_t>(number) + 1, no_id);
        std::uint32_t& known = table.small_numbers[static_cast<std::size_t>(number)];
        added = known == no_id;
        if (added) known = static_cast<std::uint32_t>(new_id(table, text)) + 1;
        return static_cast<std::int32_t>(known - 1);
    }
    table.slots.make_room(table.texts.size(), 64);
    const std::uint64_t hash = hash_text(text);
    const std::size_t slot = slot_of(table, text, hash);
    added = table.slots.entries[slot] == 0;
    if (added) table.slots.put(slot, hash, static_cast<std::size_t>(new_id(table, text)));
    return static_cast<std::int32_t>(table.slots.entries[slot] - 1);
}

std::int32_t finish_levels(LevelTable& table) {
    const std::size_t count = table.texts.size();
    table.level_of.assign(count, 0);
    table.id_of_level.assign(count, 0);
    if (!table.numeric) {
        for (std::size_t id = 0; id < count; ++id) {
            table.level_of[id] = static_cast<std::int32_t>(id + 1);
            table.id_of_level[id] = static_cast<std::int32_t>(id);
        }
    } else {
        std::vector<std::int64_t> values(count);
        for (std::size_t id = 0; id < count; ++id)
            values[id] = read_whole_number(table.texts[id].c_str()).value;
        std::vector<std::size_t> order(count);
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return values[a] != values[b] ? values[a] < values[b] : table.texts[a] < table.texts[b];
        });
        for (std::size_t i = 0; i < count; ++i) {
            table.id_of_level[i] = static_cast<std::int32_t>(order[i]);
            table.level_of[order[i]] = static_cast<std::int32_t>(i + 1);
        }
    }
    table.level_of_number.assign(table.small_numbers.size(), 0);
    for (std::size_t number = 0; number < table.small_numbers.size(); ++number)
        if (const std::uint32_t id = table.small_numbers[number]; id != no_id)
            table.level_of_number[number] = table.level_of[id - 1];
    table.last = LastValue{};
    return static_cast<std::int32_t>(count);
}

std::vector<std::string> take_labels(LevelTable& table, char letter) {
    std::vector<std::string> labels;
    labels.reserve(table.id_of_level.size());
    for (std::int32_t id : table.id_of_level) {
        std::string& text = table.texts[static_cast<std::size_t>(id)];
        labels.push_back(table.numeric ? letter + text : std::move(text));
    }
    table = LevelTable{};
    return labels;
}

std::int32_t find_level(const LevelTable& table, std::string_view text) {
    std::int32_t level = 0;
    if (!table.slots.entries.empty()) {
        const std::uint32_t id = table.slots.entries[slot_of(table, text, hash_text(text))];
        if (id != 0) level = table.level_of[id - 1];
    }
    return level;
}
