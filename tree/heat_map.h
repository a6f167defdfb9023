// What the tree rests on, as a heat map beside it: the values the distances
// were computed on, one row a leaf (or a group's mean when the tree is drawn
// collapsed), one column a row of the matrix, and which cells the model
// filled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class CellKind : std::uint8_t { observed, filled, empty };

struct HeatMap {
    std::vector<std::string> columns; // the matrix's rows, in its order ("Y1+L2")
    // Row-major, values[row * columns.size() + column]: NaN for an empty cell.
    std::vector<double> values;
    std::vector<CellKind> kinds; // as values
    std::size_t rows() const { return columns.empty() ? 0 : values.size() / columns.size(); }
};

// The mean of every value of `map`, 0 when it has none.
double grand_mean(const HeatMap& map);

// The lowest and highest value of `map`; both 0 when it has none.
std::pair<double, double> value_range(const HeatMap& map);

// A row per group of `map` (whose rows are leaves; `group_of` by leaf, from
// 1 to `groups`): each cell its members' mean over their values; empty when
// none has a value, filled when most of those values were the model's.
HeatMap group_means(const HeatMap& map, const std::vector<std::int32_t>& group_of,
                    std::int32_t groups);

// The colour of a value on a diverging scale from blue (below `centre`)
// through near white to red (above it), reaching its ends at centre -+
// `reach`: ColorBrewer's RdBu, which readers with the common colour
// blindnesses read as a light-to-dark scale either way. "#RRGGBB".
std::string diverging_colour(double value, double centre, double reach);

// `colour` ("#RRGGBB") mixed half with white: a filled cell's.
std::string lighter(const std::string& colour);
