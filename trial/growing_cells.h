// The cells of a load that reads its file once, on several threads: the
// levels' counts are known only at its end, so the cells are laid out as
// the cube's are but for room that grows with the largest levels met, a
// quarter more at a time. A range's largest levels are made room for
// before its records go in, so that no record checks. At the end the cells
// close up to the levels' own counts and go into the cube.
#pragma once

#include "trial/cube_builder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct GrowingCells {
    int traits = 1;
    bool means = false;               // sums and counts; else each cell's last value
    bool blocks_met = false;          // a table's plots met: a bit for each of 64 blocks
    std::size_t budget = 0;           // bytes beyond twice the exact cells' the room may take
    std::int64_t room[3] = {0, 0, 0}; // varieties, years, locations
    std::vector<float*> cells;        // by trait, without means; empty is NaN
    std::vector<double*> sums;        // by trait, with means
    std::vector<std::int64_t*> counts;
    std::uint64_t* met = nullptr;
    // The cells whose plots were met: a sparse cube's, which a table may
    // have, keeps no more than these.
    std::int64_t entered = 0;

    GrowingCells() = default;
    GrowingCells(const GrowingCells&) = delete;
    GrowingCells& operator=(const GrowingCells&) = delete;
    ~GrowingCells();
};

// Makes room for the cells of levels up to `largest` (variety, year,
// location). False where the room, with the room it replaces, would be
// beyond twice the cube's cells and the budget, or beyond the memory there
// is: the load then sizes the cube first. The cube has the cells of
// `largest`, or where plots are met (a table's, which may be sparse) at
// least those entered.
bool make_room(GrowingCells& cells, const std::int64_t largest[3]);

// The place of a cell in the room made.
inline std::int64_t growing_cell(const std::int64_t room[3], std::int64_t v, std::int64_t y,
                                 std::int64_t l) {
    return ((v - 1) * room[1] + (y - 1)) * room[2] + (l - 1);
}

// Closes the cells up to the levels' counts, which the cube's will be,
// and gives back the room beyond them, before the cube is made.
void close_up(GrowingCells& cells, const std::int64_t counts[3]);

// Puts the cells closed up into the cube's cells, values or sums and
// counts, and marks the pairs of the cells whose plots were met. The cells
// are laid out by the levels' ids, from 1; `level_of`, where given, holds
// each factor's level of every id (from 0), where the levels were ordered
// after. A sparse cube takes the cells whose plots were met.
void move_into_cube(const GrowingCells& cells, CubeBuilder& cube,
                    const std::int32_t* const* level_of = nullptr);
