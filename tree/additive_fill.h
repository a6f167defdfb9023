// Every level clustered over every row: the levels the additive model can
// place (enough values, linked to the others through shared rows), and their
// empty cells filled from it.
#pragma once

#include "tree/cluster_data.h"

#include <cstdint>
#include <vector>

// The levels of `candidates` (indices into data's levels, each with a value
// somewhere) that form the largest set linked through shared rows: two
// levels are linked when they have a value in one row, and a set when a
// chain of such links joins every two of its levels. On a tie in size, the
// set holding the earliest level. Gives them in the order of `candidates`.
std::vector<std::int32_t> connected_levels(const ClusterData& data,
                                           const std::vector<std::int32_t>& candidates);

// Keeps only the rows in which one of `levels` has a value, for every level
// of `data` (the others' values in those rows stay as they were).
void drop_empty_rows(ClusterData& data, const std::vector<std::int32_t>& levels);

// Fills every empty cell of `levels` (which connected_levels gave) with
// mu + row effect + level effect, fitted by least squares on their observed
// cells, each counted once. Gives the number of cells filled for each of
// `levels`, in their order.
std::vector<std::int64_t> fill_additive(ClusterData& data, const std::vector<std::int32_t>& levels);
