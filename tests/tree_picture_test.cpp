// The picture of a clustering, read back from its SVG as a viewer meets it:
// the labels, the branches and their colours, the cut, the axis and the texts.
#include "svg_check.h"
#include "tree/agglomeration.h"
#include "tree/distances.h"
#include "tree/groups.h"
#include "tree/tree_picture.h"
#include "tree/tree_shape.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <numeric>

namespace {

// Points on a line clustered by single linkage and cut into `groups`.
TreePicture clustered(const std::vector<double>& points, int groups) {
    const std::size_t n = points.size();
    TreePicture picture;
    Distances d = allocate_distances(std::int64_t(n));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            d.values[pair_index(std::int64_t(n), std::int64_t(i), std::int64_t(j))] =
                std::abs(points[i] - points[j]);
    picture.fusions = agglomerate(std::move(d), Linkage::single);
    const Groups cut = cut_into_groups(picture.fusions, groups);
    picture.group_of = cut.of_leaf;
    picture.groups = groups;
    picture.cut_height = cut.cut_height;
    for (std::size_t i = 0; i < n; ++i)
        picture.labels.push_back(std::string("G") += std::to_string(i + 1));
    picture.data_file = "trial.csv";
    picture.trait = "yield";
    picture.leaves_are = "varieties";
    picture.rows_are = "year x location pairs";
    picture.rows = 12;
    return picture;
}

// `per_group` points near each of `groups` centres, the groups taking turns.
std::vector<double> points_around(int groups, int per_group, double scale = 1) {
    std::vector<double> points;
    for (int i = 0; i < groups * per_group; ++i)
        points.push_back(scale * (10.0 * (i % groups) + 0.37 * ((i * 7919) % 11)));
    return points;
}

// Whether every point an element names lies inside a picture this large.
bool inside(const XmlElement& element, double width, double height) {
    for (const auto& [name, value] : element.attributes)
        if (name.find_first_not_of("xy12") == std::string::npos &&
            !(std::stod(value) >= 0 && std::stod(value) <= (name[0] == 'x' ? width : height)))
            return false;
    return std::all_of(element.children.begin(), element.children.end(),
                       [&](const XmlElement& child) { return inside(child, width, height); });
}

// The picture parsed, after it was checked (and rendered where it can be).
XmlElement parsed(const std::string& svg) {
    EXPECT_EQ(check_svg(svg), "");
    std::string problem;
    XmlElement root = parse_xml(svg, problem).value_or(XmlElement{});
    const std::string width = *root.attribute("width"), height = *root.attribute("height");
    EXPECT_EQ(root.attribute("viewBox"), "0 0 " + width + " " + height);
    EXPECT_TRUE(inside(root, std::stod(width), std::stod(height)));
    return root;
}

double number(const XmlElement& element, const char* attribute) {
    return std::stod(element.attribute(attribute).value_or("nan"));
}

std::vector<XmlElement> part(const XmlElement& root, const char* id) {
    const XmlElement* found = element_with_id(root, id);
    return found ? found->children : std::vector<XmlElement>{};
}

std::vector<std::string> texts(const XmlElement& root, const char* id) {
    std::vector<std::string> found;
    for (const XmlElement& text : part(root, id)) found.push_back(text.text);
    return found;
}

// The axis's values, and their x.
std::vector<std::pair<double, double>> ticks(const XmlElement& root) {
    std::vector<std::pair<double, double>> found;
    for (const XmlElement& text : part(root, "axis"))
        if (text.name == "text" && text.text.find_first_not_of("0123456789.") == std::string::npos)
            found.emplace_back(number(text, "x"), std::stod(text.text));
    return found;
}

// The height at an x, by the axis's first and last values.
double height_at(const XmlElement& root, double x) {
    const auto found = ticks(root);
    const auto [x0, v0] = found.at(0);
    const auto [x1, v1] = found.back();
    return v0 + (x - x0) * (v1 - v0) / (x1 - x0);
}

// The reader that every picture test trusts refuses what a viewer refuses.
TEST(SvgCheck, RefusesWhatIsNoXml) {
    std::string problem;
    EXPECT_TRUE(parse_xml(
        "<?xml version=\"1.0\"?>\n<!-- - -->\n<a x='&#x41;'>&#66;<b/><?pi?></a>\n", problem))
        << problem;
    for (const std::string refused :
         {"", "<a><b></b>", "<a></b>", "<a x=1/>", "<a x='1' x='2'/>", "<a x='1'y='2'/>",
          "<a x='<'/>", "<a>&nbsp;</a>", "<a>&amp</a>", "<a>&#0;</a>", "<a>\x01</a>", "<a>\xff</a>",
          "<a/><b/>", "<a/>b", "<a>]]></a>", "<a><!-- - -- --></a>", "<!DOCTYPE a><a/>"})
        EXPECT_FALSE(parse_xml(refused, problem)) << refused;
}

// One label a leaf, a fixed pitch apart, in leaf order; each fusion's upright
// at its height on the axis.
TEST(TreePicture, LabelsFollowTheLeavesAndFusionsStandAtTheirHeights) {
    const struct {
        std::vector<Fusion> fusions;
        std::string order;
        bool tree;
    } rows[] = {
        {{{-1, -2, 1.5}}, "ab", true},
        {{{-3, -4, 1}, {-1, -2, 2}, {1, 2, 3}}, "cdab", true},
        {{{-2, -4, 0.5}, {-3, 1, 0.5}, {-1, 2, 7}}, "acbd", true},
        {{{-1, -2, 0}, {-3, -4, 0}, {1, 2, 0}}, "abcd", true},
        {{{-1, -1, 1}, {-3, -4, 2}, {1, 2, 3}}, "abcd", false}, // a leaf fused twice
    };
    for (const auto& row : rows) {
        TreePicture picture;
        picture.fusions = row.fusions;
        for (std::size_t i = 0; i <= row.fusions.size(); ++i)
            picture.labels.push_back({char('a' + i)});
        const XmlElement root = parsed(draw_tree(picture));
        std::string order;
        for (const XmlElement& label : part(root, "labels")) {
            EXPECT_NEAR(number(label, "y") - number(part(root, "labels")[0], "y"),
                        16.0 * order.size(), 0.01);
            order += label.text;
        }
        EXPECT_EQ(order, row.order);
        EXPECT_GT(number(part(root, "labels")[0], "y"),
                  number(part(root, "title").back(), "y") + 16);
        std::vector<double> heights; // of every upright, "M x y V y"
        for (const XmlElement& path : part(root, "branches")) {
            const std::string d = *path.attribute("d");
            for (std::size_t v = d.find('V'); v != std::string::npos; v = d.find('V', v + 1))
                heights.push_back(height_at(root, std::stod(d.substr(d.rfind('M', v) + 1))));
        }
        std::sort(heights.begin(), heights.end());
        ASSERT_EQ(heights.size(), row.tree ? row.fusions.size() : 0);
        for (std::size_t k = 0; k < heights.size(); ++k)
            EXPECT_NEAR(heights[k], row.fusions[k].height, 1e-3);
    }
}

TEST(TreePicture, GroupsHaveTheirColoursAndTheCutItsHeight) {
    const struct {
        int groups, per_group;
        double scale;
        std::size_t colours; // of the branches
    } rows[] = {
        {1, 6, 1, 1}, {2, 4, 0.001, 3}, {4, 5, 250, 5}, {9, 2, 1, 8} /* 7 in the palette */};
    for (const auto& row : rows) {
        const TreePicture picture =
            clustered(points_around(row.groups, row.per_group, row.scale), row.groups);
        const XmlElement root = parsed(draw_tree(picture));
        const std::vector<XmlElement> paths = part(root, "branches"); // one a colour
        EXPECT_EQ(paths.size(), row.colours) << row.groups;
        EXPECT_EQ(paths.back().attribute("stroke") == "#999999", row.groups > 1) << row.groups;
        // A bar and a number for each group, group 1 in the palette's first
        // colour; the bars, which never touch, beside every label.
        std::vector<int> numbers, expected(std::size_t(row.groups));
        std::vector<std::pair<double, double>> bars;
        for (const XmlElement& mark : part(root, "groups")) {
            if (mark.name == "text") numbers.push_back(std::stoi(mark.text));
            EXPECT_TRUE(mark.text != "1" || mark.attribute("fill") == "#0072B2");
            if (mark.name != "rect") continue;
            EXPECT_GT(number(mark, "y"), bars.empty() ? 0 : bars.back().second);
            bars.emplace_back(number(mark, "y"), number(mark, "y") + number(mark, "height"));
        }
        std::sort(numbers.begin(), numbers.end());
        std::iota(expected.begin(), expected.end(), 1);
        EXPECT_EQ(numbers, expected);
        const std::vector<XmlElement> labels = part(root, "labels");
        for (const XmlElement& label : labels) {
            const double y = number(label, "y") - 4; // about the middle of its row
            EXPECT_TRUE(std::any_of(bars.begin(), bars.end(),
                                    [&](auto bar) { return bar.first < y && y < bar.second; }));
        }
        // The cut across every row, at its height on the axis and in the title.
        const XmlElement* cut = element_with_id(root, "cut");
        ASSERT_EQ(cut != nullptr, row.groups > 1) << row.groups;
        if (!cut) continue;
        EXPECT_LT(number(*cut, "y1"), number(labels.front(), "y") - 12);
        EXPECT_GT(number(*cut, "y2"), number(labels.back(), "y"));
        const double step = ticks(root).at(1).second;
        EXPECT_NEAR(height_at(root, number(*cut, "x1")), *picture.cut_height, step / 1000);
        // Halfway between the highest fusion inside a group and the lowest
        // joining two, found here from the leaves' groups alone.
        std::vector<std::int32_t> group_of_fusion;
        double inside = 0, between = INFINITY;
        for (const Fusion& f : picture.fusions) {
            auto group = [&](std::int32_t part) {
                return part < 0 ? picture.group_of[std::size_t(-part - 1)]
                                : group_of_fusion[std::size_t(part - 1)];
            };
            const bool one = group(f.first) == group(f.second) && group(f.first) > 0;
            group_of_fusion.push_back(one ? group(f.first) : 0);
            (one ? inside : between) =
                one ? std::max(inside, f.height) : std::min(between, f.height);
        }
        EXPECT_DOUBLE_EQ(*picture.cut_height, (inside + between) / 2);
        const std::string title = texts(root, "title").at(2);
        EXPECT_NEAR(std::stod(title.substr(title.find("cut at height ") + 14)), *picture.cut_height,
                    step / 20);
    }
}

TEST(TreePicture, TextsReadBackAsGiven) {
    TreePicture picture = clustered(points_around(1, 5), 1);
    picture.labels = {"A&B <x> \"q\" it's", "济麦二十二号济麦二十二号",
                      "\xff"
                      "bad\xC0\x80",
                      "bell\x07 form feed\x0c", "\xEF\xBF\xBF"};
    picture.data_file = "trials <2025> & co.csv";
    picture.trait = "yield 'dry'";
    picture.left_out = 2;
    picture.groups_file = "t <1>.groups.tsv";
    picture.cells_are = "block means";
    picture.linkage = Linkage::average;
    picture.cophenetic = -0.004;
    picture.mojena = 2.75;
    picture.cells = 60;
    picture.filled = 7;
    picture.centred = picture.scaled = true;
    const XmlElement root = parsed(draw_tree(picture));
    std::vector<std::string> labels = texts(root, "labels");
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, (std::vector<std::string>{"A&B <x> \"q\" it's", "bell\uFFFD form feed\uFFFD",
                                                "济麦二十二号济麦二十二号", "\uFFFD",
                                                "\uFFFD"
                                                "bad\uFFFD\uFFFD"}));
    EXPECT_EQ(
        texts(root, "title"),
        (std::vector<std::string>{
            "trials <2025> & co.csv \u2014 yield 'dry'",
            "5 varieties clustered on 12 year x location pairs; 2 left out (listed in t "
            "<1>.groups.tsv)",
            "average linkage (UPGMA) on Euclidean distances; 1 group by Mojena's rule (k = 2.75)",
            "Block means; 7 of 60 cells filled from the additive model; varieties centred and "
            "scaled "
            "(clustered by correlation)",
            "Cophenetic correlation: 0.00"}));
    // Without a fill, distances over shared rows are not called Euclidean.
    picture.additive = picture.scaled = false;
    picture.empty_cells = true;
    picture.cells_are.clear();
    const std::vector<std::string> title = texts(parsed(draw_tree(picture)), "title");
    EXPECT_EQ(title.at(2).substr(0, 72),
              "average linkage (UPGMA) on distances over shared rows (not Euclidean); 1");
    EXPECT_EQ(title.at(3), "Empty cells not filled; varieties centred on their means");
    // Wide characters are an em each, in any font: the bar stands clear of them.
    EXPECT_GE(number(part(root, "groups").at(0), "x") - number(part(root, "labels")[0], "x"),
              12 * 12);
    EXPECT_EQ(texts(root, "axis").back(), "Height of fusion (yield 'dry')");
}

TEST(TreePicture, OddTreesStillDrawAndTheirAxisReads) {
    TreePicture none, one, stray_groups;
    none.left_out = 1;
    one.labels = {"G1"};
    stray_groups.labels = {"a", "b", "c"};
    stray_groups.fusions = {{-1, -2, 0.5}, {-3, 1, 1}};
    stray_groups.group_of = {0, -4, 3};
    EXPECT_EQ(texts(parsed(draw_tree(none)), "title").back(), "Cophenetic correlation: -");
    for (const TreePicture& picture :
         {none, one, stray_groups, clustered(std::vector<double>(6, 2.5), 2) /* all at 0 */}) {
        const XmlElement root = parsed(draw_tree(picture));
        const auto values = ticks(root);
        ASSERT_EQ(values.size(), picture.labels.empty() ? 0u : 6u);
        const std::string marks = values.empty() ? "" : *part(root, "axis")[0].attribute("d");
        EXPECT_EQ(std::count(marks.begin(), marks.end(), 'v'), std::ptrdiff_t(values.size()));
        for (std::size_t i = 0; i < values.size(); ++i)
            EXPECT_NEAR(values[i].second, 0.2 * double(i), 1e-9);
    }
    // The picture grows a line a leaf, and 500 leaves stay as readable as
    // 100, with the heights above the tree as well as below.
    const auto picture = [](int per_group) {
        return parsed(draw_tree(clustered(points_around(5, per_group), 5)));
    };
    const XmlElement large = picture(100), small = picture(20), smaller = picture(4);
    EXPECT_EQ(number(large, "height") - number(small, "height"), 16 * 400);
    EXPECT_EQ(part(large, "axis-above").size(), part(large, "axis").size() - 1);
    EXPECT_EQ(element_with_id(smaller, "axis-above"), nullptr);
}

// A heat map for `picture`: leaf i has i + 0.5 in every column but for its
// column i % columns, which the model filled, and, without a fill, its
// column (i + 1) % columns empty; so that each row tells whose it is.
void add_heat_map(TreePicture& picture, std::size_t columns, bool empty_cells) {
    const std::size_t leaves = picture.labels.size();
    for (std::size_t c = 0; c < columns; ++c) {
        std::string label = "Y";
        label += std::to_string(c / 3 + 1);
        label += "+L";
        label += std::to_string(c % 3 + 1);
        picture.heat.columns.push_back(label);
    }
    for (std::size_t leaf = 0; leaf < leaves; ++leaf)
        for (std::size_t c = 0; c < columns; ++c) {
            const bool filled = c == leaf % columns;
            const bool empty = empty_cells && !filled && c == (leaf + 1) % columns;
            picture.heat.values.push_back(empty ? NAN : double(leaf) + 0.5);
            picture.heat.kinds.push_back(empty    ? CellKind::empty
                                         : filled ? CellKind::filled
                                                  : CellKind::observed);
        }
}

// The leaf (from 0) a label "G12" names.
std::size_t leaf_of(const std::string& label) {
    return std::stoul(label.substr(1)) - 1;
}

// Every row of the heat map beside its leaf and holding that leaf's cells,
// the columns labelled while they are 8 px wide, the key from the lowest
// value to the highest, filled cells marked; past 2 px a column, no map.
TEST(TreePicture, TheHeatMapShowsEachLeafsValuesBesideIt) {
    const struct {
        int groups, per_group;
        std::size_t columns;
        bool empty_cells, labelled, shown;
    } rows[] = {{2, 3, 6, false, true, true},
                {3, 5, 150, true, true, true},
                {4, 4, 400, false, false, true},
                {1, 3, 1000, true, false, true},
                {2, 2, 20000, false, false, false}};
    for (const auto& row : rows) {
        TreePicture picture = clustered(points_around(row.groups, row.per_group), row.groups);
        add_heat_map(picture, row.columns, row.empty_cells);
        const XmlElement root = parsed(draw_tree(picture));
        const std::vector<XmlElement> labels = part(root, "labels"), cells = part(root, "heat-map");
        ASSERT_EQ(cells.size(), row.shown ? labels.size() * row.columns : 0) << row.columns;
        EXPECT_EQ(element_with_id(root, "key") != nullptr, row.shown);
        if (!row.shown) {
            EXPECT_EQ(texts(root, "notes").at(0),
                      "No heat map: its 20000 columns would not fit at 2 px each");
            continue;
        }
        std::size_t filled = 0;
        for (std::size_t r = 0; r < labels.size(); ++r) {
            const std::size_t leaf = leaf_of(labels[r].text);
            const double middle = number(labels[r], "y") - 4;
            for (std::size_t c = 0; c < row.columns; ++c) {
                const XmlElement& cell = cells[r * row.columns + c];
                const std::string kind = *cell.attribute("class");
                EXPECT_EQ(kind == "filled", c == leaf % row.columns);
                EXPECT_EQ(kind == "empty", row.empty_cells && c != leaf % row.columns &&
                                               c == (leaf + 1) % row.columns);
                EXPECT_TRUE(kind != "empty" || cell.attribute("fill") == "#FFFFFF");
                EXPECT_LT(number(cell, "y"), middle);
                EXPECT_GT(number(cell, "y") + number(cell, "height"), middle);
                EXPECT_GE(number(cell, "width"), 2);
                filled += kind == "filled";
            }
        }
        const XmlElement* marks = element_with_id(root, "filled-marks");
        ASSERT_NE(marks, nullptr);
        const std::string d = *marks->attribute("d");
        EXPECT_EQ(std::size_t(std::count(d.begin(), d.end(), 'M')), filled);
        EXPECT_EQ(part(root, "heat-columns").size(), row.labelled ? row.columns : 0);
        EXPECT_EQ(number(cells[1], "x") - number(cells[0], "x") >= 8, row.labelled);
        std::string low, high;
        for (const XmlElement& text : part(root, "key")) {
            if (text.attribute("id") == "key-low") low = text.text;
            if (text.attribute("id") == "key-high") high = text.text;
        }
        EXPECT_EQ(low, "0.5");
        EXPECT_EQ(std::stod(high), double(labels.size()) - 0.5);
    }
}

// Groups read 1, 2, 3 down the page, and no two groups side by side share a
// colour; a tree too tall for 8 px a leaf within a renderer's limit is drawn
// a wedge a group, its heat map a row a group; the picture never passes it.
TEST(TreePicture, AnySizeFitsARenderer) {
    const struct {
        int groups, per_group;
        bool collapsed;
    } rows[] = {{9, 3, false}, {12, 150 /* 1800 leaves, under 16 px */, false}, {10, 500, true}};
    for (const auto& row : rows) {
        TreePicture picture = clustered(points_around(row.groups, row.per_group), row.groups);
        add_heat_map(picture, 12, false);
        const std::string svg = draw_tree(picture);
        const XmlElement root = parsed(svg);
        EXPECT_LE(number(root, "width"), 32767);
        EXPECT_LE(number(root, "height"), 32767);
        std::vector<int> numbers;
        std::vector<std::string> colours;
        for (const XmlElement& mark : part(root, "groups")) {
            if (mark.name == "text") numbers.push_back(std::stoi(mark.text));
            if (mark.name == "rect") colours.push_back(*mark.attribute("fill"));
        }
        std::vector<int> down(std::size_t(row.groups));
        std::iota(down.begin(), down.end(), 1);
        EXPECT_EQ(numbers, down);
        for (std::size_t k = 1; k < colours.size(); ++k) EXPECT_NE(colours[k], colours[k - 1]);
        const std::vector<XmlElement> labels = part(root, "labels");
        EXPECT_EQ(part(root, "wedges").size(), row.collapsed ? std::size_t(row.groups) : 0);
        EXPECT_EQ(labels.size(), row.collapsed ? std::size_t(row.groups) : picture.labels.size());
        EXPECT_EQ(part(root, "heat-map").size(), labels.size() * 12);
        if (row.collapsed) {
            EXPECT_EQ(labels.at(0).text, std::to_string(row.per_group) + " varieties");
            EXPECT_NE(texts(root, "notes").at(0).find("a wedge a group"), std::string::npos);
        } else {
            EXPECT_GE(number(labels.at(1), "y") - number(labels.at(0), "y"), 8);
        }
        if (row.groups == 10 && can_render()) {
            std::string png;
            EXPECT_EQ(render_png(svg, png), "");
        }
        if (const char* folder = std::getenv("CLUSTMAT_SAMPLE_PICTURES"))
            std::ofstream(std::string(folder) + "/tree-" += std::to_string(picture.labels.size()) +=
                          ".svg",
                          std::ios::binary)
                << svg;
    }
}

TEST(HeightAxis, StepsOf1Or2Or5TimesAPowerOfTen) {
    const struct {
        double highest, step;
        int exponent, intervals;
    } rows[] = {{0.6, 0.2, -1, 3},    {7.3, 2, 0, 4},    {10, 2, 0, 5},         {10.01, 5, 0, 3},
                {0.034, 0.01, -2, 4}, {1234, 500, 2, 3}, {4.9e-7, 1e-7, -7, 5}, {NAN, 0.2, -1, 5}};
    for (const auto& row : rows) {
        const HeightAxis axis = height_axis(row.highest);
        EXPECT_NEAR(axis.step, row.step, row.step * 1e-12) << row.highest;
        EXPECT_EQ(axis.exponent, row.exponent) << row.highest;
        EXPECT_EQ(axis.intervals, row.intervals) << row.highest;
    }
}

// 30 varieties in 4 groups beside their heat map, some left out: rendered,
// more than a blank page of its size. With CLUSTMAT_SAMPLE_PICTURES naming a
// folder, the picture is written there as tree-30.svg, to be looked at.
TEST(TreePicture, ASampleRendersAsMoreThanABlankPage) {
    std::vector<double> points = points_around(4, 8);
    points.resize(30);
    TreePicture picture = clustered(points, 4);
    picture.labels[3] = "济麦22";
    picture.labels[7] = "A long name & <more>";
    picture.left_out = 3;
    picture.groups_file = "trial.yield.groups.tsv";
    picture.cophenetic = 0.8712;
    add_heat_map(picture, 12, true);
    const std::string svg = draw_tree(picture);
    if (const char* folder = std::getenv("CLUSTMAT_SAMPLE_PICTURES"))
        std::ofstream(std::string(folder) + "/tree-30.svg", std::ios::binary) << svg;
    const XmlElement root = parsed(svg);
    if (!can_render()) GTEST_SKIP() << "rsvg-convert was not found";
    const std::string size =
        "width=\"" + *root.attribute("width") + "\" height=\"" + *root.attribute("height") + "\"";
    std::string png, blank;
    ASSERT_EQ(render_png(svg, png), "");
    ASSERT_EQ(render_png("<svg xmlns=\"http://www.w3.org/2000/svg\" " + size + "><rect " + size +
                             " fill=\"#FFFFFF\"/></svg>",
                         blank),
              "");
    EXPECT_NE(png, blank);
}

} // namespace
