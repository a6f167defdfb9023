#include "tree/tree_files.h"

#include "base/utf8.h"
#include "matrix/matrix_file.h"
#include "matrix/output_name.h"
#include "platform/platform.h"
#include "storage/staged_file.h"
#include "texts/console_texts.h"
#include "tree/group_table.h"
#include "tree/newick.h"
#include "tree/tree_picture.h"

#include <cmath>

TreeFileNames tree_file_names(std::string_view matrix_name) {
    return {companion_name(matrix_name, ".groups.tsv"), companion_name(matrix_name, ".tree.nwk"),
            companion_name(matrix_name, ".tree.svg")};
}

std::vector<TreeFileNames> choose_tree_files(const std::vector<std::string>& matrix_names,
                                             const DataFile& data) {
    std::vector<TreeFileNames> names;
    for (const std::string& matrix : matrix_names) {
        names.push_back(tree_file_names(matrix));
        for (const std::string& name :
             {names.back().groups, names.back().newick, names.back().picture})
            check_output_name(name, data);
    }
    return names;
}

void check_run_names(const std::vector<std::string>& matrix_names, bool tree,
                     const std::vector<TraitColumn>& traits) {
    std::vector<std::vector<std::string>> files;
    for (const std::string& matrix : matrix_names) {
        files.push_back({matrix});
        if (!tree) continue;
        const TreeFileNames names = tree_file_names(matrix);
        files.back().insert(files.back().end(), {names.groups, names.newick, names.picture});
    }
    for (const std::vector<std::string>& names : files)
        for (const std::string& name : names) check_name_length(name);
    check_distinct_files(files, traits);
}

std::vector<TraitTree> grow_trees(const Trial& trial, Layout layout, const TreeOptions& options) {
    std::vector<TraitTree> trees;
    bool any = false;
    for (const TraitCube& cube : trial.traits) {
        trees.push_back(cluster_trait(cube, layout, options));
        any = any || trees.back().grown();
    }
    const int f = analysed_factor(layout);
    const std::string min_rows = number_text(options.min_rows);
    if (!any)
        fatal_exit(options.fill == CellFill::none ? texts::no_tree_at_all : texts::no_tree_linked,
                   {{"leaves", texts::leaves[f]}, {"min_rows", min_rows}});
    return trees;
}

std::vector<std::string> older_tree_files(const std::vector<TreeFileNames>& tree_names,
                                          const std::vector<TraitTree>& trees) {
    std::vector<std::string> older;
    for (std::size_t k = 0; k < trees.size(); ++k)
        if (!trees[k].grown())
            for (const std::string& name : {tree_names[k].newick, tree_names[k].picture})
                if (use_of_name(name.c_str()) != NameUse::free) older.push_back(name);
    return older;
}

std::vector<std::string> output_names(const std::vector<std::string>& matrix_names,
                                      const std::vector<TreeFileNames>& tree_names,
                                      const std::vector<TraitTree>& trees,
                                      const std::vector<std::string>& older) {
    std::vector<std::string> names = matrix_names;
    for (std::size_t k = 0; k < trees.size(); ++k) {
        names.push_back(tree_names[k].groups);
        if (!trees[k].grown()) continue;
        names.push_back(tree_names[k].newick);
        names.push_back(tree_names[k].picture);
    }
    names.insert(names.end(), older.begin(), older.end());
    return names;
}

// The factor's word in the plural: "varieties", "years", "locations". The
// files of a tree are English whatever the console's language.
static std::string_view leaves_word(Layout layout) {
    return texts::leaves[analysed_factor(layout)].en;
}

// What the rows of a layout's matrix are.
static std::string_view rows_word(Layout layout) {
    constexpr std::string_view words[] = {"year x location pairs", "location x variety pairs",
                                          "variety x year pairs"};
    return words[analysed_factor(layout)];
}

// The data file's own name, which the system gave and the file's encoding
// does not decide: UTF-8 as it is, other bytes as a Chinese system's GBK.
static std::string picture_file_name(const std::string& name) {
    return is_valid_utf8(name) ? name : utf8_from_gbk(name);
}

// The name of a file without its folder: the title names the group table
// that lies beside the picture.
static std::string without_folder(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// The heat map of a tree: a row a clustered level, a column a row of the
// matrix, the values as the distances took them.
static HeatMap heat_map_of(const TraitTree& tree, TextEncoding encoding) {
    HeatMap heat;
    const auto rows = static_cast<std::size_t>(tree.data.rows);
    if (tree.data.row_labels.size() != rows || rows == 0) return heat;
    for (const std::string& label : tree.data.row_labels)
        heat.columns.push_back(utf8_text(label, encoding));
    heat.values = tree.clustered_values;
    heat.kinds.resize(heat.values.size());
    for (std::size_t cell = 0; cell < heat.values.size(); ++cell)
        heat.kinds[cell] = std::isnan(heat.values[cell]) ? CellKind::empty
                           : tree.clustered_filled[cell] ? CellKind::filled
                                                         : CellKind::observed;
    return heat;
}

// The picture of a tree of the trait `trait` (as the file's bytes write it),
// which is UTF-8 whatever the file's code page.
static TreePicture picture_of(const TraitTree& tree, const TreeRun& run, const std::string& trait,
                              const std::string& groups_file) {
    TreePicture picture;
    const std::vector<std::string>& labels = tree.data.labels;
    for (std::int32_t level : tree.participation.clustered)
        picture.labels.push_back(utf8_text(labels[static_cast<std::size_t>(level)], run.encoding));
    picture.fusions = tree.fusions;
    picture.group_of = tree.groups.of_leaf;
    picture.groups = tree.groups.count;
    picture.cut_height = tree.groups.cut_height;
    picture.heat = heat_map_of(tree, run.encoding);
    for (const LevelPart& part : tree.participation.levels)
        if (part.left_out != LeftOut::no) ++picture.left_out;
    picture.groups_file = picture_file_name(without_folder(groups_file));
    picture.data_file = picture_file_name(run.data_file);
    picture.trait = utf8_text(trait, run.encoding);
    picture.leaves_are = leaves_word(run.layout);
    picture.cells_are = run.cell_means ? "block means" : "last value of each cell";
    picture.rows_are = rows_word(run.layout);
    picture.rows = tree.data.rows;
    picture.linkage = run.options.method;
    picture.group_rule = run.options.groups ? GroupRule::fixed : GroupRule::mojena;
    picture.mojena = run.options.mojena;
    picture.additive = run.options.fill == CellFill::additive;
    picture.empty_cells = tree.empty_cells;
    picture.cells = tree.cells;
    picture.filled = tree.filled;
    picture.centred = run.options.centre || run.options.scale;
    picture.scaled = run.options.scale;
    picture.groups_asked = run.options.groups.value_or(0);
    picture.cophenetic = tree.cophenetic;
    return picture;
}

static bool stage_files_of(const TreeFileNames& names, const TraitTree& tree, const TreeRun& run,
                           const std::string& trait, const std::vector<std::string>& all) {
    const std::string table =
        group_table(tree.data.labels, tree.levels, tree.participation, tree.groups.of_leaf,
                    run.options.min_rows, leaves_word(run.layout));
    if (!stage_text_file(names.groups, table, false, all)) return false;
    if (!tree.grown()) return true;
    if (!stage_text_file(names.newick,
                         newick_text(tree.data.labels, tree.participation.clustered, tree.fusions),
                         false, all))
        return false;
    // The picture is the same bytes on every system: no line end of it
    // becomes a CR LF.
    return stage_text_file(names.picture, draw_tree(picture_of(tree, run, trait, names.groups)),
                           true, all);
}

bool stage_tree_files(const std::vector<TreeFileNames>& names, const std::vector<TraitTree>& trees,
                      const TreeRun& run, const std::vector<std::string>& older,
                      const std::vector<std::string>& all) {
    // A classic file has no trait column's name but its header's.
    auto trait_of = [&](const TraitCube& cube) {
        return cube.trait_as_written.empty() ? run.trial.header_trait : cube.trait_as_written;
    };
    for (std::size_t k = 0; k < trees.size(); ++k)
        if (!stage_files_of(names[k], trees[k], run, trait_of(run.trial.traits[k]), all))
            return false;
    for (const std::string& name : older) stage_removal(name);
    return true;
}
