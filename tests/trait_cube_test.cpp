// The trait cube as the matrix writer and the tree see it: its row view
// against a plain dense array of the same records, in both forms, and views
// and writers at work in two threads at once; and the cells of a load read
// once, as they grow.
#include "base/random.h"
#include "matrix/matrix_writer.h"
#include "table_reference.h"
#include "trial/cube_builder.h"
#include "trial/growing_cells.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Record {
    std::int64_t level[3]; // variety, year, location
    std::optional<double> value;
};

// Random records over the levels: one in twelve missing, one in twelve an
// observed 0 and one in twelve a -0, the rest eighths (exact in a float).
std::vector<Record> random_records(const std::int64_t (&levels)[3], int count, std::uint64_t seed) {
    std::vector<Record> records(static_cast<std::size_t>(count));
    for (Record& r : records) {
        for (int f = 0; f < 3; ++f)
            r.level[f] = 1 + static_cast<std::int64_t>(next_random(seed) % levels[f]);
        const std::uint64_t kind = next_random(seed) % 24;
        if (kind >= 6)
            r.value = static_cast<double>(static_cast<int>(next_random(seed) % 2001) - 1000) / 8;
        else if (kind >= 2)
            r.value = kind < 4 ? 0.0 : -0.0;
    }
    return records;
}

// The cube a loader would build of the records: a table's, or a classic
// file's (0 is missing there, and every pair of levels is a row).
TraitCube cube_of(const std::int64_t (&levels)[3], const std::vector<Record>& records, bool table,
                  CubeForm form) {
    CubeBuilder builder;
    CubeLevels sizes;
    sizes.nVar = levels[0], sizes.nYear = levels[1], sizes.nLoc = levels[2];
    start_cube(builder, std::move(sizes), 1, table, false, form,
               static_cast<std::int64_t>(records.size()));
    std::int64_t zeros = 0;
    for (const Record& r : records) {
        const auto [v, y, l] = r.level;
        std::int64_t cell = 0;
        if (builder.levels.sparse) {
            cell = sparse_cell(builder, v, y, l);
        } else {
            cell = dense_cell(builder.levels, v, y, l);
            if (table) mark_pairs(builder.levels, v, y, l);
        }
        if (r.value)
            observe(cell_view(builder.traits[0]), cell, *r.value, table ? &zeros : nullptr);
    }
    return std::move(finish_cube(std::move(builder)).front());
}

// Cells that are the same, or both empty; an observed 0 must be a plain 0.
bool same_cell(float got, float want) {
    if (!holds_value(want)) return !holds_value(got);
    return got == want && (got != 0 || !std::signbit(got));
}

TEST(TraitCube, RowsAreThoseOfAPlainDenseArray) {
    const struct {
        const char* what;
        std::int64_t levels[3];
        int records;
        bool table;
        CubeForm form;
    } cases[] = {
        {"a classic file's cube", {7, 3, 5}, 80, false, CubeForm::dense},
        {"a table's dense cube", {7, 3, 5}, 80, true, CubeForm::dense},
        {"a sparse cube", {7, 3, 5}, 40, true, CubeForm::sparse},
        {"a sparse cube of many levels", {40, 9, 11}, 300, true, CubeForm::sparse},
        // Two locations a tile: the last tile holds one.
        {"tiles of varieties", {30000, 2, 5}, 4000, true, CubeForm::dense},
        {"varieties beyond a tile", {70000, 2, 2}, 600, true, CubeForm::dense},
    };
    std::uint64_t seed = 33;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Record> records = random_records(c.levels, c.records, seed);
        const TraitCube cube = cube_of(c.levels, records, c.table, c.form);
        ASSERT_EQ(cube.levels->sparse, c.form == CubeForm::sparse);
        // The plain array: each cell's last value, and the cells that occur.
        const auto [nv, ny, nl] = c.levels;
        const auto at = [&](const std::int64_t* level) {
            return static_cast<std::size_t>(((level[0] - 1) * ny + (level[1] - 1)) * nl +
                                            (level[2] - 1));
        };
        std::vector<float> plain(static_cast<std::size_t>(nv * ny * nl), NAN);
        std::vector<bool> occurs(plain.size(), !c.table);
        for (const Record& r : records) {
            occurs[at(r.level)] = true;
            if (r.value && (c.table || *r.value != 0)) plain[at(r.level)] = float(*r.value) + 0.0f;
        }
        for (int columns = 0; columns < 3; ++columns) {
            SCOPED_TRACE("columns of factor " + std::to_string(columns));
            const int outer = (columns + 1) % 3, inner = (columns + 2) % 3;
            CubeRows rows = cube_rows(cube, static_cast<Layout>(columns + 1));
            std::int64_t level[3], count = 0;
            bool same = true;
            for (level[outer] = 1; level[outer] <= c.levels[outer]; ++level[outer])
                for (level[inner] = 1; level[inner] <= c.levels[inner]; ++level[inner]) {
                    bool row_occurs = false;
                    for (level[columns] = 1; level[columns] <= c.levels[columns]; ++level[columns])
                        row_occurs = row_occurs || occurs[at(level)];
                    if (!row_occurs) continue;
                    ++count;
                    ASSERT_TRUE(next_row(rows));
                    ASSERT_EQ(rows.outer, level[outer]);
                    ASSERT_EQ(rows.inner, level[inner]);
                    for (level[columns] = 1; level[columns] <= c.levels[columns]; ++level[columns])
                        same = same && same_cell(rows.cells[level[columns] - 1], plain[at(level)]);
                }
            EXPECT_TRUE(same);
            EXPECT_FALSE(next_row(rows));
            EXPECT_EQ(rows.count, count);
        }
        bool same = true;
        for (std::int64_t level[3] = {1, 1, 1}; level[0] <= nv; ++level[0])
            for (level[1] = 1; level[1] <= ny; ++level[1])
                for (level[2] = 1; level[2] <= nl; ++level[2])
                    same = same && same_cell(cube_cell(cube, level[0], level[1], level[2]),
                                             plain[at(level)]);
        EXPECT_TRUE(same) << "cube_cell";
    }
}

// A cube's three matrices, as their files would hold them.
std::string matrices_of(const TraitCube& cube) {
    std::string text;
    for (Layout layout : {Layout::variety, Layout::year, Layout::location})
        text += matrix_of(cube, layout);
    return text;
}

// Nothing a view or a writer uses is shared: two threads, each writing the
// matrices of its own cubes (the variety tile and the sparse gathering
// among them), write what one thread alone does.
TEST(TraitCube, TwoThreadsWriteWhatOneDoes) {
    const std::int64_t levels[3] = {300, 4, 200};
    std::vector<TraitCube> cubes;
    for (std::uint64_t seed = 1; seed <= 4; ++seed)
        cubes.push_back(cube_of(levels, random_records(levels, 20000, seed), true,
                                seed % 2 ? CubeForm::dense : CubeForm::sparse));
    auto matrices_of_two = [&](int first) {
        return matrices_of(cubes[first]) + matrices_of(cubes[first + 1]);
    };
    const std::string alone[] = {matrices_of_two(0), matrices_of_two(2)};
    std::string together[2];
    std::thread one([&] { together[0] = matrices_of_two(0); });
    std::thread other([&] { together[1] = matrices_of_two(2); });
    one.join();
    other.join();
    EXPECT_TRUE(together[0] == alone[0]);
    EXPECT_TRUE(together[1] == alone[1]);
}

// Room made in every direction keeps each cell at its place, and closing up
// gives the cube's layout; the budget holds the room to twice a cube's
// cells, and a table's to twice the cells its records entered.
TEST(GrowingCells, KeepEveryCellAsTheRoomGrowsAndClosesUp) {
    const std::int64_t steps[][3] = {{2, 3, 4},   {9, 3, 4},   {9, 5, 4},   {9, 5, 11},
                                     {30, 6, 12}, {31, 6, 12}, {31, 20, 1}, {64, 20, 12}};
    for (bool means : {false, true}) {
        GrowingCells grown;
        grown.means = means;
        grown.blocks_met = true;
        grown.budget = std::size_t{1} << 20;
        std::int64_t largest[3] = {1, 1, 1};
        auto value = [](std::int64_t v, std::int64_t y, std::int64_t l) {
            return static_cast<double>(v * 10000 + y * 100 + l);
        };
        auto held = [&](const std::int64_t room[3], std::int64_t v, std::int64_t y,
                        std::int64_t l) {
            const std::int64_t at = growing_cell(room, v, y, l);
            return means ? grown.sums[0][at] / static_cast<double>(grown.counts[0][at])
                         : grown.cells[0][at];
        };
        for (const auto& step : steps) {
            for (int f = 0; f < 3; ++f) largest[f] = std::max(largest[f], step[f]);
            ASSERT_TRUE(make_room(grown, largest));
            for (std::int64_t v = 1; v <= largest[0]; ++v)
                for (std::int64_t y = 1; y <= largest[1]; ++y)
                    for (std::int64_t l = 1; l <= largest[2]; ++l) {
                        const std::int64_t at = growing_cell(grown.room, v, y, l);
                        // Cells made now are empty, the others hold their values.
                        if (means ? grown.counts[0][at] == 0 : std::isnan(grown.cells[0][at])) {
                            EXPECT_EQ(grown.met[at], 0u);
                            if (means) {
                                grown.sums[0][at] = value(v, y, l);
                                grown.counts[0][at] = 1;
                            } else {
                                grown.cells[0][at] = static_cast<float>(value(v, y, l));
                            }
                            grown.met[at] = 1;
                            ++grown.entered;
                        }
                        ASSERT_EQ(held(grown.room, v, y, l), value(v, y, l))
                            << v << " " << y << " " << l;
                    }
        }
        close_up(grown, largest);
        for (std::int64_t v = 1; v <= largest[0]; ++v)
            for (std::int64_t y = 1; y <= largest[1]; ++y)
                for (std::int64_t l = 1; l <= largest[2]; ++l)
                    ASSERT_EQ(held(largest, v, y, l), value(v, y, l)) << v << " " << y << " " << l;
    }
    // A classic file's cube has every cell of its largest codes, a table's
    // (which may be sparse) at least those its records entered: the room
    // made, beside the room it replaces, is held to twice that and the budget.
    const struct {
        bool blocks_met;
        std::int64_t entered;
        std::size_t budget;
        std::int64_t first[3], then[3];
        bool made;
    } rooms[] = {{false, 0, 0, {0, 0, 0}, {100, 100, 100}, true},
                 {false, 0, 0, {100, 100, 100}, {101, 101, 101}, false},
                 {false, 0, std::size_t{16} << 20, {100, 100, 100}, {101, 101, 101}, true},
                 {true, 1000000, 0, {0, 0, 0}, {1000, 1000, 1000}, false},
                 {true, 1000000, 0, {0, 0, 0}, {1000, 100, 10}, true},
                 {true, 100000, 0, {0, 0, 0}, {1000, 100, 10}, false},
                 {true, 100000, std::size_t{16} << 20, {0, 0, 0}, {1000, 100, 10}, true},
                 // 12 bytes a cell: 1000 cells take twice 500 cells' at most.
                 {true, 500, 0, {0, 0, 0}, {10, 10, 10}, true},
                 {true, 499, 0, {0, 0, 0}, {10, 10, 10}, false}};
    for (const auto& room : rooms) {
        GrowingCells grown;
        grown.blocks_met = room.blocks_met;
        grown.entered = room.entered;
        grown.budget = room.budget;
        if (room.first[0] != 0) {
            ASSERT_TRUE(make_room(grown, room.first));
        }
        EXPECT_EQ(make_room(grown, room.then), room.made)
            << room.entered << " entered, then " << room.then[0] << "x" << room.then[1] << "x"
            << room.then[2];
    }
}

} // namespace
