// The clustering of one trait's matrix: its columns (the levels of the
// analysed factor) clustered over its rows, the levels that take part, the
// fusions, the groups and how faithful the tree is.
#pragma once

#include "design/trait_cube.h"
#include "tree/cluster_data.h"
#include "tree/groups.h"
#include "tree/hierarchy.h"
#include "tree/participation.h"

#include <cstdint>
#include <optional>
#include <vector>

struct TreeOptions {
    Linkage method = Linkage::ward;
    std::optional<std::int64_t> groups; // --groups; else Mojena's rule
    std::int64_t min_rows = 2;          // --min-rows
};

struct TraitTree {
    ClusterData data; // the matrix's columns, labelled as its header labels them
    Participation participation;
    std::vector<Fusion> fusions; // none when fewer than two levels take part
    Groups groups;
    std::optional<double> cophenetic;

    bool grown() const { return participation.clustered.size() >= 2; }
};

// Clusters the matrix's columns of `cube` in `layout`. Ends the run through
// fatal_exit when memory for the distances can't be had.
TraitTree cluster_trait(const TraitCube& cube, Layout layout, const TreeOptions& options);
