// The cluster matrix file: one column per level of the analysed factor, one
// row per combination of the other two that occurs, tab separated, under
// "ClustID".
#pragma once

#include "trial/trait_cube.h"

#include <cstdint>
#include <cstdio>
#include <string>

// The label of a level of factor f as the matrix shows it: the factor's
// letter and the code of a classic file ("G12"), a table's own label.
std::string level_label(const CubeLevels& levels, int f, std::int64_t level);

// Writes the header and every row of the layout from `cube`. Gives false
// when the stream reported a write error.
bool write_cluster_matrix(std::FILE* out, const TraitCube& cube, Layout layout);
