#include "tree/trait_tree.h"

#include "base/checked_size.h"
#include "matrix/matrix_writer.h"
#include "platform/platform.h"
#include "texts/console_texts.h"
#include "tree/additive_fill.h"
#include "tree/agglomeration.h"
#include "tree/centring.h"
#include "tree/cophenetic.h"
#include "tree/distances.h"

#include <cmath>
#include <numeric>
#include <utility>

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
        compose(texts::memory_for_tree_values,
                {{"levels", number_text(count)}, {"rows", number_text(data.rows)}});
    set_memory_use(memory_use);
    std::int64_t cells = 0;
    if (!multiply_checked(count, data.rows, cells) ||
        static_cast<std::uint64_t>(cells) > physical_memory() / sizeof(double))
        fatal_exit(texts::out_of_memory, {{"use", memory_use}});
    data.values.resize(static_cast<std::size_t>(cells));
    // The values themselves: a distance is the same between values centred
    // on the grand mean.
    for (std::int64_t row = 0; next_row(rows); ++row)
        for (std::int64_t c = 0; c < count; ++c)
            data.values[static_cast<std::size_t>(c * data.rows + row)] = rows.cells[c];
    return data;
}

// The label of each row of the layout's matrix, in its order: the pairs of
// the two other factors that occur, as the matrix file labels them.
static std::vector<std::string> row_labels(const CubeLevels& levels, Layout layout) {
    const int outer = (analysed_factor(layout) + 1) % 3, inner = (outer + 1) % 3;
    std::vector<std::string> labels;
    for (std::int64_t o = 1; o <= levels.count(outer); ++o)
        for (std::int64_t i = 1; i <= levels.count(inner); ++i)
            if (pair_occurs(levels, outer, o, i))
                labels.push_back(level_label(levels, outer, o) + "+" +
                                 level_label(levels, inner, i));
    return labels;
}

// The distances of the clustered levels; a run without the memory for them
// ends, saying how many levels asked for it. They read only the clustered
// levels' values, side by side in `clustered_values`: the matrix's columns
// are let go before the distances take their memory.
static Distances distances_of(TraitTree& tree, int threads) {
    const auto levels = static_cast<std::int64_t>(tree.participation.clustered.size());
    std::vector<double>().swap(tree.data.values);
    ClusterData clustered;
    clustered.rows = tree.data.rows;
    clustered.values = std::move(tree.clustered_values);
    std::vector<std::int32_t> in_order(static_cast<std::size_t>(levels));
    std::iota(in_order.begin(), in_order.end(), 0);
    const std::string memory_use =
        compose(texts::memory_for_distances, {{"levels", number_text(levels)}});
    set_memory_use(memory_use);
    Distances distances = level_distances(clustered, in_order, threads);
    tree.clustered_values = std::move(clustered.values);
    if (!distances.values) fatal_exit(texts::out_of_memory, {{"use", memory_use}});
    return distances;
}

// Each level as the data file writes it: a classic file's code, a table's
// value without the letter its label put before a number.
static std::vector<std::string> level_texts(const CubeLevels& levels, int factor) {
    std::vector<std::string> texts;
    for (std::int64_t level = 1; level <= levels.count(factor); ++level) {
        const std::vector<std::string>& labels = levels.level_labels[factor];
        if (labels.empty())
            texts.push_back(number_text(level));
        else
            texts.push_back(labels[static_cast<std::size_t>(level - 1)].substr(
                levels.lettered[factor] ? 1 : 0));
    }
    return texts;
}

// The levels that take part and the values compared, filled or not,
// centred and scaled as asked.
static void prepare_levels(TraitTree& tree, const TreeOptions& options) {
    Participation& part = tree.participation;
    std::vector<char> empty; // before the fill, by cell of data.values
    if (options.fill == CellFill::none) {
        part = choose_levels(tree.data, options.min_rows);
    } else {
        part = choose_connected_levels(tree.data, options.min_rows);
        drop_empty_rows(tree.data, part.clustered);
        empty.reserve(tree.data.values.size());
        for (double value : tree.data.values) empty.push_back(std::isnan(value) ? 1 : 0);
        const std::vector<std::int64_t> filled = fill_additive(tree.data, part.clustered);
        for (std::size_t i = 0; i < filled.size(); ++i)
            part.levels[static_cast<std::size_t>(part.clustered[i])].filled = filled[i];
    }
    if (options.centre || options.scale) {
        const std::vector<char> flat = centre_levels(tree.data, part.clustered, options.scale);
        std::vector<std::int32_t> kept;
        for (std::size_t i = 0; i < flat.size(); ++i) {
            if (flat[i])
                part.levels[static_cast<std::size_t>(part.clustered[i])].left_out =
                    LeftOut::no_variation;
            else
                kept.push_back(part.clustered[i]);
        }
        part.clustered = std::move(kept);
    }
    for (std::int32_t level : part.clustered) {
        const LevelPart& level_part = part.levels[static_cast<std::size_t>(level)];
        tree.filled += level_part.filled;
        tree.empty_cells = tree.empty_cells || level_part.values < tree.data.rows;
    }
    tree.cells = static_cast<std::int64_t>(part.clustered.size()) * tree.data.rows;
    // Grown to their size at once: the pieces that growing leaves behind keep
    // the fill's freed memory from going back, beside the distances to come.
    tree.clustered_values.reserve(static_cast<std::size_t>(tree.cells));
    tree.clustered_filled.reserve(static_cast<std::size_t>(tree.cells));
    for (std::int32_t level : part.clustered) {
        const auto from = static_cast<std::size_t>(level * tree.data.rows);
        const auto to = from + static_cast<std::size_t>(tree.data.rows);
        tree.clustered_values.insert(tree.clustered_values.end(), tree.data.values.begin() + from,
                                     tree.data.values.begin() + to);
        if (empty.empty())
            tree.clustered_filled.insert(tree.clustered_filled.end(), to - from, 0);
        else
            tree.clustered_filled.insert(tree.clustered_filled.end(), empty.begin() + from,
                                         empty.begin() + to);
    }
}

TraitTree cluster_trait(const TraitCube& cube, Layout layout, const TreeOptions& options) {
    TraitTree tree;
    tree.data = matrix_columns(cube, layout);
    tree.data.row_labels = row_labels(*cube.levels, layout);
    tree.levels = level_texts(*cube.levels, analysed_factor(layout));
    prepare_levels(tree, options);
    // One level left alone makes no tree: it is left out too, so that the
    // group table says why of every level.
    if (tree.participation.clustered.size() == 1) {
        tree.participation.levels[static_cast<std::size_t>(tree.participation.clustered[0])]
            .left_out = LeftOut::alone;
        tree.participation.clustered.clear();
    }
    if (!tree.grown()) {
        std::vector<double>().swap(tree.data.values);
        std::vector<double>().swap(tree.clustered_values);
        std::vector<char>().swap(tree.clustered_filled);
        return tree;
    }
    // The clustering works over the distances in place, summing the ones each
    // fusion joins as it goes: what the cophenetic correlation needs of them
    // besides is taken first, so that they are computed once and held once.
    Distances distances = distances_of(tree, options.threads);
    const DistanceSums sums = distance_sums(distances);
    std::vector<double> joined;
    tree.fusions = agglomerate(std::move(distances), options.method, &joined);
    const std::int64_t wanted =
        options.groups ? *options.groups : mojena_groups(tree.fusions, options.mojena);
    tree.groups = cut_into_groups(tree.fusions, wanted);
    tree.cophenetic = cophenetic_correlation(sums, tree.fusions, joined);
    return tree;
}
