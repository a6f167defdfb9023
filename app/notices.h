// What a run tells the user on standard error once its work is done: what
// a table's load read, and which file now holds the matrix.
#pragma once

#include "input/loader.h"
#include "matrix/matrix_file.h"
#include "tree/trait_tree.h"
#include "tree/tree_files.h"

// The lines that account for a table's load: records, levels, copies of the
// header skipped, and for each trait its values, missing values and zeros.
// Nothing for a classic file.
void account_for(const Trial& trial);

// Names the file that now holds the matrix, its trait if there are
// several, and its size.
void announce_matrix(const MatrixFile& matrix);

// Tells what the tree of each matrix grew into, a line each after a blank
// one: how many levels in how many groups, how many were left out and how
// faithful the tree is; or why none grew, and which of the `older` files,
// an earlier run's tree, were removed.
void announce_trees(const std::vector<std::string>& matrix_names,
                    const std::vector<TraitTree>& trees, Layout layout, const TreeOptions& options,
                    const std::vector<std::string>& older);
