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
    const std::string fields[3] = {matrix.name, decimal(matrix.rows), decimal(matrix.columns)};
    for (std::size_t i = 0; i < 4; ++i) {
        // The name goes out as names do (platform/platform.h), the text
        // around it in the console's language.
        put_in_language(stderr, texts::matrix_written_en[i], texts::matrix_written_zh[i]);
        if (i < 3) put_text(stderr, fields[i]);
        if (i == 0 && !matrix.trait.empty())
            put_text(stderr, fill(texts::matrix_trait, {quoted(matrix.trait, token_shown)}));
    }
}

// Tells what a table's load read, so that a breeder sees at once whether
// the file was read as meant: how many records and levels, and how many
// trait values were observations, missing or zero.
void account_for(const Trial& trial) {
    if (!trial.table) return;
    const CubeLevels& levels = *trial.traits.front().levels;
    const bool chinese = chinese_mode == 1;
    std::string read =
        chinese ? fill(texts::account_read_zh, {decimal(trial.records), decimal(levels.nVar),
                                                decimal(levels.nYear), decimal(levels.nLoc)})
                : fill(texts::account_read_en, {counted(trial.records, texts::record_words),
                                                counted(levels.nVar, texts::variety_words),
                                                counted(levels.nYear, texts::year_words),
                                                counted(levels.nLoc, texts::location_words)});
    if (trial.repeated_headers > 0)
        read += chinese ? fill(texts::account_repeated_zh, {decimal(trial.repeated_headers)})
                        : fill(texts::account_repeated_en,
                               {counted(trial.repeated_headers, texts::header_words)});
    if (trial.row_names)
        read += chinese ? texts::account_row_names_zh : texts::account_row_names_en;
    if (trial.repeated_plots > 0)
        read += chinese ? fill(texts::account_plots_zh, {decimal(trial.repeated_plots)})
                        : fill(texts::account_plots_en,
                               {counted(trial.repeated_plots, texts::repeat_words)});
    put_gbk_text(stderr, read + ".\n");
    if (trial.traits_found) {
        // Names go out as names do, the text around them in the console's language.
        const std::string_view text = chinese ? texts::account_traits_zh : texts::account_traits_en;
        const std::size_t at = text.find("{}");
        put_gbk_text(stderr, std::string(text.substr(0, at)));
        for (std::size_t k = 0; k < trial.traits.size(); ++k)
            put_text(stderr, (k > 0 ? ", " : "") + escaped(trial.traits[k].trait, token_shown));
        put_gbk_text(stderr, std::string(text.substr(at + 2)));
    }
    for (const TraitCube& cube : trial.traits) {
        // How the values became cells: a breeder must see when the matrix
        // uses fewer of them than were read.
        const std::int64_t unused = cube.values - cube.cells_held;
        const std::string how =
            trial.cell_means ? std::string(chinese ? texts::cells_means_zh : texts::cells_means_en)
            : unused > 0
                ? fill(chinese ? texts::cells_unused_zh : texts::cells_unused_en, {decimal(unused)})
                : std::string(chinese ? texts::cells_last_zh : texts::cells_last_en);
        std::string counts =
            chinese
                ? fill(texts::account_trait_zh,
                       {decimal(cube.values), decimal(cube.cells_held), how, decimal(cube.missing)})
                : fill(texts::account_trait_en,
                       {counted(cube.values, texts::value_words),
                        counted(cube.cells_held, texts::cell_words), how, decimal(cube.missing)});
        if (cube.zeros > 0)
            counts += chinese
                          ? fill(texts::account_zeros_zh, {decimal(cube.zeros)})
                          : fill(texts::account_zeros_en, {counted(cube.zeros, texts::zero_words)});
        // The trait's name goes out as names do (platform/platform.h), the
        // text around it in the console's language.
        put_text(stderr, escaped(cube.trait, token_shown));
        put_gbk_text(stderr, counts + ".\n");
    }
}

// The line's end for a trait without a tree: where its group table says
// why, and which of an earlier run's tree files went, joined by "and".
static void end_without_tree(const TreeFileNames& files, const std::vector<std::string>& older) {
    const bool chinese = chinese_mode == 1;
    std::vector<std::string> removed;
    for (const std::string& name : {files.newick, files.picture})
        if (std::ranges::find(older, name) != older.end()) removed.push_back(name);
    if (removed.empty()) {
        put_gbk_text(stderr, chinese ? texts::no_tree_after_zh : texts::no_tree_after_en);
        return;
    }
    put_gbk_text(stderr, chinese ? texts::older_tree_before_zh : texts::older_tree_before_en);
    for (std::size_t i = 0; i < removed.size(); ++i) {
        if (i > 0)
            put_gbk_text(stderr, chinese ? texts::older_tree_and_zh : texts::older_tree_and_en);
        put_text(stderr, removed[i]);
    }
    put_gbk_text(stderr, chinese               ? texts::older_tree_after_zh
                         : removed.size() == 1 ? texts::older_tree_after_en[0]
                                               : texts::older_tree_after_en[1]);
}

static void announce_tree(const std::string& matrix_name, const TraitTree& tree, Layout layout,
                          const TreeOptions& options, const std::vector<std::string>& older) {
    const bool chinese = chinese_mode == 1;
    const int f = analysed_factor(layout);
    const std::string_view leaves = chinese ? texts::leaves_zh[f] : texts::leaves_en[f];
    const std::string name = matrix_stem_of(matrix_name);
    const std::string min_rows = decimal(options.min_rows);
    if (!tree.grown()) {
        if (!chinese) put_text(stderr, texts::no_tree_before_en);
        put_text(stderr, name);
        const bool linked = options.fill != CellFill::none;
        put_gbk_text(stderr,
                     chinese
                         ? fill(linked ? texts::no_tree_linked_middle_zh : texts::no_tree_middle_zh,
                                {min_rows, leaves, leaves})
                         : fill(linked ? texts::no_tree_linked_middle_en : texts::no_tree_middle_en,
                                {leaves, min_rows}));
        const TreeFileNames files = tree_file_names(matrix_name);
        put_text(stderr, files.groups);
        end_without_tree(files, older);
        return;
    }
    const std::int64_t clustered = static_cast<std::int64_t>(tree.participation.clustered.size());
    const std::int64_t groups = tree.groups.count;
    if (tree.groups.capped) {
        const std::string wanted = decimal(*options.groups);
        put_gbk_text(stderr,
                     chinese ? fill(texts::capped_before_zh, {wanted})
                             : fill(texts::capped_before_en, {wanted, decimal(clustered), leaves}));
        put_text(stderr, name);
        put_gbk_text(stderr,
                     chinese ? fill(texts::capped_after_zh, {decimal(clustered), leaves, leaves})
                             : std::string(texts::capped_after_en));
    }
    const std::string rule = options.groups
                                 ? fill(texts::groups_rule, {decimal(*options.groups)})
                                 : fill(texts::mojena_rule, {mojena_k_text(options.mojena)});
    const std::int64_t left_out = static_cast<std::int64_t>(tree.data.labels.size()) - clustered;
    const std::string left_out_part =
        left_out == 0 ? std::string()
                      : fill(chinese ? texts::tree_left_out_zh : texts::tree_left_out_en,
                             {decimal(left_out)});
    const std::string_view fill_name = options.fill == CellFill::none ? "none" : "additive";
    const std::string cells =
        tree.filled == 0
            ? std::string(chinese ? texts::no_cell_filled_zh : texts::no_cell_filled_en)
        : chinese
            ? fill(texts::cells_filled_zh, {decimal(tree.cells), decimal(tree.filled), fill_name})
            : fill(texts::cells_filled_en, {decimal(tree.filled), decimal(tree.cells), fill_name});
    put_gbk_text(stderr, chinese ? texts::tree_before_zh : texts::tree_before_en);
    put_text(stderr, name);
    put_gbk_text(stderr,
                 chinese ? fill(texts::tree_after_zh,
                                {decimal(clustered), leaves, decimal(groups), rule, left_out_part,
                                 cells, cophenetic_text(tree.cophenetic)})
                         : fill(texts::tree_after_en,
                                {decimal(clustered), leaves, counted(groups, texts::group_words),
                                 rule, left_out_part, cells, cophenetic_text(tree.cophenetic)}));
    // Half the cells or fewer observed: the groups say more about the model.
    if (tree.filled > tree.cells - tree.filled)
        put_gbk_text(stderr, chinese ? texts::most_filled_zh : texts::most_filled_en);
    if (options.fill == CellFill::none && options.method == Linkage::ward && tree.empty_cells)
        put_gbk_text(stderr, chinese ? texts::ward_not_euclidean_zh : texts::ward_not_euclidean_en);
}

void announce_trees(const std::vector<std::string>& matrix_names,
                    const std::vector<TraitTree>& trees, Layout layout, const TreeOptions& options,
                    const std::vector<std::string>& older) {
    if (trees.empty()) return;
    put_text(stderr, "\n");
    for (std::size_t k = 0; k < trees.size(); ++k)
        announce_tree(matrix_names[k], trees[k], layout, options, older);
}
