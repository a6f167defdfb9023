// The group table: every level of the matrix, the group it fell in, its
// values and the cells filled for it, and why a level was left out.
#pragma once

#include "tree/participation.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The table's text: the header "label\tlevel\tgroup\tvalues\tfilled\tnote",
// then one line per level in the matrix's order, each line ending in "\n".
// `levels` are the levels as the data file writes them; `of_leaf` is the
// group (from 1) of each clustered level. A level left out shows "." for
// its group and its filled cells, and left_out_note's words (`leaves` the
// levels' word) for its note.
std::string group_table(const std::vector<std::string>& labels,
                        const std::vector<std::string>& levels, const Participation& participation,
                        const std::vector<std::int32_t>& of_leaf, std::int64_t min_rows,
                        std::string_view leaves);
