// The tree computed plainly, for the tree tests and the whole runs that
// grow trees: distances by their definition, the fusions by the textbook
// O(n^3) loop, and a Newick text read back.
#pragma once

#include "tree/cluster_data.h"
#include "tree/hierarchy.h"

#include <cstddef>
#include <string>
#include <vector>

using Matrix = std::vector<std::vector<double>>;

// The distance of every two levels: Euclidean over the rows both have a
// value in, scaled to all the rows.
Matrix plain_distances(const ClusterData& data);

// Every open pair looked at, the first smallest in row-major order fusing,
// the union kept in the earlier slot. Gives the height at which each pair
// first joins in `cophenetic`.
std::vector<Fusion> textbook(Matrix d, Linkage linkage, Matrix* cophenetic = nullptr);

// Pearson's correlation of d and c over the pairs of levels, as R's cor();
// NaN when either is the same for every pair or d has a NaN.
double plain_correlation(const Matrix& d, const Matrix& c);

// Reads one node of a Newick text: the leaves' labels in order, and each
// fusion's height, twice its depth (the same through either branch), as R's
// ape reads the tree's cophenetic distances.
double read_node(const std::string& text, std::size_t& at, std::vector<std::string>& leaves,
                 std::vector<double>& heights);

// The same fusion heights, in any order, to 1e-9 relative.
void expect_same_heights(std::vector<double> heights, std::vector<double> want);
