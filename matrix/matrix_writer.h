// The cluster matrix file: one column per level of the analysed factor, one
// row per combination of the other two that occurs, tab separated, under
// "ClustID".
#pragma once

#include "design/trait_cube.h"

#include <cstdio>

enum class Layout {
    variety = 1,  // columns G1.., rows Y+L, values centred on the grand mean, "." when empty
    year = 2,     // columns Y1.., rows L+G, raw values, "," when empty
    location = 3, // columns L1.., rows G+Y, values centred on the grand mean, "." when empty
};

// The factor whose levels are the columns of a layout.
inline int analysed_factor(Layout layout) {
    return static_cast<int>(layout) - 1;
}

// Writes the header and every row of the layout from `cube`. Gives false
// when the stream reported a write error.
bool write_cluster_matrix(std::FILE* out, const TraitCube& cube, Layout layout);
