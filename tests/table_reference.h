// A table of plots, and the matrix it must give, computed plainly: what
// the table tests and the loader guard compare the program with.
#pragma once

#include "tree/cluster_data.h"
#include "trial/trait_cube.h"

#include <string>
#include <vector>

// One plot of a table file: the four design values as text, and the trait
// ("NA" or empty for a missing value).
struct Plot {
    std::string variety, year, location, block, trait;
};

// The matrix of `layout` (1 to 3) a table of these plots must give, with
// the cells' last values or their means.
std::string reference_matrix(const std::vector<Plot>& plots, int layout, bool means);

// The columns of the matrix of `layout` that a tree clusters, with each
// cell's last value or NaN.
ClusterData reference_columns(const std::vector<Plot>& plots, int layout);

// The matrix of a loaded cube in `layout`, as the matrix file would hold it.
std::string matrix_of(const TraitCube& cube, Layout layout);
