// The data file and the trait cube it is loaded into.
//
// A classic design file is white-space separated text: five header names,
// then records of five fields each: variety, year and location codes, a
// block code and a trait value; line structure carries no meaning. A table
// file (a CSV file, or any file whose columns are named) has a header line
// naming its columns and one record per line; its levels are the values
// that occur in a column.
#pragma once

#include "design/trait_value.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

extern int nVar;            // variety levels: the largest code, or the values of a table
extern int nYear;           // year levels
extern int nLoc;            // location levels
extern float*** trait_cube; // [variety][year][location], every index from 1; 0 = empty
extern float grand_mean;    // mean of every observed trait value, summed in double

// A cell whose value is an observation of 0 (a mean of 0 with --cells mean)
// holds -0.0: the cube's 0.0 means an empty cell.

// The factors of the cube, in the order of its indices.
enum Factor : int { variety_factor = 0, year_factor = 1, location_factor = 2 };

// The labels of a table file's levels, level 1 first, by factor, whole as
// the matrix shows them ("G0012", "Loc01"); empty for a classic file, whose
// levels are its codes 1, 2, 3, ..., labelled G1, Y1, L1.
extern std::vector<std::string> level_labels[3];

// What the load of a table file read, for the lines that account for it.
struct LoadAccount {
    bool table = false;                // a table file was read
    std::int64_t records = 0;          // records read
    std::int64_t repeated_headers = 0; // copies of the header line, skipped
    std::string trait;                 // the trait column's name as the header writes it
    std::int64_t values = 0;           // observations, zeros included
    std::int64_t missing = 0;          // fields that hold a missing value
    std::int64_t zeros = 0;            // observations of 0
};
extern LoadAccount load_account;

// Whether level `outer` of factor f and level `inner` of factor (f + 1) % 3
// occur together in some record, whatever its trait value: a table's rows
// are the combinations that occur. Always true for a classic file, whose
// rows are every combination.
bool pair_occurs(int f, std::int64_t outer, std::int64_t inner);

// How many pairs of factor f and factor (f + 1) % 3 occur.
std::int64_t pairs_occurring(int f);

// Bytes read from the data file at a time; tests shrink it so that block ends
// fall inside every kind of record.
extern std::size_t read_block_size;

// How the data file is read.
struct LoadOptions {
    // The columns of the variety, year, location, block and trait value:
    // five header names or column numbers from 1. Given, they make the file
    // a table whatever its separator.
    std::vector<std::string> columns;
    bool cell_means = false; // a cell holds the mean of its values, not the last one
    // The trait values' decimal mark; by default a comma in a CSV file
    // separated by semicolons, a point everywhere else.
    std::optional<DecimalMark> decimal;
    std::int64_t skip = 0; // lines before the data: a title, notes
};

// Reads the open data file (design/data_file.h) in two passes: the first
// finds the levels and allocates the cube and the work tables, the second
// fills the cube and sums the grand mean. Closes the file. A malformed or
// unreadable file, or data too large for memory, ends the run through
// fatal_exit naming the record or line and the token at fault. A file that
// is no longer as it was opened, or whose second pass reads other bytes than
// its first, ends it as a file that changed while it was read.
void load_trait_cube(const LoadOptions& options = {});
