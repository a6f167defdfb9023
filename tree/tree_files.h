// The files of a trait's tree beside its matrix: the group table, the
// Newick file and the picture, named after the matrix and staged with it.
#pragma once

#include "base/text_encoding.h"
#include "input/data_file.h"
#include "input/loader.h"
#include "matrix/matrix_writer.h"
#include "tree/trait_tree.h"

#include <string>
#include <string_view>
#include <vector>

struct TreeFileNames {
    std::string groups;  // wheat.groups.tsv
    std::string newick;  // wheat.tree.nwk
    std::string picture; // wheat.tree.svg
};

// The names of the files of the tree of the matrix `matrix_name`.
TreeFileNames tree_file_names(std::string_view matrix_name);

// The names of the files of each matrix's tree, each checked as a matrix's
// name is (input/data_file.h, matrix/matrix_file.h): none may replace the
// data file, a folder or a protected file.
std::vector<TreeFileNames> choose_tree_files(const std::vector<std::string>& matrix_names,
                                             const DataFile& data);

// Ends the run through fatal_exit, before the data are read, when the files
// the run may write (each trait's matrix under `matrix_names`, and with a
// `tree` the tree's files beside it) can't all have their names: one is
// too long for the system, or two would be one file
// (matrix/matrix_file.h).
void check_run_names(const std::vector<std::string>& matrix_names, bool tree,
                     const std::vector<TraitColumn>& traits);

// The trees of every trait's matrix in `layout`. When none could be grown
// (no trait has two levels that share enough rows), the run ends through
// fatal_exit saying so, before any file is written.
std::vector<TraitTree> grow_trees(const Trial& trial, Layout layout, const TreeOptions& options);

// The Newick files and pictures an earlier run left for the traits that
// get no tree now: they would contradict the new group tables.
std::vector<std::string> older_tree_files(const std::vector<TreeFileNames>& tree_names,
                                          const std::vector<TraitTree>& trees);

// Every file of the run, in the order they are staged: each matrix, then
// for each trait its group table and, for a tree that was grown, its
// Newick file and picture; last the `older` files it removes.
std::vector<std::string> output_names(const std::vector<std::string>& matrix_names,
                                      const std::vector<TreeFileNames>& tree_names,
                                      const std::vector<TraitTree>& trees,
                                      const std::vector<std::string>& older);

// What the pictures' titles say beyond the trees: the data file and the
// traits as they are named, and how the trees were grown.
struct TreeRun {
    const std::string& data_file;
    const Trial& trial;
    Layout layout;
    const TreeOptions& options;
    bool cell_means =
        false; // a cell holds the mean of its values (a table's default, --cells mean)
    TextEncoding encoding = TextEncoding::utf8; // the code page of the file's names
};

// Stages the group table of each trait's tree, and for a tree that was
// grown its Newick file and its picture (storage/staged_file.h), then the
// removal of the `older` files. When a write fails, says so (naming `all`,
// every file of the run) and gives false, every staged file removed.
bool stage_tree_files(const std::vector<TreeFileNames>& names, const std::vector<TraitTree>& trees,
                      const TreeRun& run, const std::vector<std::string>& older,
                      const std::vector<std::string>& all);
