#include "app/notices.h"

#include "platform/platform.h"
#include "texts/console_texts.h"

#include "matrix/output_name.h"
#include "tree/cophenetic.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>

// Tells which file now holds the matrix and how large it is, so that a
// breeder finds it and can check it against the trial.
void announce_matrix(const MatrixFile& matrix) {
    const std::string trait =
        matrix.trait.empty()
            ? std::string()
            : compose(texts::matrix_trait, {{"trait", quoted(matrix.trait, token_shown)}});
    put_message(stderr, texts::matrix_written,
                {as_name("file", matrix.name),
                 as_name("trait", trait),
                 {"rows", number_text(matrix.rows)},
                 {"columns", number_text(matrix.columns)}});
}

// Tells what a table's load read, so that a breeder sees at once whether
// the file was read as meant: how many records and levels, and how many
// trait values were observations, missing or zero.
void account_for(const Trial& trial) {
    if (!trial.table) return;
    const CubeLevels& levels = *trial.traits.front().levels;
    const std::string repeated =
        trial.repeated_headers > 0
            ? compose(texts::account_repeated, {{"headers", number_text(trial.repeated_headers)}})
            : std::string();
    const std::string row_names = trial.row_names ? compose(texts::account_row_names) : "";
    const std::string plots =
        trial.repeated_plots > 0
            ? compose(texts::account_plots, {{"plots", number_text(trial.repeated_plots)}})
            : std::string();
    put_message(stderr, texts::account_read,
                {{"records", number_text(trial.records)},
                 {"varieties", number_text(levels.nVar)},
                 {"years", number_text(levels.nYear)},
                 {"locations", number_text(levels.nLoc)},
                 {"repeated", repeated},
                 {"row_names", row_names},
                 {"plots", plots}});
    if (trial.traits_found) {
        std::string names;
        for (std::size_t k = 0; k < trial.traits.size(); ++k)
            names += (k > 0 ? ", " : "") + escaped(trial.traits[k].trait, token_shown);
        put_message(stderr, texts::account_traits, {as_name("traits", names)});
    }
    for (const TraitCube& cube : trial.traits) {
        // How the values became cells: a breeder must see when the matrix
        // uses fewer of them than were read.
        const std::int64_t unused = cube.values - cube.cells_held;
        const std::string how =
            trial.cell_means ? compose(texts::cells_means)
            : unused > 0     ? compose(texts::cells_unused, {{"unused", number_text(unused)}})
                             : compose(texts::cells_last);
        const std::string zeros =
            cube.zeros > 0 ? compose(texts::account_zeros, {{"zeros", number_text(cube.zeros)}})
                           : std::string();
        put_message(stderr, texts::account_trait,
                    {as_name("trait", escaped(cube.trait, token_shown)),
                     {"values", number_text(cube.values)},
                     {"cells", number_text(cube.cells_held)},
                     {"how", how},
                     {"missing", number_text(cube.missing)},
                     {"zeros", zeros}});
    }
}

// The line's end for a trait without a tree: which of an earlier run's tree
// files went.
static void end_without_tree(const TreeFileNames& files, const std::vector<std::string>& older) {
    std::vector<std::string> removed;
    for (const std::string& name : {files.newick, files.picture})
        if (std::ranges::find(older, name) != older.end()) removed.push_back(name);
    if (removed.empty())
        put_message(stderr, texts::no_tree_end);
    else if (removed.size() == 1)
        put_message(stderr, texts::older_tree_removed, {as_name("file", removed[0])});
    else
        put_message(stderr, texts::older_trees_removed,
                    {as_name("file", removed[0]), as_name("other", removed[1])});
}

static void announce_tree(const std::string& matrix_name, const TraitTree& tree, Layout layout,
                          const TreeOptions& options, const std::vector<std::string>& older) {
    const Message& leaves = texts::leaves[analysed_factor(layout)];
    const std::string name = matrix_stem_of(matrix_name);
    const std::string min_rows = number_text(options.min_rows);
    if (!tree.grown()) {
        const TreeFileNames files = tree_file_names(matrix_name);
        put_message(stderr,
                    options.fill != CellFill::none ? texts::no_tree_linked_line : texts::no_tree,
                    {as_name("matrix", name),
                     {"leaves", leaves},
                     {"min_rows", min_rows},
                     as_name("groups_file", files.groups)});
        end_without_tree(files, older);
        return;
    }
    const std::string clustered = number_text(std::ssize(tree.participation.clustered));
    if (tree.groups.capped)
        put_message(stderr, texts::groups_capped,
                    {{"groups", number_text(*options.groups)},
                     {"clustered", clustered},
                     {"leaves", leaves},
                     as_name("matrix", name)});
    const std::string rule =
        options.groups ? compose(texts::groups_rule, {{"groups", number_text(*options.groups)}})
                       : compose(texts::mojena_rule, {{"k", mojena_k_text(options.mojena)}});
    const std::int64_t left_out =
        std::ssize(tree.data.labels) - std::ssize(tree.participation.clustered);
    const std::string left_out_part =
        left_out == 0 ? std::string()
                      : compose(texts::tree_left_out, {{"left_out", number_text(left_out)}});
    const std::string_view fill_name = options.fill == CellFill::none ? "none" : "additive";
    const std::string cells =
        tree.filled == 0 ? compose(texts::no_cell_filled)
                         : compose(texts::cells_filled, {{"filled", number_text(tree.filled)},
                                                         {"cells", number_text(tree.cells)},
                                                         {"fill", fill_name}});
    put_message(stderr, texts::tree_line,
                {as_name("matrix", name),
                 {"clustered", clustered},
                 {"leaves", leaves},
                 {"groups", number_text(tree.groups.count)},
                 {"rule", rule},
                 {"left_out", left_out_part},
                 {"cells", cells},
                 {"cophenetic", cophenetic_text(tree.cophenetic)}});
    // Half the cells or fewer observed: the groups say more about the model.
    if (tree.filled > tree.cells - tree.filled) put_message(stderr, texts::most_filled);
    if (options.fill == CellFill::none && options.method == Linkage::ward && tree.empty_cells)
        put_message(stderr, texts::ward_not_euclidean);
}

void announce_trees(const std::vector<std::string>& matrix_names,
                    const std::vector<TraitTree>& trees, Layout layout, const TreeOptions& options,
                    const std::vector<std::string>& older) {
    if (trees.empty()) return;
    put_text(stderr, "\n");
    for (std::size_t k = 0; k < trees.size(); ++k)
        announce_tree(matrix_names[k], trees[k], layout, options, older);
}
