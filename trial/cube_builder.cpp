#include "trial/cube_builder.h"

#include "base/checked_size.h"
#include "base/text_hash.h"
#include "platform/platform.h"
#include "storage/offset_arrays.h"
#include "texts/console_texts.h"

#include <algorithm>
#include <limits>

// A cube beyond this many times its records is kept sparse: the dense one
// would be mostly empty cells, and memory would grow with the product of the
// levels rather than with the trial.
static constexpr std::int64_t sparse_ratio = 4;

static constexpr float empty_cell = std::numeric_limits<float>::quiet_NaN();

// What a sparse cube needs memory for: a cell for each variety, year and
// location that occur together, a record's at most, each about 70 bytes
// while the cube fills and is put in order, and a little more for each
// further trait and for the sums and counts of means.
static std::string sparse_memory_use(int traits, bool means, std::int64_t records) {
    const std::int64_t cell_bytes = 70 + 8 * (traits - 1) + (means ? 32 * traits : 0);
    std::int64_t bytes = 0;
    if (!multiply_checked(records, cell_bytes, bytes)) bytes = INT64_MAX;
    return fill(texts::memory_for_sparse_cube,
                {decimal(records), decimal(bytes / 1000000 + (bytes % 1000000 != 0))});
}

void start_cube(CubeBuilder& builder, CubeLevels levels, int traits, bool table, bool means,
                CubeForm form, std::int64_t records) {
    builder.levels = std::move(levels);
    builder.means = means;
    CubeLevels& cube = builder.levels;
    // A count beyond int64 is as impossible to allocate as the largest one.
    std::int64_t cells = 1, dense_limit = 0;
    for (int f = 0; f < 3 && cells != INT64_MAX; ++f)
        if (!multiply_checked(cells, cube.count(f), cells)) cells = INT64_MAX;
    if (!multiply_checked(records, sparse_ratio, dense_limit)) dense_limit = INT64_MAX;
    cube.sparse =
        form == CubeForm::sparse || (form == CubeForm::automatic && table && cells > dense_limit);
    builder.traits.resize(static_cast<std::size_t>(traits));
    if (cube.sparse) {
        set_memory_use(sparse_memory_use(traits, means, records));
        return;
    }
    const std::string memory_use = fill(texts::memory_for_cube, {decimal(cells)});
    set_memory_use(memory_use);
    // Each allocation is checked against the memory there is, but several
    // traits' cubes, or one with its sums and counts, must fit together. A
    // classic file's cube too large alone keeps the message f3tensor gives
    // it, and one trait's means theirs.
    std::int64_t one_cube = 0, bytes = 0;
    const std::int64_t cell_bytes =
        traits * static_cast<std::int64_t>(sizeof(float) +
                                           (means ? sizeof(double) + sizeof(std::int64_t) : 0));
    if ((traits > 1 || means) && multiply_checked<std::int64_t>(cells, sizeof(float), one_cube) &&
        static_cast<std::uint64_t>(one_cube) <= physical_memory() &&
        (!multiply_checked(cells, cell_bytes, bytes) ||
         static_cast<std::uint64_t>(bytes) > physical_memory()))
        fatal_exit(traits == 1 ? std::string(texts::no_memory_for_means)
                               : fill(texts::out_of_memory, {memory_use}));
    // f3tensor's own messages are read as a classic file's, whose largest
    // codes size the cube; a table's cube is as large as its levels, and
    // its message says so.
    const std::string table_failure = table ? fill(texts::out_of_memory, {memory_use}) : "";
    for (TraitCells& trait : builder.traits) {
        trait.cube = FloatCube(cube.nVar, cube.nYear, cube.nLoc, table_failure);
        trait.cells = trait.cube.data();
        // f3tensor has refused a cube whose size can't be represented.
        std::fill_n(trait.cells, cells, empty_cell);
        if (means) {
            trait.dense_sums.reset(static_cast<double*>(
                zeroed_cells(cells, sizeof(double), texts::no_memory_for_means)));
            trait.dense_counts.reset(static_cast<std::int64_t*>(
                zeroed_cells(cells, sizeof(std::int64_t), texts::no_memory_for_means)));
            trait.sums = trait.dense_sums.get();
            trait.counts = trait.dense_counts.get();
        }
    }
    if (table)
        for (int f = 0; f < 3; ++f)
            cube.pair_marks[f].assign(static_cast<std::size_t>((cube.pairs(f) + 63) / 64), 0);
}

static std::uint64_t cell_hash(std::int64_t v, std::int64_t y, std::int64_t l) {
    const std::int64_t levels[3] = {v, y, l};
    return hash_text(std::string_view(reinterpret_cast<const char*>(levels), sizeof levels));
}

std::int64_t sparse_cell(CubeBuilder& builder, std::int64_t v, std::int64_t y, std::int64_t l) {
    builder.slots.make_room(builder.slot_cells.size(), 1024);
    const std::uint64_t key = cell_hash(v, y, l);
    const std::size_t i = builder.slots.find(key, [&](std::size_t slot) {
        const CellCode& cell = builder.slot_cells[slot];
        return cell.variety == v && cell.year == y && cell.location == l;
    });
    if (builder.slots.entries[i] != 0) return builder.slots.entries[i] - 1;
    const std::size_t slot = builder.slot_cells.size();
    builder.slot_cells.push_back(
        {static_cast<std::int32_t>(v), static_cast<std::int32_t>(y), static_cast<std::int32_t>(l)});
    builder.slots.put(i, key, slot);
    for (TraitCells& trait : builder.traits) {
        trait.slot_values.push_back(empty_cell);
        trait.cells = trait.slot_values.data();
        if (builder.means) {
            trait.slot_sums.push_back(0.0);
            trait.slot_counts.push_back(0);
            trait.sums = trait.slot_sums.data();
            trait.counts = trait.slot_counts.data();
        }
    }
    return static_cast<std::int64_t>(slot);
}

// A cell's mean over its values, summed in double and rounded once; a mean
// of 0 is a plain 0, as an observed one is.
static float cell_mean(double sum, std::int64_t count) {
    return static_cast<float>(sum / static_cast<double>(count)) + 0.0f;
}

std::vector<TraitCube> finish_cube(CubeBuilder&& builder) {
    CubeLevels& levels = builder.levels;
    // A sparse cube's cells in the order of their levels.
    std::vector<std::size_t> order;
    if (levels.sparse) {
        order = row_order(builder.slot_cells, location_factor);
        levels.cells.reserve(order.size());
        for (std::size_t slot : order) levels.cells.push_back(builder.slot_cells[slot]);
    }
    // Only a dense cube's cells are counted: a sparse one's levels may
    // multiply beyond any integer.
    const std::int64_t cells =
        levels.sparse ? 0 : levels.count(0) * levels.count(1) * levels.count(2);
    const auto shared = std::make_shared<const CubeLevels>(std::move(levels));
    std::vector<TraitCube> cubes;
    for (TraitCells& trait : builder.traits) {
        TraitCube cube;
        cube.levels = shared;
        if (!shared->sparse) {
            if (trait.sums) {
                for (std::int64_t i = 0; i < cells; ++i)
                    if (trait.counts[i] != 0)
                        trait.cells[i] = cell_mean(trait.sums[i], trait.counts[i]);
                trait.dense_sums.reset();
                trait.dense_counts.reset();
            }
            for (std::int64_t i = 0; i < cells; ++i) cube.cells_held += holds_value(trait.cells[i]);
            cube.dense = std::move(trait.cube);
        } else {
            cube.sparse.reserve(order.size());
            for (std::size_t slot : order)
                cube.sparse.push_back(
                    !builder.means ? trait.slot_values[slot]
                    : trait.slot_counts[slot] == 0
                        ? empty_cell
                        : cell_mean(trait.slot_sums[slot], trait.slot_counts[slot]));
        }
        if (shared->sparse)
            for (float cell : cube.sparse) cube.cells_held += holds_value(cell);
        // Rounded once, at the end. With no value at all the mean is never
        // printed: every cell is empty.
        cube.grand_mean = trait.values > 0
                              ? static_cast<float>(trait.sum / static_cast<double>(trait.values))
                              : 0.0f;
        cube.values = trait.values;
        cube.missing = trait.missing;
        cube.zeros = trait.zeros;
        cubes.push_back(std::move(cube));
    }
    return cubes;
}
