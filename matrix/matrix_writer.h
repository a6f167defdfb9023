// The cluster matrix file: one column per level of the analysed factor, one
// row per combination of the other two that occurs, tab separated, under
// "ClustID".
#pragma once

#include "design/trait_cube.h"

#include <cstdint>
#include <cstdio>
#include <string>

enum class Layout {
    variety = 1,  // columns G1.., rows Y+L, values centred on the grand mean, "." when empty
    year = 2,     // columns Y1.., rows L+G, raw values, "," when empty
    location = 3, // columns L1.., rows G+Y, values centred on the grand mean, "." when empty
};

// The factor whose levels are the columns of a layout.
inline int analysed_factor(Layout layout) {
    return static_cast<int>(layout) - 1;
}

// The label of a level of factor f as the matrix shows it: the factor's
// letter and the code of a classic file ("G12"), a table's own label.
std::string level_label(const CubeLevels& levels, int f, std::int64_t level);

// Writes the header and every row of the layout from `cube`. Gives false
// when the stream reported a write error.
bool write_cluster_matrix(std::FILE* out, const TraitCube& cube, Layout layout);
