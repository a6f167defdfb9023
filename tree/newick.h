// The tree as a Newick file, for R's ape::read.tree and tree viewers.
#pragma once

#include "tree/hierarchy.h"

#include <cstdint>
#include <string>
#include <vector>

// The Newick text of the tree of `fusions` over the `clustered` levels
// (indices into `labels`, leaf i being clustered[i]), ending in ";\n". At
// each fusion the branch holding the earlier level comes first (leaf_order);
// branch lengths put each node at half its fusion height above its leaves
// (so that two leaves are as far apart along the tree as the height that
// joins them), in the shortest text that reads back to the same double.
// Labels are quoted only where Newick needs it (blanks, underscores,
// punctuation, quotes). One leaf alone is written "label;".
std::string newick_text(const std::vector<std::string>& labels,
                        const std::vector<std::int32_t>& clustered,
                        const std::vector<Fusion>& fusions);
