#include "trial/trait_cube.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <tuple>

static constexpr float empty_cell = std::numeric_limits<float>::quiet_NaN();

float cube_cell(const TraitCube& cube, std::int64_t v, std::int64_t y, std::int64_t l) {
    const CubeLevels& levels = *cube.levels;
    if (!levels.sparse) return cube.dense.at(v, y, l);
    // The cells are in the order of variety, year and location.
    using Levels = std::tuple<std::int64_t, std::int64_t, std::int64_t>;
    const auto at =
        std::lower_bound(levels.cells.begin(), levels.cells.end(), Levels(v, y, l),
                         [](const CellCode& cell, const Levels& key) {
                             return Levels(cell.variety, cell.year, cell.location) < key;
                         });
    if (at == levels.cells.end() || at->variety != v || at->year != y || at->location != l)
        return empty_cell;
    return cube.sparse[static_cast<std::size_t>(at - levels.cells.begin())];
}

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

// Whether two cells lie in one row of the matrix whose columns are factor
// `columns`.
static bool same_row(const CellCode& a, const CellCode& b, int columns) {
    const int outer = (columns + 1) % 3, inner = (columns + 2) % 3;
    return a.level(outer) == b.level(outer) && a.level(inner) == b.level(inner);
}

// The rows of a sparse cube's cells in the rows' order.
static std::int64_t rows_of(const std::vector<CellCode>& cells,
                            const std::vector<std::size_t>& order, int columns) {
    std::int64_t count = 0;
    for (std::size_t i = 0; i < order.size(); ++i)
        count += i == 0 || !same_row(cells[order[i]], cells[order[i - 1]], columns);
    return count;
}

std::int64_t pairs_occurring(const CubeLevels& levels, int f) {
    if (levels.sparse) {
        // The rows of the matrix whose columns are the third factor.
        const int columns = (f + 2) % 3;
        return rows_of(levels.cells, row_order(levels.cells, columns), columns);
    }
    if (levels.pair_marks[f].empty()) return levels.pairs(f);
    std::int64_t count = 0;
    for (std::uint64_t word : levels.pair_marks[f]) count += __builtin_popcountll(word);
    return count;
}

// The variety columns read the cube across varieties, nYear x nLoc cells
// apart: straight from the cube, a large trial would miss the cache and the
// page tables at every cell. Where a tile of several locations fits, one
// year's locations are gathered a tile at a time, reading the cube in
// order, and their rows are given from the tile.
static constexpr std::int64_t tile_cells = 1 << 16; // stays in the second-level cache

CubeRows cube_rows(const TraitCube& cube, Layout layout) {
    CubeRows rows;
    rows.cube = &cube;
    rows.columns = analysed_factor(layout);
    const CubeLevels& levels = *cube.levels;
    const int columns = rows.columns;
    if (levels.sparse) {
        rows.order = row_order(levels.cells, columns);
        rows.count = rows_of(levels.cells, rows.order, columns);
        rows.gathered.assign(static_cast<std::size_t>(levels.count(columns)), empty_cell);
        return rows;
    }
    rows.count = pairs_occurring(levels, (columns + 1) % 3);
    if (columns == variety_factor) {
        rows.tile_locations = std::min<std::int64_t>(tile_cells / levels.nVar, levels.nLoc);
        rows.gathered.resize(
            static_cast<std::size_t>(std::max<std::int64_t>(rows.tile_locations, 1) * levels.nVar));
    } else if (columns == year_factor) {
        rows.gathered.resize(static_cast<std::size_t>(levels.nYear));
    }
    return rows;
}

static bool next_sparse_row(CubeRows& rows, const CubeLevels& levels) {
    const int columns = rows.columns;
    auto column = [&](std::size_t i) {
        return static_cast<std::size_t>(levels.cells[rows.order[i]].level(columns) - 1);
    };
    // The last row's cells empty again.
    for (std::size_t i = rows.first; i < rows.end; ++i) rows.gathered[column(i)] = empty_cell;
    if (rows.end == rows.order.size()) return false;
    rows.first = rows.end;
    const CellCode& head = levels.cells[rows.order[rows.first]];
    for (; rows.end < rows.order.size() &&
           same_row(levels.cells[rows.order[rows.end]], head, columns);
         ++rows.end)
        rows.gathered[column(rows.end)] = rows.cube->sparse[rows.order[rows.end]];
    rows.outer = head.level((columns + 1) % 3);
    rows.inner = head.level((columns + 2) % 3);
    rows.cells = rows.gathered.data();
    return true;
}

// The next pair of levels that occurs after rows.outer and rows.inner.
static bool next_pair(CubeRows& rows, const CubeLevels& levels) {
    const int f = (rows.columns + 1) % 3;
    const std::int64_t outer_levels = levels.count(f), inner_levels = levels.count((f + 1) % 3);
    do {
        if (++rows.inner > inner_levels) {
            rows.inner = 1;
            ++rows.outer;
        }
        if (rows.outer > outer_levels) return false;
    } while (!pair_occurs(levels, f, rows.outer, rows.inner));
    return true;
}

// A row (year, location) of the variety columns.
static const float* variety_row(CubeRows& rows, const CubeLevels& levels) {
    const FloatCube& cells = rows.cube->dense;
    const std::int64_t nVar = levels.nVar, y = rows.outer, l = rows.inner;
    float* const gathered = rows.gathered.data();
    if (rows.tile_locations < 2) {
        for (std::int64_t v = 1; v <= nVar; ++v) gathered[v - 1] = cells.at(v, y, l);
        return gathered;
    }
    if (y != rows.tile_year || l >= rows.tile_first + rows.tile_count) {
        const std::int64_t count = std::min(rows.tile_locations, levels.nLoc - l + 1);
        for (std::int64_t v = 1; v <= nVar; ++v) {
            const float* from = cells.line(v, y) + (l - 1);
            for (std::int64_t k = 0; k < count; ++k) gathered[k * nVar + v - 1] = from[k];
        }
        rows.tile_year = y;
        rows.tile_first = l;
        rows.tile_count = count;
    }
    return gathered + (l - rows.tile_first) * nVar;
}

bool next_row(CubeRows& rows) {
    const CubeLevels& levels = *rows.cube->levels;
    if (levels.sparse) return next_sparse_row(rows, levels);
    if (!next_pair(rows, levels)) return false;
    switch (rows.columns) {
    case variety_factor:
        rows.cells = variety_row(rows, levels);
        break;
    case year_factor: {
        // The row (location, variety).
        const FloatCube& cells = rows.cube->dense;
        for (std::int64_t y = 1; y <= levels.nYear; ++y)
            rows.gathered[static_cast<std::size_t>(y - 1)] = cells.at(rows.inner, y, rows.outer);
        rows.cells = rows.gathered.data();
        break;
    }
    default:
        // A row (variety, year) of the location columns lies whole in the cube.
        rows.cells = rows.cube->dense.line(rows.outer, rows.inner);
    }
    return true;
}
