#include "tree/participation.h"

#include "tree/additive_fill.h"
#include "tree/present_rows.h"

#include <algorithm>
#include <numeric>

// Every remaining level that shares fewer than `min_rows` rows with
// `level` loses one spoilt pair.
static void drop_pairs(const PresentRows& present, const std::vector<char>& remaining,
                       std::int32_t level, std::int64_t min_rows,
                       std::vector<std::int64_t>& spoilt) {
    for (std::int32_t other = 0; other < static_cast<std::int32_t>(remaining.size()); ++other) {
        if (!remaining[other] || other == level) continue;
        if (shared_rows(present, level, other) < min_rows) --spoilt[other];
    }
}

Participation choose_levels(const ClusterData& data, std::int64_t min_rows) {
    const auto count = static_cast<std::int32_t>(data.labels.size());
    std::vector<std::int32_t> all(data.labels.size());
    std::iota(all.begin(), all.end(), 0);
    const PresentRows present = present_rows(data, all);

    Participation result;
    result.levels.resize(data.labels.size());
    std::vector<char> remaining(data.labels.size());
    for (std::int32_t level = 0; level < count; ++level) {
        result.levels[level].values = rows_with_value(present, level);
        remaining[level] = result.levels[level].values >= min_rows;
        if (!remaining[level]) result.levels[level].left_out = LeftOut::too_few_values;
    }

    // The pairs are counted once; after that, leaving a level out rescans
    // only its own pairs, so the whole costs as much as counting twice.
    std::vector<std::int64_t> spoilt(data.labels.size());
    for (std::int32_t a = 0; a < count; ++a) {
        if (!remaining[a]) continue;
        for (std::int32_t b = a + 1; b < count; ++b) {
            if (remaining[b] && shared_rows(present, a, b) < min_rows) {
                ++spoilt[a];
                ++spoilt[b];
            }
        }
    }
    for (;;) {
        std::int32_t worst = -1;
        for (std::int32_t level = 0; level < count; ++level) {
            if (!remaining[level] || spoilt[level] == 0) continue;
            if (worst < 0 || spoilt[level] > spoilt[worst] ||
                (spoilt[level] == spoilt[worst] &&
                 result.levels[level].values <= result.levels[worst].values))
                worst = level;
        }
        if (worst < 0) break;
        result.levels[worst].left_out = LeftOut::too_few_shared_rows;
        drop_pairs(present, remaining, worst, min_rows, spoilt);
        remaining[worst] = 0;
        spoilt[worst] = 0;
    }
    for (std::int32_t level = 0; level < count; ++level)
        if (remaining[level]) result.clustered.push_back(level);
    // A note names a level the reader finds in the tree, not one that was
    // itself left out later.
    for (std::int32_t level = 0; level < count; ++level) {
        if (result.levels[level].left_out != LeftOut::too_few_shared_rows) continue;
        for (std::int32_t other : result.clustered) {
            if (shared_rows(present, level, other) < min_rows) {
                result.levels[level].partner = other;
                break;
            }
        }
    }
    return result;
}

Participation choose_connected_levels(const ClusterData& data, std::int64_t min_rows) {
    Participation result;
    result.levels.resize(data.labels.size());
    std::vector<std::int32_t> candidates;
    for (std::size_t level = 0; level < data.labels.size(); ++level) {
        const double* values = data.values.data() + static_cast<std::int64_t>(level) * data.rows;
        LevelPart& part = result.levels[level];
        for (std::int64_t row = 0; row < data.rows; ++row)
            part.values += values[row] == values[row];
        if (part.values < min_rows)
            part.left_out = LeftOut::too_few_values;
        else
            candidates.push_back(static_cast<std::int32_t>(level));
    }
    result.clustered = connected_levels(data, candidates);
    for (std::int32_t level : candidates)
        if (!std::ranges::binary_search(result.clustered, level))
            result.levels[static_cast<std::size_t>(level)].left_out = LeftOut::not_connected;
    return result;
}

std::string left_out_note(const LevelPart& part, const std::vector<std::string>& labels,
                          std::int64_t min_rows, std::string_view leaves) {
    // "fewer than 1 value" is no value at all.
    auto fewer = [&](const char* things) {
        return min_rows == 1 ? std::string("no ") + things
                             : "fewer than " + std::to_string(min_rows) + " " + things + "s";
    };
    switch (part.left_out) {
    case LeftOut::too_few_values:
        return fewer("value");
    case LeftOut::too_few_shared_rows:
        if (part.partner < 0) return "shares " + fewer("row") + " with levels left out after it";
        return "shares " + fewer("row") + " with " + labels[static_cast<std::size_t>(part.partner)];
    case LeftOut::not_connected:
        return "not connected to the other " + std::string(leaves) + " through shared rows";
    case LeftOut::no_variation:
        return "no variation to scale";
    case LeftOut::alone:
        return "no other level is left to cluster with";
    case LeftOut::no:
        break;
    }
    return {};
}
