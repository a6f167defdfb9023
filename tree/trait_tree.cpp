#include "tree/trait_tree.h"

#include "base/checked_size.h"
#include "matrix/matrix_writer.h"
#include "platform/platform.h"
#include "texts/console_texts.h"
#include "tree/agglomeration.h"
#include "tree/cophenetic.h"
#include "tree/distances.h"

// The columns of the layout's matrix of `cube`, level-major, NaN for an
// empty cell; the rows are the matrix's.
static ClusterData matrix_columns(const TraitCube& cube, Layout layout) {
    const CubeLevels& levels = *cube.levels;
    const int columns = analysed_factor(layout);
    const std::int64_t count = levels.count(columns);
    ClusterData data;
    for (std::int64_t level = 1; level <= count; ++level)
        data.labels.push_back(level_label(levels, columns, level));
    CubeRows rows = cube_rows(cube, layout);
    data.rows = rows.count;
    // Every level's value in every row, however sparse the cube: the
    // distances compare them row by row.
    const std::string memory_use =
        fill(texts::memory_for_tree_values, {decimal(count), decimal(data.rows)});
    set_memory_use(memory_use);
    std::int64_t cells = 0;
    if (!multiply_checked(count, data.rows, cells) ||
        static_cast<std::uint64_t>(cells) > physical_memory() / sizeof(float))
        fatal_exit(fill(texts::out_of_memory, {memory_use}));
    data.values.resize(static_cast<std::size_t>(cells));
    // The values themselves: a distance is the same between values centred
    // on the grand mean.
    for (std::int64_t row = 0; next_row(rows); ++row)
        for (std::int64_t c = 0; c < count; ++c)
            data.values[static_cast<std::size_t>(c * data.rows + row)] = rows.cells[c];
    return data;
}

// The distances of the clustered levels; a run without the memory for them
// ends, saying how many levels asked for it.
static Distances distances_of(const TraitTree& tree) {
    const auto levels = static_cast<std::int64_t>(tree.participation.clustered.size());
    const std::string memory_use = fill(texts::memory_for_distances, {decimal(levels)});
    set_memory_use(memory_use);
    Distances distances = level_distances(tree.data, tree.participation.clustered);
    if (!distances.values) fatal_exit(fill(texts::out_of_memory, {memory_use}));
    return distances;
}

TraitTree cluster_trait(const TraitCube& cube, Layout layout, const TreeOptions& options) {
    TraitTree tree;
    tree.data = matrix_columns(cube, layout);
    tree.participation = choose_levels(tree.data, options.min_rows);
    // One level left alone makes no tree: it is left out too, so that the
    // group table says why of every level.
    if (tree.participation.clustered.size() == 1) {
        tree.participation.levels[static_cast<std::size_t>(tree.participation.clustered[0])]
            .left_out = LeftOut::alone;
        tree.participation.clustered.clear();
    }
    if (!tree.grown()) {
        std::vector<float>().swap(tree.data.values);
        return tree;
    }
    // The clustering consumes its distances; the cophenetic correlation
    // takes them afresh rather than from a copy, so that the distances never
    // need more than their one allocation.
    tree.fusions = agglomerate(distances_of(tree), options.method);
    const std::int64_t wanted = options.groups ? *options.groups : mojena_groups(tree.fusions);
    tree.groups = cut_into_groups(tree.fusions, wanted);
    tree.cophenetic = cophenetic_correlation(distances_of(tree), tree.fusions);
    // The next trait's tree needs the memory more than this one's values.
    std::vector<float>().swap(tree.data.values);
    return tree;
}
