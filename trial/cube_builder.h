// How a load fills its trait cubes: cells for the levels its first pass
// found, each record's values put into their cells by its second pass, and
// the cells' means and the grand means finished at the end. The puts are
// inline: they run once per record of a trial of millions.
#pragma once

#include "trial/hash_slots.h"
#include "trial/trait_cube.h"

#include <cstdint>
#include <vector>

// One trait's cells while they fill. In a dense cube a cell is its place in
// the data block, in a sparse one its slot, in the order cells were met.
struct TraitCells {
    FloatCube cube;         // dense
    float* cells = nullptr; // the dense data block, or the sparse slots' values
    // With --cells mean, each cell's sum and count, in the same places.
    double* sums = nullptr;
    std::int64_t* counts = nullptr;
    CellBlock<double> dense_sums; // what sums and counts point into when dense
    CellBlock<std::int64_t> dense_counts;
    std::vector<float> slot_values; // sparse: what `cells` points into
    std::vector<double> slot_sums;
    std::vector<std::int64_t> slot_counts;
    // What the loader counted: the double sum of every observed value (in
    // single precision a sum drifts), and the fields read.
    double sum = 0;
    std::int64_t values = 0, missing = 0, zeros = 0;
};

// Where observe puts a trait's values: copied into a loop's locals, so that
// no store of the loop makes the compiler fetch them again. A sparse cube's
// view is taken afresh after each new slot.
struct CellView {
    float* cells;
    double* sums;
    std::int64_t* counts;
};
inline CellView cell_view(const TraitCells& trait) {
    return {trait.cells, trait.sums, trait.counts};
}

struct CubeBuilder {
    CubeLevels levels;
    bool means = false; // --cells mean
    std::vector<TraitCells> traits;
    // A sparse cube's slots by their cells' levels, and each slot's cell.
    HashSlots slots;
    std::vector<CellCode> slot_cells;
};

// Makes room for `traits` traits of the levels found (levels.nVar, nYear,
// nLoc, and a table's labels), every cell empty (NaN), and for a table's marks of
// the pairs that occur. A table is kept sparse (`form` automatic) when its
// cube would be many times its `records`. Ends the run through fatal_exit
// when the memory can't be had: "allocation failure ..." from f3tensor for
// a classic file's cube, "Not enough memory for the cube ..." for a
// table's, the message of `no_memory_for_means` for the cells' means,
// and "Not enough memory ..." for several traits' cubes or one with means
// beyond the memory there is together.
void start_cube(CubeBuilder& builder, CubeLevels levels, int traits, bool table, bool means,
                CubeForm form, std::int64_t records);

// The slot of a sparse cube's cell, a new one for a cell met first.
std::int64_t sparse_cell(CubeBuilder& builder, std::int64_t v, std::int64_t y, std::int64_t l);

// The place of a dense cube's cell in its data block.
inline std::int64_t dense_cell(const CubeLevels& levels, std::int64_t v, std::int64_t y,
                               std::int64_t l) {
    return ((v - 1) * levels.nYear + (y - 1)) * levels.nLoc + (l - 1);
}

// Marks the pairs of a dense table's cell as occurring.
inline void mark_pairs(CubeLevels& levels, std::int64_t v, std::int64_t y, std::int64_t l) {
    const std::int64_t at[3] = {v, y, l};
    for (int f = 0; f < 3; ++f) {
        const std::int64_t bit = levels.pair_bit(f, at[f], at[(f + 1) % 3]);
        levels.pair_marks[f][static_cast<std::size_t>(bit >> 6)] |= std::uint64_t{1} << (bit & 63);
    }
}

// Puts a trait value into its cell: the cell keeps the last one, or adds it
// to the cell's sum. In a classic file (`zeros` nullptr) 0 is a missing
// value, and so is a value that is 0 in single precision (1e-50), which
// must not be counted where the matrix shows none: then gives false. In a
// table 0 is an observation, counted in `zeros` and kept as 0, whatever its
// sign: the matrix shows "-0" as 0.
inline bool observe(CellView view, std::int64_t cell, double value, std::int64_t* zeros) {
    float kept = static_cast<float>(value);
    if (kept == 0.0f) {
        if (!zeros) return false;
        ++*zeros;
        kept = 0.0f;
    }
    if (!view.sums) {
        view.cells[cell] = kept;
        return true;
    }
    view.sums[cell] += value;
    ++view.counts[cell];
    return true;
}

// observe for a dense cube's cell [v][y][l], found through the cube's
// pointers as the classic file's loop does: no multiplication per record.
inline bool observe(CellView view, CubeIndex cube, std::int64_t v, std::int64_t y, std::int64_t l,
                    double value) {
    const float kept = static_cast<float>(value);
    if (kept == 0.0f) return false;
    float* const place = &cube(v, y, l);
    if (!view.sums) {
        *place = kept;
        return true;
    }
    const std::ptrdiff_t cell = place - view.cells;
    view.sums[cell] += value;
    ++view.counts[cell];
    return true;
}

// After the last record: the cells' means (with --cells mean), the grand
// means, and a sparse cube's cells in order. Gives each trait's cube.
std::vector<TraitCube> finish_cube(CubeBuilder&& builder);
