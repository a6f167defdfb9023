// The trait cube: the values of one trait by variety, year and location,
// with the levels of the three factors and the rows of a matrix that occur.
// Loaders build it through a CubeBuilder; the matrix writer and the tree
// read it through its row view, which gives a dense and a sparse cube
// alike.
//
// A classic file and a table whose levels fill a good part of the cube keep
// every cell ([variety][year][location], from 1, made by f3tensor). A table
// whose cube would be many times its records (genotypes that enter and
// leave, calendar years, named places) keeps only the cells that occur, so
// that memory grows with the records, not with the product of the levels.
#pragma once

#include "storage/offset_arrays.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The factors of the cube, in the order of its indices.
enum Factor : int { variety_factor = 0, year_factor = 1, location_factor = 2 };

// A cell that occurs, by its levels from 1.
// The longest label a level may have: a table's value, at most as long as
// the longest token the data file's reader takes.
inline constexpr std::size_t longest_label = 4096;

// Every cell kept, or only those that occur; a table's load chooses by the
// size of its cube against its records, and tests choose either.
enum class CubeForm { automatic, dense, sparse };

struct CellCode {
    std::int32_t variety, year, location;

    std::int32_t level(int f) const { return f == 0 ? variety : f == 1 ? year : location; }
};

// What every trait of one load shares: the levels and the rows that occur.
struct CubeLevels {
    int nVar = 1, nYear = 1, nLoc = 1; // variety, year and location levels
    // The labels of a table's levels, level 1 first, by factor, whole as the
    // matrix shows them ("G0012", "Loc01"); empty for a classic file, whose
    // levels are its codes, labelled G1, Y1, L1.
    std::vector<std::string> level_labels[3];
    // Whether a table's labels of a factor are its letter before the number
    // the file writes ("G0012" for 0012), by factor.
    bool lettered[3] = {false, false, false};
    // Of a table's dense cube: a bit per pair of levels of factors f and
    // (f + 1) % 3, set when the pair occurs in some record, whatever its
    // trait value. Empty for a classic file, whose rows are every pair.
    std::vector<std::uint64_t> pair_marks[3];
    // Of a sparse cube: every cell that occurs, in the order of variety,
    // year and location; the rows are the pairs these give.
    bool sparse = false;
    std::vector<CellCode> cells;

    std::int64_t count(int f) const { return f == 0 ? nVar : f == 1 ? nYear : nLoc; }
    // The pairs of levels of factors f and (f + 1) % 3, and the bit of one
    // in pair_marks[f].
    std::int64_t pairs(int f) const { return count(f) * count((f + 1) % 3); }
    std::int64_t pair_bit(int f, std::int64_t outer, std::int64_t inner) const {
        return (outer - 1) * count((f + 1) % 3) + (inner - 1);
    }
};

// The layouts of a cube's matrix, by the factor whose levels are its columns.
enum class Layout {
    variety = 1,  // columns G1.., rows Y+L, values centred on the grand mean, "." when empty
    year = 2,     // columns Y1.., rows L+G, raw values, "," when empty
    location = 3, // columns L1.., rows G+Y, values centred on the grand mean, "." when empty
};

// The factor whose levels are the columns of a layout.
inline int analysed_factor(Layout layout) {
    return static_cast<int>(layout) - 1;
}

// One trait's cube. A cell holds its value, or NaN when it is empty: no
// value is NaN, since a trait beyond single precision is refused, and an
// observed 0 is a plain 0. The cells are read through cube_rows or
// cube_cell, whatever the cube's form.
struct TraitCube {
    std::shared_ptr<const CubeLevels> levels;
    FloatCube dense;              // every cell, unless levels->sparse
    std::vector<float> sparse;    // one per levels->cells, in their order
    float grand_mean = 0;         // of every observed value, summed in double
    std::string trait;            // the trait column's name in a table, as the console shows it
    std::string trait_as_written; // and as the file's bytes, as its levels' labels are
    std::int64_t values = 0;      // observations, zeros included
    std::int64_t missing = 0;     // trait fields that hold a missing value
    std::int64_t zeros = 0;       // observations of 0 (tables only)
    std::int64_t cells_held = 0;  // cells that hold a value
};

// Whether a cell holds a value.
inline bool holds_value(float cell) {
    return cell == cell;
}

// The cell of levels v, y and l (each from 1): its value, or NaN.
float cube_cell(const TraitCube& cube, std::int64_t v, std::int64_t y, std::int64_t l);

// Whether level `outer` of factor f and level `inner` of factor (f + 1) % 3
// occur together: a table's rows are the pairs that occur.
bool pair_occurs(const CubeLevels& levels, int f, std::int64_t outer, std::int64_t inner);

// The places in `cells` in the order of the rows of a matrix whose columns
// are factor `columns`, each row's cells by column.
std::vector<std::size_t> row_order(const std::vector<CellCode>& cells, int columns);

// How many pairs of factor f and factor (f + 1) % 3 occur.
std::int64_t pairs_occurring(const CubeLevels& levels, int f);

// The rows of a layout's matrix of one cube, one at a time: the pairs of
// the levels of the two factors that are not the columns that occur, outer
// first, each with its cells by column. A view holds what it gathers
// itself, so that any number of views may read cubes at once, from any
// thread; the cube must outlive it.
struct CubeRows {
    std::int64_t count = 0; // the rows of the matrix
    // After next_row: the row's level of factor (columns + 1) % 3 and of
    // (columns + 2) % 3, and its cells, one per column, as they are until
    // the next row.
    std::int64_t outer = 1, inner = 0;
    const float* cells = nullptr;

    // The view's own: what it reads, and where it is.
    const TraitCube* cube = nullptr;
    int columns = 0;
    std::vector<float> gathered;    // a row or a tile of rows, gathered across the cube
    std::vector<std::size_t> order; // a sparse cube's cells in the rows' order
    std::size_t first = 0, end = 0; // a sparse cube's row: its cells in `order`
    std::int64_t tile_locations = 0, tile_year = 0, tile_first = 0, tile_count = 0;
};

// The view of `cube`'s rows in `layout`, before its first row.
CubeRows cube_rows(const TraitCube& cube, Layout layout);

// Moves to the next row; false when there is none.
bool next_row(CubeRows& rows);
