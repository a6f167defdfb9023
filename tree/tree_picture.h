// The picture of a clustering: its dendrogram as an SVG file, with the
// groups in colour, the values it rests on as a heat map beside it, and what
// was clustered how.
#pragma once

#include "tree/heat_map.h"
#include "tree/hierarchy.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How the number of groups was settled.
enum class GroupRule {
    mojena, // Mojena's rule
    fixed,  // as given with --groups
};

// Everything the picture shows. Texts are UTF-8.
struct TreePicture {
    // The clustered levels by leaf number, in the matrix's order.
    std::vector<std::string> labels;
    std::vector<Fusion> fusions; // labels.size() - 1 of them, heights rising but for rounding
    std::vector<std::int32_t> group_of; // by leaf: its group, from 1 (down the page)
    std::int32_t groups = 1;
    std::optional<double> cut_height; // between the groups' fusions; none for one group
    // A row a leaf, in the matrix's order; no columns for no heat map.
    HeatMap heat;
    std::int64_t left_out = 0; // levels not clustered, listed in `groups_file`
    std::string groups_file;
    // For the title block.
    std::string data_file, trait;
    std::string leaves_are; // "varieties", "years" or "locations"
    std::string cells_are;  // "block means" or "last value of each cell"; none to say
    std::string rows_are;   // "year x location pairs" and the like
    std::int64_t rows = 0;
    Linkage linkage = Linkage::ward;
    GroupRule group_rule = GroupRule::mojena;
    std::int64_t groups_asked = 0;      // with --groups: K, which may be more than there are levels
    double mojena = 1.25;               // Mojena's k
    bool additive = true;               // empty cells filled from the additive model
    bool empty_cells = false;           // without a fill, a clustered level has an empty cell
    std::int64_t cells = 0, filled = 0; // the clustered levels' cells, and those filled
    bool centred = false, scaled = false;
    std::optional<double> cophenetic; // the cophenetic correlation, when known
};

// The largest width and height a picture takes, in pixels: renderers
// (rsvg-convert, cairo) refuse more.
constexpr double largest_picture_side = 32767;

// The picture as an SVG 1.1 file, lines ending in "\n", the same bytes on
// every system, never wider or taller than largest_picture_side: a tree too
// tall for 8 pixels a leaf is drawn collapsed, a wedge a group, its heat map
// a row a group (the mean of its members). Whatever reaches it as text, the file is well-formed
// XML: bytes that are no UTF-8, and control characters, show as U+FFFD. Fusions that build no tree
// over the labels draw the labels alone.
std::string draw_tree(const TreePicture& picture);
