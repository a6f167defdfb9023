#include "design/trait_cube.h"

#include <algorithm>
#include <numeric>
#include <tuple>

bool pair_occurs(const CubeLevels& levels, int f, std::int64_t outer, std::int64_t inner) {
    if (levels.pair_marks[f].empty()) return true;
    const std::int64_t bit = levels.pair_bit(f, outer, inner);
    return levels.pair_marks[f][static_cast<std::size_t>(bit >> 6)] >> (bit & 63) & 1;
}

std::vector<std::size_t> row_order(const std::vector<CellCode>& cells, int columns) {
    // The factors as members, chosen once: a choice in the comparison would
    // cost a sort of millions of cells half its time again.
    constexpr std::int32_t CellCode::*members[3] = {&CellCode::variety, &CellCode::year,
                                                    &CellCode::location};
    const auto outer = members[(columns + 1) % 3], inner = members[(columns + 2) % 3],
               column = members[columns];
    std::vector<std::size_t> order(cells.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const CellCode &x = cells[a], &y = cells[b];
        return std::tie(x.*outer, x.*inner, x.*column) < std::tie(y.*outer, y.*inner, y.*column);
    });
    return order;
}

std::int64_t pairs_occurring(const CubeLevels& levels, int f) {
    if (levels.sparse) {
        // The rows of the matrix whose columns are the third factor.
        const int columns = (f + 2) % 3;
        const std::vector<std::size_t> order = row_order(levels.cells, columns);
        std::int64_t count = 0;
        for (std::size_t i = 0; i < order.size(); ++i) {
            const CellCode &cell = levels.cells[order[i]],
                           &before = levels.cells[order[i > 0 ? i - 1 : 0]];
            count += i == 0 || cell.level(f) != before.level(f) ||
                     cell.level((f + 1) % 3) != before.level((f + 1) % 3);
        }
        return count;
    }
    if (levels.pair_marks[f].empty()) return levels.pairs(f);
    std::int64_t count = 0;
    for (std::uint64_t word : levels.pair_marks[f]) count += __builtin_popcountll(word);
    return count;
}

static void sparse_rows(const TraitCube& cube, int columns, const RowVisitor& row) {
    const CubeLevels& levels = *cube.levels;
    const int outer = (columns + 1) % 3, inner = (columns + 2) % 3;
    const std::vector<std::size_t> order = row_order(levels.cells, columns);
    std::vector<float> cells(static_cast<std::size_t>(levels.count(columns)), 0.0f);
    for (std::size_t first = 0; first < order.size();) {
        const CellCode& head = levels.cells[order[first]];
        std::size_t end = first;
        for (; end < order.size(); ++end) {
            const CellCode& cell = levels.cells[order[end]];
            if (cell.level(outer) != head.level(outer) || cell.level(inner) != head.level(inner))
                break;
            cells[static_cast<std::size_t>(cell.level(columns) - 1)] = cube.cell_values[order[end]];
        }
        row(head.level(outer), head.level(inner), cells.data());
        for (std::size_t i = first; i < end; ++i)
            cells[static_cast<std::size_t>(levels.cells[order[i]].level(columns) - 1)] = 0.0f;
        first = end;
    }
}

// The variety columns read the cube across varieties, nYear x nLoc cells
// apart: straight from the cube, a large trial would miss the cache and the
// page tables at every cell. Where a tile of several locations fits, one
// year's locations are gathered a tile at a time, reading the cube in
// order, and their rows are given from the tile.
static void variety_rows(const TraitCube& cube, const RowVisitor& row) {
    const CubeLevels& levels = *cube.levels;
    float*** const cells = cube.trait_cube;
    const std::int64_t nVar = levels.nVar, nYear = levels.nYear, nLoc = levels.nLoc;
    constexpr std::int64_t tile_cells = 1 << 16; // stays in the second-level cache
    static float tile[tile_cells];
    const std::int64_t tile_locations = std::min<std::int64_t>(tile_cells / nVar, nLoc);
    if (tile_locations < 2) {
        std::vector<float> gathered(static_cast<std::size_t>(nVar));
        for (std::int64_t y = 1; y <= nYear; ++y)
            for (std::int64_t l = 1; l <= nLoc; ++l) {
                if (!pair_occurs(levels, year_factor, y, l)) continue;
                for (std::int64_t v = 1; v <= nVar; ++v)
                    gathered[static_cast<std::size_t>(v - 1)] = cells[v][y][l];
                row(y, l, gathered.data());
            }
        return;
    }
    for (std::int64_t y = 1; y <= nYear; ++y)
        for (std::int64_t first = 1; first <= nLoc; first += tile_locations) {
            const std::int64_t count = std::min(tile_locations, nLoc - first + 1);
            for (std::int64_t v = 1; v <= nVar; ++v) {
                const float* from = &cells[v][y][first];
                for (std::int64_t k = 0; k < count; ++k) tile[k * nVar + v - 1] = from[k];
            }
            for (std::int64_t k = 0; k < count; ++k)
                if (pair_occurs(levels, year_factor, y, first + k))
                    row(y, first + k, &tile[k * nVar]);
        }
}

void for_each_row(const TraitCube& cube, int columns, const RowVisitor& row) {
    const CubeLevels& levels = *cube.levels;
    if (levels.sparse) return sparse_rows(cube, columns, row);
    float*** const cells = cube.trait_cube;
    switch (columns) {
    case variety_factor:
        return variety_rows(cube, row);
    case year_factor: {
        std::vector<float> gathered(static_cast<std::size_t>(levels.nYear));
        for (std::int64_t l = 1; l <= levels.nLoc; ++l)
            for (std::int64_t v = 1; v <= levels.nVar; ++v) {
                if (!pair_occurs(levels, location_factor, l, v)) continue;
                for (std::int64_t y = 1; y <= levels.nYear; ++y)
                    gathered[static_cast<std::size_t>(y - 1)] = cells[v][y][l];
                row(l, v, gathered.data());
            }
        return;
    }
    default:
        // A row of the location columns lies whole in the cube.
        for (std::int64_t v = 1; v <= levels.nVar; ++v)
            for (std::int64_t y = 1; y <= levels.nYear; ++y)
                if (pair_occurs(levels, variety_factor, v, y)) row(v, y, &cells[v][y][1]);
    }
}
