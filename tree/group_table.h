// The group table: every level of the matrix, the group it fell in, its
// values, and why a level was left out.
#pragma once

#include "tree/participation.h"

#include <cstdint>
#include <string>
#include <vector>

// The table's text: the header "label\tgroup\tvalues\tnote", then one line
// per level in the matrix's order, each line ending in "\n". `of_leaf` is
// the group (from 1) of each clustered level; a level left out shows "."
// for its group and left_out_note's words for its note.
std::string group_table(const std::vector<std::string>& labels, const Participation& participation,
                        const std::vector<std::int32_t>& of_leaf, std::int64_t min_rows);
