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

// Sizes in pixels. The tree grows one pitch a leaf, and the picture as wide
// as its longest text, so that 500 varieties stay as readable as 20.
static constexpr double margin = 20;
static constexpr double pitch = 16;
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
    TreeShape shape;
    HeightAxis axis;
    std::vector<std::string> title; // the first line in bold
    double leaves_x = 0;            // height 0, where the leaves end
    double labels_x = 0, bar_x = 0, number_x = 0;
    double title_y = 0;  // the first title line's baseline
    double tree_top = 0; // the middle of the first leaf's row
    double axis_y = 0;
    bool axis_above = false;
    double left_out_y = 0; // the baseline of the heading of the levels left out
    double width = 0, height = 0;
};

} // namespace

static std::string title_of_data(const TreePicture& picture) {
    const std::string cells = picture.cells_are.empty() ? "" : " (" + picture.cells_are + ")";
    if (picture.trait.empty() || picture.data_file.empty())
        return picture.data_file + picture.trait + cells;
    return picture.data_file + " \u2014 " + picture.trait + cells;
}

static std::string title_of_levels(const TreePicture& picture) {
    std::string line = std::to_string(picture.labels.size()) + " " + picture.leaves_are +
                       " clustered on " + std::to_string(picture.rows) + " " + picture.rows_are;
    if (picture.left_out.empty()) return line + "; none left out";
    return line + "; " + std::to_string(picture.left_out.size()) + " left out (listed below)";
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

// What the distances were computed on: the cells filled, the centring
// and the scaling.
static std::string title_of_values(const TreePicture& picture) {
    std::string line;
    if (!picture.additive && picture.empty_cells)
        line = "Empty cells not filled";
    else if (picture.filled == 0)
        line = "No cell filled";
    else
        line = std::to_string(picture.filled) + " of " + std::to_string(picture.cells) +
               " cells filled from the additive model";
    if (picture.scaled)
        return line + "; " + picture.leaves_are + " centred and scaled (clustered by correlation)";
    if (picture.centred) return line + "; " + picture.leaves_are + " centred on their means";
    return line + "; not centred or scaled";
}

static std::string title_of_fit(const TreePicture& picture) {
    return "Cophenetic correlation: " + cophenetic_text(picture.cophenetic);
}

static std::string left_out_line(const LeftOutLevel& level) {
    return level.label + ": " + level.reason;
}

static Layout lay_out(const TreePicture& picture) {
    Layout layout;
    const std::size_t leaves = picture.labels.size();
    layout.shape = tree_shape(picture.fusions, picture.group_of, leaves);
    double highest = 0;
    if (!layout.shape.fusion_row.empty())
        for (const Fusion& fusion : picture.fusions) highest = std::max(highest, fusion.height);
    layout.axis = height_axis(highest);
    layout.title = {title_of_data(picture), title_of_levels(picture),
                    title_of_method(picture, layout.axis), title_of_values(picture),
                    title_of_fit(picture)};

    layout.leaves_x = margin + axis_overhang + tree_width;
    layout.labels_x = layout.leaves_x + 8;
    double longest_label = 0;
    for (const std::string& label : picture.labels)
        longest_label = std::max(longest_label, estimated_width(label) * text_size);
    layout.bar_x = layout.labels_x + longest_label + 10;
    layout.number_x = layout.bar_x + 11;
    double right = layout.number_x +
                   estimated_width(std::to_string(picture.groups)) * text_size * bold_widening;
    for (std::size_t line = 0; line < layout.title.size(); ++line) {
        const double size = line == 0 ? title_size * bold_widening : text_size;
        right = std::max(right, margin + estimated_width(layout.title[line]) * size);
    }
    for (const LeftOutLevel& level : picture.left_out)
        right = std::max(right, margin + 12 + estimated_width(left_out_line(level)) * text_size);
    layout.width = std::ceil(right + margin);

    layout.title_y = margin + title_size;
    const double title_bottom = layout.title_y + title_pitch * double(layout.title.size() - 1);
    layout.axis_above = leaves > leaves_on_a_screen;
    layout.tree_top = title_bottom + 24 + (layout.axis_above ? 30 : 0) + pitch / 2;
    double bottom = title_bottom;
    if (leaves > 0) {
        layout.axis_y = layout.tree_top + pitch * double(leaves - 1) + pitch / 2 + 6;
        bottom = layout.axis_y + 36; // the axis's values, then its caption
    }
    layout.left_out_y = bottom + 28;
    if (!picture.left_out.empty())
        bottom = layout.left_out_y + pitch * double(picture.left_out.size());
    layout.height = std::ceil(bottom + margin);
    return layout;
}

static double x_of(const Layout& layout, double height) {
    const double x = layout.leaves_x - height / layout.axis.top() * tree_width;
    return std::clamp(x, layout.leaves_x - tree_width, layout.leaves_x);
}

static double y_of(const Layout& layout, double row) {
    return layout.tree_top + row * pitch;
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

// Opens a group of texts in the usual size; `attributes` start with a blank.
static void open_group(std::string& svg, std::string_view id, std::string_view attributes = {}) {
    svg += "<g id=\"";
    svg += id;
    svg += "\" font-size=\"";
    append_number(svg, text_size);
    svg += '"';
    svg += attributes;
    svg += ">\n";
}

// How far below the middle of a row a text's baseline goes for the text to
// look centred on the row: about half the height of a capital.
static constexpr double baseline_drop = 0.35 * text_size;

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

// Each branch in the colour of its group, a branch that joins groups in
// grey: a fusion's upright in the colour of the fusion, the line to each of
// its two parts in the colour of that part. One path a colour.
static void put_branches(std::string& svg, const TreePicture& picture, const Layout& layout) {
    const TreeShape& shape = layout.shape;
    std::array<std::string, palette.size() + 1> paths;
    for (std::size_t k = 0; k < shape.fusion_row.size(); ++k) {
        const double x = x_of(layout, picture.fusions[k].height);
        double part_y[2];
        for (int side = 0; side < 2; ++side) {
            const std::int32_t part =
                side == 0 ? picture.fusions[k].first : picture.fusions[k].second;
            const double part_x =
                part < 0 ? layout.leaves_x
                         : x_of(layout, picture.fusions[static_cast<std::size_t>(part - 1)].height);
            part_y[side] = y_of(layout, shape.row_of(part));
            std::string& path = paths[colour_index(shape.group_of(part))];
            put_command(path, 'M', part_x, part_y[side]);
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

static void put_cut(std::string& svg, const TreePicture& picture, const Layout& layout) {
    if (!picture.cut_height || layout.shape.fusion_row.empty()) return;
    const double x = x_of(layout, *picture.cut_height);
    svg += "<line id=\"cut\"";
    put(svg, "x1", x);
    put(svg, "y1", layout.tree_top - pitch / 2);
    put(svg, "x2", x);
    put(svg, "y2", y_of(layout, double(picture.labels.size() - 1)) + pitch / 2);
    svg += " stroke=\"#333333\" stroke-width=\"1\" stroke-dasharray=\"6 4\"/>\n";
}

// The axis at `y`, its ticks and values below it, or above it for the
// axis above the tree.
static void put_axis(std::string& svg, const Layout& layout, double y, bool above) {
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
        put_text(svg, layout.leaves_x - tree_width / 2, y + 33, "Height of fusion",
                 " stroke=\"none\" font-size=\"12\"");
    svg += "</g>\n";
}

static void put_labels(std::string& svg, const TreePicture& picture, const Layout& layout) {
    open_group(svg, "labels");
    for (std::size_t row = 0; row < layout.shape.order.size(); ++row) {
        const auto leaf = static_cast<std::size_t>(layout.shape.order[row]);
        put_text(svg, layout.labels_x, y_of(layout, double(row)) + baseline_drop,
                 picture.labels[leaf]);
    }
    svg += "</g>\n";
}

// A bar beside each run of leaves of one group, and the group's number.
static void put_groups(std::string& svg, const Layout& layout) {
    const TreeShape& shape = layout.shape;
    open_group(svg, "groups", " font-weight=\"bold\"");
    for (std::size_t first = 0, last; first < shape.order.size(); first = last + 1) {
        const std::int32_t group = shape.leaf_group[static_cast<std::size_t>(shape.order[first])];
        last = first;
        while (last + 1 < shape.order.size() &&
               shape.leaf_group[static_cast<std::size_t>(shape.order[last + 1])] == group)
            ++last;
        if (group == 0) continue;
        const std::string colour(colour_of(group));
        svg += "<rect";
        put(svg, "x", layout.bar_x);
        put(svg, "y", y_of(layout, double(first)) - pitch / 2 + 2);
        put(svg, "width", 6);
        put(svg, "height", pitch * double(last - first + 1) - 4);
        svg += " fill=\"" + colour + "\"/>\n";
        put_text(svg, layout.number_x, y_of(layout, double(first + last) / 2) + baseline_drop,
                 std::to_string(group), " fill=\"" + colour + "\"");
    }
    svg += "</g>\n";
}

static void put_left_out(std::string& svg, const TreePicture& picture, const Layout& layout) {
    if (picture.left_out.empty()) return;
    open_group(svg, "left-out", " fill=\"" + std::string(note_grey) + "\"");
    put_text(svg, margin, layout.left_out_y, "Left out:", " font-weight=\"bold\"");
    for (std::size_t i = 0; i < picture.left_out.size(); ++i)
        put_text(svg, margin + 12, layout.left_out_y + pitch * double(i + 1),
                 left_out_line(picture.left_out[i]));
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
    svg += "\" font-family=\"sans-serif\">\n<rect x=\"0\" y=\"0\"";
    put(svg, "width", layout.width);
    put(svg, "height", layout.height);
    svg += " fill=\"#FFFFFF\"/>\n";
    put_title(svg, layout);
    if (!picture.labels.empty()) {
        put_branches(svg, picture, layout);
        put_cut(svg, picture, layout);
        if (layout.axis_above) put_axis(svg, layout, layout.tree_top - pitch / 2 - 6, true);
        put_axis(svg, layout, layout.axis_y, false);
        put_labels(svg, picture, layout);
        put_groups(svg, layout);
    }
    put_left_out(svg, picture, layout);
    svg += "</svg>\n";
    return svg;
}
