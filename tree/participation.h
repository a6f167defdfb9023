// Which levels take part in the clustering. A distance needs rows in which
// both levels have a value, so a level with too few values is left out, and
// then, while two of the remaining levels share too few rows, the one level
// that spoils the most such pairs.
#pragma once

#include "tree/cluster_data.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class LeftOut : std::uint8_t {
    no,
    too_few_values,
    too_few_shared_rows,
    not_connected, // no chain of shared rows to the levels clustered (with a fill)
    no_variation,  // all its values equal, with --scale
    alone,         // the one level left: a tree needs two
};

struct LevelPart {
    std::int64_t values = 0; // rows in which the level has a value
    LeftOut left_out = LeftOut::no;
    std::int64_t filled = 0; // its cells the model filled
    // For too_few_shared_rows: the earliest clustered level with which it
    // shares too few rows; -1 when those levels were all left out after it.
    std::int32_t partner = -1;
};

struct Participation {
    std::vector<LevelPart> levels;       // by level, in the matrix's order
    std::vector<std::int32_t> clustered; // the levels taking part, in the matrix's order
};

// Which levels of `data` take part when each must have a value in at least
// `min_rows` rows (at least 1), and each pair must share that many. Of the
// levels that spoil a pair, the one in the most such pairs goes first; on a
// tie the one with fewer values, then the one later in the matrix.
Participation choose_levels(const ClusterData& data, std::int64_t min_rows);

// Which levels of `data` take part when their empty cells are to be filled:
// each must have a value in at least `min_rows` rows, and of those only the
// largest set linked through shared rows stays (tree/additive_fill.h); the
// others are not_connected.
Participation choose_connected_levels(const ClusterData& data, std::int64_t min_rows);

// Why a level was left out, in the group table's words ("fewer than 2
// values", "shares fewer than 2 rows with G17", "not connected to the other
// varieties through shared rows", with `leaves` the levels' word); empty for
// a level that takes part. A note names only a level that takes part.
std::string left_out_note(const LevelPart& part, const std::vector<std::string>& labels,
                          std::int64_t min_rows, std::string_view leaves);
