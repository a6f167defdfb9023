#include "tree/tree_picture.h"

#include "tree/cophenetic.h"
#include "tree/groups.h"
#include "tree/svg_text.h"
#include "tree/tree_shape.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <tuple>

// Sizes in pixels. The tree grows one pitch a leaf, and the picture as wide
// as its longest text, so that 500 varieties stay as readable as 20; past
// the largest side a renderer takes, the pitch narrows to 8 px, and then the
// groups are drawn collapsed.
static constexpr double margin = 20;
static constexpr double full_pitch = 16; // a leaf's row, while the picture has room
static constexpr double text_size = 12;
static constexpr double title_size = 16;
static constexpr double title_pitch = 18;
static constexpr double tree_width = 480;   // from height 0 to the axis's top
static constexpr double axis_overhang = 24; // left of the axis, for its last value
static constexpr double bold_widening = 1.1;
// A tree of more leaves than a screen shows has its axis above it too.
static constexpr std::size_t leaves_on_a_screen = 50;

// Okabe and Ito's colours, which readers with any common colour blindness
// tell apart, without their yellow, which hardly shows on white. Most trees
// have two to five groups, so the first four are the ones that differ most
// in hue and lightness: blue, vermilion, bluish green, reddish purple; then
// orange, sky blue and black. Groups beyond seven take them again, and
// their numbers tell them apart.
static constexpr std::array<std::string_view, 7> palette = {
    "#0072B2", "#D55E00", "#009E73", "#CC79A7", "#E69F00", "#56B4E9", "#000000"};
static constexpr std::string_view neutral_grey = "#999999"; // branches that join groups
static constexpr std::string_view note_grey = "#666666";    // the levels left out

// The palette's index for a group, palette.size() for none.
static std::size_t colour_index(std::int32_t group) {
    return group > 0 ? static_cast<std::size_t>(group - 1) % palette.size() : palette.size();
}

static std::string_view colour_of(std::int32_t group) {
    const std::size_t index = colour_index(group);
    return index < palette.size() ? palette[index] : neutral_grey;
}

static std::string_view method_of(Linkage linkage) {
    switch (linkage) {
    case Linkage::ward:
        return "Ward's method (ward.D2)";
    case Linkage::average:
        return "average linkage (UPGMA)";
    case Linkage::complete:
        return "complete linkage";
    case Linkage::single:
        return "single linkage";
    }
    return "";
}

namespace {

// Where everything goes, settled before anything is written.
struct Layout {
    // The tree as drawn: the picture's, or when collapsed the fusions
    // between its groups, whose leaves are the groups (leaf g - 1 is group g).
    bool collapsed = false;
    std::vector<Fusion> fusions;
    std::vector<std::int32_t> group_of; // by drawn leaf
    std::vector<std::string> labels;    // by drawn leaf
    std::vector<double> apex;           // collapsed: by group, its highest fusion
    TreeShape shape;
    HeatMap heat; // a row a drawn leaf, by its number
    bool heat_shown = false, column_labels = false;
    double centre = 0, reach = 0, low = 0, high = 0;
    int key_decimals = 2;
    bool any_filled = false, any_empty = false;
    HeightAxis axis;
    std::vector<std::string> title; // the first line in bold
    std::vector<std::string> notes;
    double pitch = 16, leaf_font = 12, column_width = 12, column_font = 10;
    double leaves_x = 0; // height 0, where the leaves end
    double labels_x = 0, bar_x = 0, number_x = 0, heat_x = 0;
    double title_y = 0;  // the first title line's baseline
    double tree_top = 0; // the middle of the first leaf's row
    double axis_y = 0;
    bool axis_above = false;
    double key_y = 0, notes_y = 0;
    double width = 0, height = 0;
};

} // namespace

static std::string title_of_data(const TreePicture& picture) {
    if (picture.trait.empty() || picture.data_file.empty())
        return picture.data_file + picture.trait;
    return picture.data_file + " \u2014 " + picture.trait;
}

static std::string title_of_levels(const TreePicture& picture) {
    std::string line = std::to_string(picture.labels.size()) + " " + picture.leaves_are +
                       " clustered on " + std::to_string(picture.rows) + " " + picture.rows_are;
    if (picture.left_out == 0) return line + "; none left out";
    line += "; " + std::to_string(picture.left_out) + " left out";
    if (picture.groups_file.empty()) return line;
    return line + " (listed in " + picture.groups_file + ")";
}

static std::string title_of_method(const TreePicture& picture, const HeightAxis& axis) {
    const std::string groups = std::to_string(picture.groups);
    // Distances over shared rows, scaled up, need not be Euclidean.
    const char* distances = picture.additive || !picture.empty_cells
                                ? " on Euclidean distances; "
                                : " on distances over shared rows (not Euclidean); ";
    std::string line = std::string(method_of(picture.linkage)) + distances + groups +
                       (picture.groups == 1 ? " group" : " groups");
    if (picture.group_rule == GroupRule::mojena)
        line += " by Mojena's rule (k = " + mojena_k_text(picture.mojena) + ")";
    else if (picture.groups_asked > picture.groups)
        line += " as asked (--groups " + std::to_string(picture.groups_asked) +
                ", more than there are " + picture.leaves_are + ")";
    else
        line += " as asked (--groups " + groups + ")";
    if (picture.cut_height) {
        // One decimal more than the axis's values show.
        line += ", cut at height ";
        append_number(line, *picture.cut_height, std::max(0, 1 - axis.exponent));
        line += " (dashed line)";
    }
    return line;
}

// What the distances were computed on: the cells' rule, the cells filled,
// the centring and the scaling.
static std::string title_of_values(const TreePicture& picture) {
    std::string line;
    if (!picture.cells_are.empty()) {
        line = picture.cells_are + "; ";
        line[0] = static_cast<char>(line[0] - ('a' <= line[0] && line[0] <= 'z' ? 32 : 0));
    }
    if (!picture.additive && picture.empty_cells)
        line += line.empty() ? "Empty cells not filled" : "empty cells not filled";
    else if (picture.filled == 0)
        line += line.empty() ? "No cell filled" : "no cell filled";
    else
        line += std::to_string(picture.filled) + " of " + std::to_string(picture.cells) +
                " cells filled from the additive model";
    if (picture.scaled)
        return line + "; " + picture.leaves_are + " centred and scaled (clustered by correlation)";
    if (picture.centred) return line + "; " + picture.leaves_are + " centred on their means";
    return line + "; not centred or scaled";
}

static std::string title_of_fit(const TreePicture& picture) {
    return "Cophenetic correlation: " + cophenetic_text(picture.cophenetic);
}

// "variety" for "varieties", "year" for "years".
static std::string one_of(const std::string& plural) {
    if (plural.ends_with("ies")) return plural.substr(0, plural.size() - 3) + "y";
    if (plural.ends_with("s")) return plural.substr(0, plural.size() - 1);
    return plural;
}

// The tree with its groups for leaves: the fusions between groups, which
// cut_into_groups left as the last groups - 1, each part a group or an
// earlier such fusion; and the height of each group's highest fusion.
static bool collapse(const TreePicture& picture, const TreeShape& full, Layout& layout) {
    const std::size_t leaves = picture.labels.size();
    const auto groups = static_cast<std::size_t>(std::max(picture.groups, 1));
    if (full.fusion_row.empty() || groups > leaves) return false;
    const std::size_t kept = leaves - groups;
    layout.apex.assign(groups, 0);
    for (std::size_t k = 0; k < kept; ++k) {
        const std::int32_t group = full.fusion_group[k];
        if (group < 1 || static_cast<std::size_t>(group) > groups) return false;
        double& apex = layout.apex[static_cast<std::size_t>(group - 1)];
        apex = std::max(apex, picture.fusions[k].height);
    }
    auto part_of = [&](std::int32_t part) -> std::int32_t {
        if (part < 0 || static_cast<std::size_t>(part) <= kept) return -full.group_of(part);
        return part - static_cast<std::int32_t>(kept);
    };
    for (std::size_t k = kept; k < picture.fusions.size(); ++k) {
        const Fusion& fusion = picture.fusions[k];
        layout.fusions.push_back({part_of(fusion.first), part_of(fusion.second), fusion.height});
    }
    std::vector<std::int64_t> members(groups, 0);
    for (std::size_t leaf = 0; leaf < leaves; ++leaf)
        if (full.leaf_group[leaf] >= 1)
            ++members[static_cast<std::size_t>(full.leaf_group[leaf] - 1)];
    for (std::size_t g = 0; g < groups; ++g) {
        layout.group_of.push_back(static_cast<std::int32_t>(g + 1));
        layout.labels.push_back(
            std::to_string(members[g]) + " " +
            (members[g] == 1 ? one_of(picture.leaves_are) : picture.leaves_are));
    }
    layout.collapsed = true;
    return is_tree(layout.fusions, groups);
}

// Below the tree: the axis with its values and caption, or the heat map's
// turned column labels when they reach further.
static double below_tree(const Layout& layout, double longest_column) {
    return std::max(6.0 + 36, layout.column_labels ? 6 + longest_column : 0);
}

static constexpr double key_height = 52; // the scale, its values, the cells' kinds
static constexpr double note_pitch = 16;
static constexpr std::size_t notes_at_most = 3;
// The heat map's columns: 12 px each up to 100 columns, narrower past that
// to keep the map within 1200 px, never under 2 px; labelled from 8 px.
static constexpr double column_widest = 12, column_narrowest = 2, heat_span = 1200;
static constexpr double column_labelled = 8, column_label_longest = 240;
// Cells beyond this many would make a file of tens of megabytes that
// viewers crawl through: the heat map is left out, and the note says so.
static constexpr std::size_t heat_cells_at_most = 400000;

// The key's scale: swatches from the lowest value to the highest.
static constexpr int key_swatches = 15;
static constexpr double key_swatch = 16;

struct KeyKind {
    CellKind kind;
    std::string_view words;
};

// The kinds of cell the map holds, as the key names them.
static std::vector<KeyKind> key_kinds(const Layout& layout) {
    std::vector<KeyKind> kinds = {{CellKind::observed, "observed"}};
    if (layout.any_filled)
        kinds.push_back({CellKind::filled, "filled by the model (lighter, struck)"});
    if (layout.any_empty) kinds.push_back({CellKind::empty, "empty (no value)"});
    return kinds;
}

// Where the key's first kind of cell stands, and the width of each.
static constexpr double key_kinds_x = margin + key_swatch * key_swatches + 30;
static double key_kind_width(const KeyKind& kind) {
    return 17 + estimated_width(kind.words) * 11 + 16;
}

static void settle_heat_scale(Layout& layout, const TreePicture& picture) {
    layout.centre = grand_mean(layout.heat);
    if (picture.centred) layout.centre = 0;
    std::tie(layout.low, layout.high) = value_range(layout.heat);
    layout.reach = std::max(layout.high - layout.centre, layout.centre - layout.low);
    layout.key_decimals = std::max(0, 2 - height_axis(layout.high - layout.low).exponent);
    for (CellKind kind : layout.heat.kinds) {
        layout.any_filled = layout.any_filled || kind == CellKind::filled;
        layout.any_empty = layout.any_empty || kind == CellKind::empty;
    }
}

static Layout lay_out(const TreePicture& picture) {
    Layout layout;
    const std::size_t leaves = picture.labels.size();
    const TreeShape full = tree_shape(picture.fusions, picture.group_of, leaves);
    double highest = 0;
    if (!full.fusion_row.empty())
        for (const Fusion& fusion : picture.fusions) highest = std::max(highest, fusion.height);
    layout.axis = height_axis(highest);
    layout.title = {title_of_data(picture), title_of_levels(picture),
                    title_of_method(picture, layout.axis), title_of_values(picture),
                    title_of_fit(picture)};
    const std::size_t columns = picture.heat.columns.size();
    const bool heat_given = columns > 0 && picture.heat.rows() == leaves && leaves > 0;
    double longest_column = 0;
    for (const std::string& column : picture.heat.columns)
        longest_column = std::max(longest_column, estimated_width(column) * 10);
    // Labels longer than this would push the tree off its page: the columns
    // go unlabelled, as narrow ones do.
    const bool columns_short = longest_column <= column_label_longest;
    if (!columns_short) longest_column = 0;

    // The height the rows can take, the rest of the picture settled: as if
    // the columns were labelled and every note written.
    layout.title_y = margin + title_size;
    const double title_bottom = layout.title_y + title_pitch * double(layout.title.size() - 1);
    layout.axis_above = leaves > leaves_on_a_screen;
    const double above_tree = title_bottom + 24 + (layout.axis_above ? 30 : 0);
    const double fixed = above_tree + std::max(6.0 + 36, 6 + longest_column) + 24 + key_height +
                         note_pitch * double(notes_at_most) + margin;
    const double room = largest_picture_side - fixed;
    // Pitches in hundredths of a pixel, as the file writes them.
    auto pitch_for = [&](std::size_t rows) {
        return std::min(full_pitch,
                        std::floor(room / double(std::max<std::size_t>(rows, 1)) * 100) / 100);
    };
    layout.pitch = pitch_for(leaves);
    if (layout.pitch < 8 && collapse(picture, full, layout)) {
        layout.shape = tree_shape(layout.fusions, layout.group_of, layout.group_of.size());
        layout.pitch = pitch_for(layout.labels.size());
        if (heat_given) layout.heat = group_means(picture.heat, picture.group_of, picture.groups);
        std::string note = std::to_string(leaves) + " " + picture.leaves_are +
                           ", too many for 8 px each: a wedge a group, with its number and count";
        if (!picture.groups_file.empty())
            note += " (its " + picture.leaves_are + " in " + picture.groups_file + ")";
        layout.notes.push_back(note + "; its heat-map row is their mean");
    } else {
        layout.collapsed = false;
        layout.fusions = picture.fusions;
        layout.group_of = picture.group_of;
        layout.labels = picture.labels;
        layout.apex.clear();
        layout.shape = full;
        if (heat_given) layout.heat = picture.heat;
    }
    layout.leaf_font = std::min(text_size, layout.pitch - 1);

    layout.leaves_x = margin + axis_overhang + tree_width;
    layout.labels_x = layout.leaves_x + 8;
    double longest_label = 0;
    if (layout.leaf_font >= 5)
        for (const std::string& label : layout.labels)
            longest_label = std::max(longest_label, estimated_width(label) * layout.leaf_font);
    layout.bar_x = layout.labels_x + longest_label + 10;
    layout.number_x = layout.bar_x + 11;
    layout.heat_x =
        layout.number_x +
        estimated_width(std::to_string(picture.groups)) * layout.leaf_font * bold_widening + 14;

    const std::size_t rows = layout.heat.rows();
    if (heat_given && rows * columns > heat_cells_at_most) {
        layout.notes.push_back("No heat map: its " + std::to_string(rows * columns) +
                               " cells would make too large a file");
    } else if (heat_given) {
        const double room_across = largest_picture_side - margin - layout.heat_x;
        layout.column_width =
            std::clamp(heat_span / double(columns), column_narrowest, column_widest);
        if (layout.column_width * double(columns) > room_across)
            layout.column_width = std::floor(room_across / double(columns) * 100) / 100;
        if (layout.column_width < column_narrowest) {
            layout.notes.push_back("No heat map: its " + std::to_string(columns) +
                                   " columns would not fit at 2 px each");
        } else {
            layout.heat_shown = true;
            layout.column_labels = layout.column_width >= column_labelled && columns_short;
            layout.column_font = std::min(10.0, layout.column_width);
            settle_heat_scale(layout, picture);
            std::string note =
                "Heat map: a column a " + one_of(picture.rows_are) + ", in the matrix's order, ";
            append_number(note, layout.column_width);
            note += " px wide (12 px; narrower past 100 columns, never under 2 px)";
            if (!columns_short)
                note += "; not labelled, the labels being too long";
            else if (!layout.column_labels)
                note += "; not labelled under 8 px";
            layout.notes.push_back(note);
        }
    }
    if (!layout.heat_shown) layout.heat = HeatMap{};

    double right = layout.heat_shown
                       ? layout.heat_x + layout.column_width * double(columns)
                       : layout.number_x + estimated_width(std::to_string(picture.groups)) *
                                               layout.leaf_font * bold_widening;
    for (std::size_t line = 0; line < layout.title.size(); ++line) {
        const double size = line == 0 ? title_size * bold_widening : text_size;
        right = std::max(right, margin + estimated_width(layout.title[line]) * size);
    }
    for (const std::string& note : layout.notes)
        right = std::max(right, margin + estimated_width(note) * text_size);
    if (layout.heat_shown) {
        double key_right = key_kinds_x;
        for (const KeyKind& kind : key_kinds(layout)) key_right += key_kind_width(kind);
        right = std::max(right, key_right);
    }
    layout.width = std::min(largest_picture_side, std::ceil(right + margin));

    layout.tree_top = above_tree + layout.pitch / 2;
    double bottom = title_bottom;
    const std::size_t drawn = layout.labels.size();
    if (drawn > 0) {
        const double tree_bottom = above_tree + layout.pitch * double(drawn);
        layout.axis_y = tree_bottom + 6;
        bottom = tree_bottom + below_tree(layout, longest_column);
    }
    layout.key_y = bottom + 24;
    if (layout.heat_shown) bottom = layout.key_y + key_height;
    layout.notes_y = bottom + 20;
    if (!layout.notes.empty())
        bottom = layout.notes_y + note_pitch * double(layout.notes.size() - 1);
    layout.height = std::min(largest_picture_side, std::ceil(bottom + margin));
    return layout;
}

static double x_of(const Layout& layout, double height) {
    const double x = layout.leaves_x - height / layout.axis.top() * tree_width;
    return std::clamp(x, layout.leaves_x - tree_width, layout.leaves_x);
}

static double y_of(const Layout& layout, double row) {
    return layout.tree_top + row * layout.pitch;
}

// Appends ` name="value"` for a number.
static void put(std::string& svg, std::string_view name, double value) {
    svg += ' ';
    svg += name;
    svg += "=\"";
    append_number(svg, value);
    svg += '"';
}

// Appends a text element; `attributes` start with a blank.
static void put_text(std::string& svg, double x, double y, std::string_view text,
                     std::string_view attributes = {}) {
    svg += "<text";
    put(svg, "x", x);
    put(svg, "y", y);
    svg += attributes;
    svg += '>';
    svg += xml_text(text);
    svg += "</text>\n";
}

static void put_rect(std::string& svg, double x, double y, double width, double height,
                     std::string_view attributes) {
    svg += "<rect";
    put(svg, "x", x);
    put(svg, "y", y);
    put(svg, "width", width);
    put(svg, "height", height);
    svg += attributes;
    svg += "/>\n";
}

// Appends a path's command and its numbers: "M12 30", "H4.5".
static void put_command(std::string& d, char command, double a) {
    d += command;
    append_number(d, a);
}

static void put_command(std::string& d, char command, double a, double b) {
    put_command(d, command, a);
    d += ' ';
    append_number(d, b);
}

// Opens a group of texts in `size`; `attributes` start with a blank.
static void open_group(std::string& svg, std::string_view id, std::string_view attributes = {},
                       double size = text_size) {
    svg += "<g id=\"";
    svg += id;
    svg += "\" font-size=\"";
    append_number(svg, size);
    svg += '"';
    svg += attributes;
    svg += ">\n";
}

// How far below the middle of a row a text's baseline goes for the text to
// look centred on the row: about half the height of a capital.
static double baseline_drop(double size) {
    return 0.35 * size;
}

static void put_title(std::string& svg, const Layout& layout) {
    open_group(svg, "title");
    std::string heading = " font-size=\"";
    append_number(heading, title_size);
    heading += "\" font-weight=\"bold\"";
    for (std::size_t line = 0; line < layout.title.size(); ++line) {
        const double y = layout.title_y + title_pitch * double(line);
        put_text(svg, margin, y, layout.title[line], line == 0 ? heading : "");
    }
    svg += "</g>\n";
}

// Where a fusion's part starts: a leaf at height 0, a collapsed group at
// its wedge's apex, a fusion at its height.
static double part_x(const Layout& layout, std::int32_t part) {
    if (part > 0) return x_of(layout, layout.fusions[static_cast<std::size_t>(part - 1)].height);
    if (!layout.collapsed) return layout.leaves_x;
    return x_of(layout, layout.apex[static_cast<std::size_t>(-part - 1)]);
}

// Each branch in the colour of its group, a branch that joins groups in
// grey: a fusion's upright in the colour of the fusion, the line to each of
// its two parts in the colour of that part. One path a colour.
static void put_branches(std::string& svg, const Layout& layout) {
    const TreeShape& shape = layout.shape;
    std::array<std::string, palette.size() + 1> paths;
    for (std::size_t k = 0; k < shape.fusion_row.size(); ++k) {
        const double x = x_of(layout, layout.fusions[k].height);
        double part_y[2];
        for (int side = 0; side < 2; ++side) {
            const std::int32_t part =
                side == 0 ? layout.fusions[k].first : layout.fusions[k].second;
            part_y[side] = y_of(layout, shape.row_of(part));
            std::string& path = paths[colour_index(shape.group_of(part))];
            put_command(path, 'M', part_x(layout, part), part_y[side]);
            put_command(path, 'H', x);
        }
        std::string& path = paths[colour_index(shape.fusion_group[k])];
        put_command(path, 'M', x, part_y[0]);
        put_command(path, 'V', part_y[1]);
    }
    svg += "<g id=\"branches\" fill=\"none\" stroke-width=\"1.5\" stroke-linecap=\"square\">\n";
    for (std::size_t index = 0; index < paths.size(); ++index) {
        if (paths[index].empty()) continue;
        svg += "<path stroke=\"";
        svg += index < palette.size() ? palette[index] : neutral_grey;
        svg += "\" d=\"" + paths[index] + "\"/>\n";
    }
    svg += "</g>\n";
}

// A collapsed group: a wedge from its highest fusion out to the leaves'
// line, as tall as its row.
static void put_wedges(std::string& svg, const Layout& layout) {
    if (!layout.collapsed) return;
    svg += "<g id=\"wedges\" fill-opacity=\"0.35\" stroke-width=\"1\">\n";
    for (std::size_t row = 0; row < layout.shape.order.size(); ++row) {
        const auto leaf = static_cast<std::size_t>(layout.shape.order[row]);
        const double y = y_of(layout, double(row)), half = layout.pitch * 0.4;
        std::string d;
        put_command(d, 'M', x_of(layout, layout.apex[leaf]), y);
        put_command(d, 'L', layout.leaves_x, y - half);
        put_command(d, 'V', y + half);
        d += 'Z';
        const std::string colour(colour_of(layout.group_of[leaf]));
        svg += "<path fill=\"" + colour + "\" stroke=\"" + colour + "\" d=\"" + d + "\"/>\n";
    }
    svg += "</g>\n";
}

static void put_cut(std::string& svg, const TreePicture& picture, const Layout& layout) {
    if (!picture.cut_height || layout.shape.fusion_row.empty()) return;
    const double x = x_of(layout, *picture.cut_height);
    svg += "<line id=\"cut\"";
    put(svg, "x1", x);
    put(svg, "y1", layout.tree_top - layout.pitch / 2);
    put(svg, "x2", x);
    put(svg, "y2", y_of(layout, double(layout.labels.size() - 1)) + layout.pitch / 2);
    svg += " stroke=\"#333333\" stroke-width=\"1\" stroke-dasharray=\"6 4\"/>\n";
}

// The axis at `y`, its ticks and values below it, or above it for the
// axis above the tree; below, its caption names the trait.
static void put_axis(std::string& svg, const TreePicture& picture, const Layout& layout, double y,
                     bool above) {
    const HeightAxis& axis = layout.axis;
    svg += above ? "<g id=\"axis-above\"" : "<g id=\"axis\"";
    svg += " stroke=\"#000000\" stroke-width=\"1\" font-size=\"11\" "
           "text-anchor=\"middle\">\n<path fill=\"none\" d=\"";
    put_command(svg, 'M', x_of(layout, axis.top()), y);
    put_command(svg, 'H', layout.leaves_x);
    for (int tick = 0; tick <= axis.intervals; ++tick) {
        put_command(svg, 'M', x_of(layout, axis.step * tick), y);
        put_command(svg, 'v', above ? -5 : 5);
    }
    svg += "\"/>\n";
    const int decimals = std::max(0, -axis.exponent);
    for (int tick = 0; tick <= axis.intervals; ++tick) {
        std::string value;
        append_number(value, axis.step * tick, decimals);
        put_text(svg, x_of(layout, axis.step * tick), above ? y - 9 : y + 17, value,
                 " stroke=\"none\"");
    }
    if (!above)
        put_text(svg, layout.leaves_x - tree_width / 2, y + 33,
                 picture.trait.empty() ? "Height of fusion"
                                       : "Height of fusion (" + picture.trait + ")",
                 " stroke=\"none\" font-size=\"12\"");
    svg += "</g>\n";
}

static void put_labels(std::string& svg, const Layout& layout) {
    if (layout.leaf_font < 5) return; // rows too narrow for any text
    open_group(svg, "labels", {}, layout.leaf_font);
    for (std::size_t row = 0; row < layout.shape.order.size(); ++row) {
        const auto leaf = static_cast<std::size_t>(layout.shape.order[row]);
        put_text(svg, layout.labels_x, y_of(layout, double(row)) + baseline_drop(layout.leaf_font),
                 layout.labels[leaf]);
    }
    svg += "</g>\n";
}

// A bar beside each run of leaves of one group, and the group's number.
static void put_groups(std::string& svg, const Layout& layout) {
    const TreeShape& shape = layout.shape;
    open_group(svg, "groups", " font-weight=\"bold\"", layout.leaf_font);
    const double gap = std::min(2.0, layout.pitch / 8);
    for (std::size_t first = 0, last; first < shape.order.size(); first = last + 1) {
        const std::int32_t group = shape.leaf_group[static_cast<std::size_t>(shape.order[first])];
        last = first;
        while (last + 1 < shape.order.size() &&
               shape.leaf_group[static_cast<std::size_t>(shape.order[last + 1])] == group)
            ++last;
        if (group == 0) continue;
        const std::string colour(colour_of(group));
        put_rect(svg, layout.bar_x, y_of(layout, double(first)) - layout.pitch / 2 + gap, 6,
                 layout.pitch * double(last - first + 1) - 2 * gap, " fill=\"" + colour + "\"");
        if (layout.leaf_font >= 5)
            put_text(svg, layout.number_x,
                     y_of(layout, double(first + last) / 2) + baseline_drop(layout.leaf_font),
                     std::to_string(group), " fill=\"" + colour + "\"");
    }
    svg += "</g>\n";
}

static const char* kind_class(CellKind kind) {
    return kind == CellKind::observed ? "observed" : kind == CellKind::filled ? "filled" : "empty";
}

static std::string cell_colour(const Layout& layout, double value, CellKind kind) {
    if (kind == CellKind::empty) return "#FFFFFF";
    const std::string colour = diverging_colour(value, layout.centre, layout.reach);
    return kind == CellKind::filled ? lighter(colour) : colour;
}

// A cell the model filled: lighter, and struck through from corner to
// corner, so that it tells from an observed cell of a paler value.
static void put_fill_mark(std::string& marks, double x, double y, double width, double height) {
    put_command(marks, 'M', x, y + height);
    put_command(marks, 'l', width, -height);
}

// The heat map: a row a drawn leaf beside it, a column a row of the matrix,
// each cell a rect of its kind (observed, filled, empty).
static void put_heat_map(std::string& svg, const Layout& layout) {
    if (!layout.heat_shown) return;
    const HeatMap& heat = layout.heat;
    const std::size_t columns = heat.columns.size();
    std::string marks;
    svg += "<g id=\"heat-map\" stroke=\"none\">\n";
    for (std::size_t row = 0; row < layout.shape.order.size(); ++row) {
        const auto leaf = static_cast<std::size_t>(layout.shape.order[row]);
        const double y = y_of(layout, double(row)) - layout.pitch / 2;
        for (std::size_t c = 0; c < columns; ++c) {
            const double x = layout.heat_x + layout.column_width * double(c);
            const CellKind kind = heat.kinds[leaf * columns + c];
            const double value = heat.values[leaf * columns + c];
            put_rect(svg, x, y, layout.column_width, layout.pitch,
                     std::string(" class=\"") + kind_class(kind) + "\" fill=\"" +
                         cell_colour(layout, value, kind) + "\"");
            if (kind == CellKind::filled)
                put_fill_mark(marks, x, y, layout.column_width, layout.pitch);
        }
    }
    svg += "</g>\n";
    if (!marks.empty())
        svg += "<path id=\"filled-marks\" fill=\"none\" stroke=\"#555555\" stroke-width=\"0.6\" "
               "d=\"" +
               marks + "\"/>\n";
    if (!layout.column_labels) return;
    // Turned to read upwards, each ending just below the map.
    const double top = y_of(layout, double(layout.labels.size()) - 0.5) + 6;
    open_group(svg, "heat-columns", " text-anchor=\"end\"", layout.column_font);
    for (std::size_t c = 0; c < columns; ++c) {
        const double x = layout.heat_x + layout.column_width * (double(c) + 0.5) +
                         baseline_drop(layout.column_font);
        std::string turn = " transform=\"rotate(-90 ";
        append_number(turn, x);
        turn += ' ';
        append_number(turn, top);
        turn += ")\"";
        put_text(svg, x, top, heat.columns[c], turn);
    }
    svg += "</g>\n";
}

// The key: the scale from the lowest value to the highest, its mean, and
// the look of observed, filled and empty cells.
static void put_key(std::string& svg, const TreePicture& picture, const Layout& layout) {
    if (!layout.heat_shown) return;
    open_group(svg, "key", {}, 11);
    const double y = layout.key_y;
    put_text(svg, margin, y,
             picture.centred ? "Heat map (centred on 0):" : "Heat map (centred on the mean):");
    const double bar_y = y + 6;
    const double step = (layout.high - layout.low) / key_swatches;
    for (int k = 0; k < key_swatches; ++k)
        put_rect(svg, margin + key_swatch * k, bar_y, key_swatch, 10,
                 " fill=\"" +
                     diverging_colour(layout.low + step * (k + 0.5), layout.centre, layout.reach) +
                     "\"");
    auto value_text = [&](double value) {
        std::string text;
        append_number(text, value, layout.key_decimals);
        return text;
    };
    const double bar_end = margin + key_swatch * key_swatches;
    put_text(svg, margin, bar_y + 23, value_text(layout.low), " id=\"key-low\"");
    put_text(svg, bar_end, bar_y + 23, value_text(layout.high),
             " id=\"key-high\" text-anchor=\"end\"");
    if (layout.high > layout.low) {
        const double at =
            margin + (layout.centre - layout.low) / (layout.high - layout.low) * (bar_end - margin);
        put_text(svg, at, bar_y + 36,
                 picture.centred ? std::string("0") : "mean " + value_text(layout.centre),
                 " id=\"key-centre\" text-anchor=\"middle\"");
    }
    // The kinds of cell, drawn as in the map with a value halfway up.
    double x = key_kinds_x;
    const double sample = layout.centre + layout.reach / 2;
    std::string marks;
    for (const KeyKind& kind : key_kinds(layout)) {
        put_rect(svg, x, bar_y, 12, 12,
                 std::string(" class=\"") + kind_class(kind.kind) + "\" fill=\"" +
                     cell_colour(layout, sample, kind.kind) + "\" stroke=\"#999999\"");
        if (kind.kind == CellKind::filled) put_fill_mark(marks, x, bar_y, 12, 12);
        put_text(svg, x + 17, bar_y + 10, kind.words);
        x += key_kind_width(kind);
    }
    if (!marks.empty())
        svg +=
            "<path fill=\"none\" stroke=\"#555555\" stroke-width=\"0.6\" d=\"" + marks + "\"/>\n";
    svg += "</g>\n";
}

static void put_notes(std::string& svg, const Layout& layout) {
    if (layout.notes.empty()) return;
    open_group(svg, "notes", " fill=\"" + std::string(note_grey) + "\"");
    for (std::size_t i = 0; i < layout.notes.size(); ++i)
        put_text(svg, margin, layout.notes_y + note_pitch * double(i), layout.notes[i]);
    svg += "</g>\n";
}

std::string draw_tree(const TreePicture& picture) {
    const Layout layout = lay_out(picture);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
    put(svg, "width", layout.width);
    put(svg, "height", layout.height);
    svg += " viewBox=\"0 0 ";
    append_number(svg, layout.width);
    svg += ' ';
    append_number(svg, layout.height);
    svg += "\" font-family=\"sans-serif\">\n";
    put_rect(svg, 0, 0, layout.width, layout.height, " fill=\"#FFFFFF\"");
    put_title(svg, layout);
    if (!layout.labels.empty()) {
        put_wedges(svg, layout);
        put_branches(svg, layout);
        put_cut(svg, picture, layout);
        if (layout.axis_above)
            put_axis(svg, picture, layout, layout.tree_top - layout.pitch / 2 - 6, true);
        put_axis(svg, picture, layout, layout.axis_y, false);
        put_labels(svg, layout);
        put_groups(svg, layout);
        put_heat_map(svg, layout);
        put_key(svg, picture, layout);
    }
    put_notes(svg, layout);
    svg += "</svg>\n";
    return svg;
}
