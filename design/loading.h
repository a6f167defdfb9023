// What the classic and the table loader share, inside design/: the reader of
// the data file, the refusals, the trait value's limits and the cube being
// filled. The rest of the program sees only design/loader.h.
#pragma once

#include "design/data_reader.h"
#include "design/header_search.h"
#include "design/loader.h"
#include "design/table_line.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern DataReader data_reader; // over the data file, for both passes

// Where the file's header seems to be, looked for before either loader reads.
extern HeaderSearch header_search;

// With --cells mean, the sum and the count of every cell of the cube, in the
// cube's order; nullptr when a cell keeps its last value.
extern double* cell_sums;
extern std::int64_t* cell_counts;

// Ends the run: the file changed while it was being read.
[[noreturn]] void file_changed();

// Ends the run on a fault in the file. A half-written file shows faults that
// its finished form won't have: when the file changed since it was opened,
// or the second pass reads other bytes than the first, that is what the
// message says.
[[noreturn]] void refuse(const std::string& message);

// The part of a message that names a token longer than longest_token.
std::string overlong(std::string_view what, std::string_view token);

// The part of a message that refuses a trait field that is not a number
// under `mark`: `subject` names the field, and the other readings of the
// field, if any, say what would read it.
std::string not_a_number(const std::string& subject, std::string_view token, DecimalMark mark);

// Whether a trait value can't be held in single precision: it would become
// an infinity and make every centred value of the matrix meaningless.
inline bool beyond_single_precision(double value) {
    // Halfway between the largest float and 2^128 a value rounds to the even
    // one, 2^128: that and beyond become infinite.
    constexpr double rounds_to_infinity = 0x1.ffffffp127;
    return value >= rounds_to_infinity || value <= -rounds_to_infinity;
}

// Allocates the cube for the level counts of the first pass (nVar, nYear,
// nLoc) and the work tables for `blocks` block levels, every cell empty;
// with --cells mean, the cells' sums and counts too.
void allocate_cube(std::int64_t blocks);

// For a table file, a bit per pair of levels of factors f and (f + 1) % 3,
// set when the pair occurs (see pair_occurs); empty for a classic file.
extern std::vector<std::uint64_t> pair_marks[3];

// Makes room for the marks of the pairs, none set yet.
void start_pair_marks();

// The bit of the pair of level `outer` of factor f and level `inner` of
// factor (f + 1) % 3.
inline std::int64_t pair_bit(int f, std::int64_t outer, std::int64_t inner) {
    const std::int64_t counts[3] = {nVar, nYear, nLoc};
    return (outer - 1) * counts[(f + 1) % 3] + (inner - 1);
}

inline void mark_pair(int f, std::int64_t outer, std::int64_t inner) {
    const std::int64_t bit = pair_bit(f, outer, inner);
    pair_marks[f][static_cast<std::size_t>(bit >> 6)] |= std::uint64_t{1} << (bit & 63);
}

// Puts a trait value into its cell: the cell keeps the last one, or adds it
// to the cell's sum. In a classic file (`zeros` nullptr) 0 is a missing
// value, and so is a value that is 0 in single precision (1e-50), which
// must not be counted where the matrix shows none: then gives false. In a
// table 0 is an observation, counted in `zeros` and kept as -0.0, since the
// cube's 0.0 marks an empty cell.
inline bool observe(float*** cube, std::int64_t v, std::int64_t y, std::int64_t l, double value,
                    std::int64_t* zeros) {
    float cell = static_cast<float>(value);
    if (cell == 0.0f) {
        if (!zeros) return false;
        ++*zeros;
        cell = -0.0f;
    }
    float* const place = &cube[v][y][l];
    if (!cell_sums) {
        *place = cell;
        return true;
    }
    const std::ptrdiff_t i = place - &cube[1][1][1];
    cell_sums[i] += value;
    ++cell_counts[i];
    return true;
}

// After the second pass: the means of the cells (with --cells mean) and the
// grand mean of `count` values whose double sum is `sum`.
void finish_cube(double sum, std::int64_t count);

// The two passes over a classic design file or a table file; each leaves
// the level counts, the cube and its marks filled.
void load_classic_file(const LoadOptions& options);
void load_table_file(const LoadOptions& options, Separator separator);
