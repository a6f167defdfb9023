// The trait cube: the values of one trait by variety, year and location,
// with the levels of the three factors and the rows of a matrix that occur.
// Loaders build it through a CubeBuilder; the matrix writer and the tree
// read it row by row.
//
// A classic file and a table whose levels fill a good part of the cube keep
// every cell ([variety][year][location], from 1, made by f3tensor). A table
// whose cube would be many times its records (genotypes that enter and
// leave, calendar years, named places) keeps only the cells that occur, so
// that memory grows with the records, not with the product of the levels.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The factors of the cube, in the order of its indices.
enum Factor : int { variety_factor = 0, year_factor = 1, location_factor = 2 };

// A cell that occurs, by its levels from 1.
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

// One trait's cube. A cell whose value is an observation of 0 holds -0.0:
// 0.0 marks an empty cell.
struct TraitCube {
    std::shared_ptr<const CubeLevels> levels;
    float*** trait_cube = nullptr;  // a dense cube's cells, every index from 1
    std::vector<float> cell_values; // a sparse cube's: one per levels->cells
    float grand_mean = 0;           // of every observed value, summed in double
    std::string trait;              // the trait column's name in a table, as the console shows it
    std::string trait_as_written;   // and as the file's bytes, as its levels' labels are
    std::int64_t values = 0;        // observations, zeros included
    std::int64_t missing = 0;       // trait fields that hold a missing value
    std::int64_t zeros = 0;         // observations of 0 (tables only)
};

// Whether level `outer` of factor f and level `inner` of factor (f + 1) % 3
// occur together: a table's rows are the pairs that occur.
bool pair_occurs(const CubeLevels& levels, int f, std::int64_t outer, std::int64_t inner);

// The places in `cells` in the order of the rows of a matrix whose columns
// are factor `columns`, each row's cells by column.
std::vector<std::size_t> row_order(const std::vector<CellCode>& cells, int columns);

// How many pairs of factor f and factor (f + 1) % 3 occur.
std::int64_t pairs_occurring(const CubeLevels& levels, int f);

// Calls `row(outer, inner, cells)` for every row of the matrix whose columns
// are the levels of factor `columns`, in the matrix's order: the pairs of
// the levels of the other two factors that occur, outer first, with the
// row's cells, one per column (a view that lives until the next row).
using RowVisitor = std::function<void(std::int64_t outer, std::int64_t inner, const float* cells)>;
void for_each_row(const TraitCube& cube, int columns, const RowVisitor& row);
