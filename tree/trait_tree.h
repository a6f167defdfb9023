// The clustering of one trait's matrix: its columns (the levels of the
// analysed factor) clustered over its rows, the levels that take part, the
// fusions, the groups and how faithful the tree is.
#pragma once

#include "tree/cluster_data.h"
#include "tree/groups.h"
#include "tree/hierarchy.h"
#include "tree/participation.h"
#include "trial/trait_cube.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How the empty cells of the matrix are dealt with: filled from the additive
// model, or left empty (distances over shared rows, as R's dist()).
enum class CellFill { additive, none };

struct TreeOptions {
    Linkage method = Linkage::ward;
    std::optional<std::int64_t> groups; // --groups; else Mojena's rule
    double mojena = 1.25;               // --mojena: Mojena's k
    std::int64_t min_rows = 2;          // --min-rows
    CellFill fill = CellFill::additive; // --fill
    bool centre = false;                // --centre, or --scale
    bool scale = false;                 // --scale
    int threads = 1;                    // --threads: the distances' share of them
};

struct TraitTree {
    // The matrix's columns, labelled as its header labels them; with a fill,
    // only the rows in which a clustered level has a value.
    ClusterData data;
    std::vector<std::string> levels; // each level as the data file writes it ("12" for G12)
    Participation participation;
    std::int64_t cells = 0;      // of the clustered levels over the rows they were compared on
    std::int64_t filled = 0;     // of those, filled by the model
    bool empty_cells = false;    // a clustered level has an empty cell (without a fill)
    std::vector<Fusion> fusions; // none when fewer than two levels take part
    Groups groups;
    std::optional<double> cophenetic;
    // What the tree rests on, for its heat map: the clustered levels' values
    // as the distances took them (filled, centred, scaled), level-major in
    // the order of participation.clustered, NaN for an empty cell; which of
    // them the model filled (the same order).
    std::vector<double> clustered_values;
    std::vector<char> clustered_filled;

    bool grown() const { return participation.clustered.size() >= 2; }
};

// Clusters the matrix's columns of `cube` in `layout`. Ends the run through
// fatal_exit when memory for the distances can't be had.
TraitTree cluster_trait(const TraitCube& cube, Layout layout, const TreeOptions& options);
