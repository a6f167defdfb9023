// The picture of a clustering, read back from its SVG as a viewer meets it:
// the labels, the branches and their colours, the cut, the axis and the texts.
#include "svg_check.h"
#include "tree/tree_picture.h"
#include "tree/tree_shape.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <numeric>
#include <set>

namespace {

// Points on a line clustered by single linkage: neighbours fuse at their
// gap, the smallest first. The tree is cut into `groups`, numbered in the
// order of their first leaves.
TreePicture clustered(const std::vector<double>& points, int groups) {
    TreePicture picture;
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) picture.labels.push_back("G" + std::to_string(i + 1));
    std::vector<std::size_t> sorted(n), gaps(n > 0 ? n - 1 : 0), cluster(n);
    std::iota(sorted.begin(), sorted.end(), 0);
    std::sort(sorted.begin(), sorted.end(), [&](auto a, auto b) { return points[a] < points[b]; });
    std::iota(gaps.begin(), gaps.end(), 0);
    const auto gap = [&](std::size_t at) { return points[sorted[at + 1]] - points[sorted[at]]; };
    std::stable_sort(gaps.begin(), gaps.end(), [&](auto a, auto b) { return gap(a) < gap(b); });
    std::iota(cluster.begin(), cluster.end(), 0); // by leaf: the smallest leaf of its cluster
    std::map<std::size_t, std::int32_t> node;     // by smallest leaf: the cluster's number
    for (std::size_t i = 0; i < n; ++i) node[i] = -static_cast<std::int32_t>(i + 1);
    picture.group_of.assign(n, 0);
    for (std::size_t k = 0; k < gaps.size(); ++k) {
        if (k + static_cast<std::size_t>(groups) == n) {
            std::map<std::size_t, std::int32_t> numbers;
            for (std::size_t leaf = 0; leaf < n; ++leaf)
                picture.group_of[leaf] =
                    numbers.emplace(cluster[leaf], std::int32_t(numbers.size() + 1)).first->second;
        }
        const std::size_t a = cluster[sorted[gaps[k]]], b = cluster[sorted[gaps[k] + 1]];
        const std::size_t low = std::min(a, b), high = std::max(a, b);
        picture.fusions.push_back({node[low], node[high], gap(gaps[k])});
        for (std::size_t& c : cluster)
            if (c == high) c = low;
        node[low] = static_cast<std::int32_t>(k + 1);
    }
    picture.groups = groups;
    if (groups == 1) picture.group_of.assign(n, 1);
    const auto kept = n - static_cast<std::size_t>(groups); // fusions below the cut
    if (groups > 1 && n > static_cast<std::size_t>(groups))
        picture.cut_height = (picture.fusions[kept - 1].height + picture.fusions[kept].height) / 2;
    picture.data_file = "trial.csv";
    picture.trait = "yield";
    picture.leaves_are = "varieties";
    picture.rows_are = "year x location pairs";
    picture.rows = 12;
    return picture;
}

// `per_group` points around each of `groups` centres, the groups taking turns.
std::vector<double> points_around(int groups, int per_group) {
    std::vector<double> points;
    for (int i = 0; i < groups * per_group; ++i)
        points.push_back(10.0 * (i % groups) + 0.37 * ((i * 7919) % 11));
    return points;
}

TreePicture tree(std::vector<std::string> labels, std::vector<Fusion> fusions,
                 std::vector<std::int32_t> group_of) {
    TreePicture picture;
    picture.labels = std::move(labels);
    picture.fusions = std::move(fusions);
    picture.group_of = std::move(group_of);
    return picture;
}

XmlElement parsed(const std::string& svg) {
    std::string problem;
    std::optional<XmlElement> root = parse_xml(svg, problem);
    EXPECT_TRUE(root) << problem;
    return root.value_or(XmlElement{});
}

double number(const XmlElement& element, const char* attribute) {
    return std::stod(element.attribute(attribute).value_or("nan"));
}

// The children of the element with this id; none when there is no such element.
std::vector<XmlElement> part(const XmlElement& root, const char* id) {
    const XmlElement* found = element_with_id(root, id);
    return found ? found->children : std::vector<XmlElement>{};
}

std::vector<std::string> label_texts(const XmlElement& root) {
    std::vector<std::string> texts;
    for (const XmlElement& text : part(root, "labels")) texts.push_back(text.text);
    return texts;
}

struct Segment {
    double x1, y1, x2, y2;
    std::string colour;
};

// The branches' straight lines, from the paths' M, H and V commands.
std::vector<Segment> branches(const XmlElement& root) {
    std::vector<Segment> segments;
    for (const XmlElement& path : part(root, "branches")) {
        const std::string d = path.attribute("d").value_or("");
        const char* at = d.c_str();
        double x = 0, y = 0;
        while (*at) {
            const char command = *at++;
            char* end;
            const double value = std::strtod(at, &end);
            at = end;
            if (command == 'M') {
                x = value;
                y = std::strtod(at, &end);
                at = end;
            } else {
                const double x2 = command == 'H' ? value : x, y2 = command == 'V' ? value : y;
                segments.push_back({x, y, x2, y2, path.attribute("stroke").value_or("")});
                x = x2;
                y = y2;
            }
        }
    }
    return segments;
}

// The height at an x, read from the axis's first and last values.
double height_at(const XmlElement& root, double x) {
    std::vector<std::pair<double, double>> ticks; // x, value
    for (const XmlElement& text : part(root, "axis"))
        if (text.name == "text" && text.text.find_first_not_of("0123456789.") == std::string::npos)
            ticks.emplace_back(number(text, "x"), std::stod(text.text));
    if (ticks.size() < 2) return NAN;
    const auto [x0, v0] = ticks.front();
    const auto [x1, v1] = ticks.back();
    return v0 + (x - x0) * (v1 - v0) / (x1 - x0);
}

// The reader that every picture test trusts: it must refuse what a viewer
// would refuse, and read texts as a viewer shows them.
TEST(SvgCheck, ReadsXmlAndRefusesWhatIsNone) {
    const std::string read = "<?xml version=\"1.0\"?>\n<!-- a -->\n<a x='1 &amp; &#x41;&#66;' "
                             "y=\"\t\">t&lt;&gt;&quot;&apos;<b/><![CDATA[<&>]]><?pi?></a>\n";
    std::string problem;
    const std::optional<XmlElement> root = parse_xml(read, problem);
    ASSERT_TRUE(root) << problem;
    EXPECT_EQ(root->attribute("x"), "1 & AB");
    EXPECT_EQ(root->attribute("y"), " ");
    EXPECT_EQ(root->text, "t<>\"'<&>");
    ASSERT_EQ(root->children.size(), 1u);
    EXPECT_EQ(root->children[0].name, "b");

    const struct {
        const char* what;
        std::string text;
    } refused[] = {
        {"nothing", ""},
        {"an element not closed", "<a><b></b>"},
        {"an element closed by another", "<a></b>"},
        {"a value without quotes", "<a x=1/>"},
        {"an attribute twice", "<a x='1' x='2'/>"},
        {"attributes without a blank between", "<a x='1'y='2'/>"},
        {"'<' in a value", "<a x='<'/>"},
        {"an entity XML does not define", "<a>&nbsp;</a>"},
        {"a reference without its ';'", "<a>&amp</a>"},
        {"a reference to no character", "<a>&#0;</a>"},
        {"a control character", "<a>\x01</a>"},
        {"a byte that is no UTF-8", "<a>\xff</a>"},
        {"two roots", "<a/><b/>"},
        {"text after the root", "<a/>b"},
        {"']]>' in text", "<a>]]></a>"},
        {"'--' in a comment", "<a><!-- - -- --></a>"},
        {"a document type", "<!DOCTYPE a><a/>"},
    };
    for (const auto& row : refused) EXPECT_FALSE(parse_xml(row.text, problem)) << row.what;
}

TEST(TreePicture, LabelsFollowTheLeavesAndBranchesMeetAtTheFusions) {
    const struct {
        const char* what;
        std::vector<Fusion> fusions;
        std::vector<std::string> order;
    } rows[] = {
        {"two leaves", {{-1, -2, 1.5}}, {"a", "b"}},
        {"the first part a cluster", {{-3, -4, 1}, {-1, -2, 2}, {1, 2, 3}}, {"c", "d", "a", "b"}},
        {"a chain", {{-2, -4, 0.5}, {-3, 1, 0.5}, {-1, 2, 7}}, {"a", "c", "b", "d"}},
        {"all at height 0", {{-1, -2, 0}, {-3, -4, 0}, {1, 2, 0}}, {"a", "b", "c", "d"}},
        {"a leaf fused twice: no tree, the labels alone",
         {{-1, -1, 1}, {-3, -4, 2}, {1, 2, 3}},
         {"a", "b", "c", "d"}},
    };
    for (const auto& row : rows) {
        TreePicture picture;
        picture.fusions = row.fusions;
        for (std::size_t i = 0; i <= row.fusions.size(); ++i)
            picture.labels.push_back(std::string(1, char('a' + i)));
        const std::string svg = draw_tree(picture);
        EXPECT_EQ(check_svg(svg), "") << row.what;
        const XmlElement root = parsed(svg);
        EXPECT_EQ(label_texts(root), row.order) << row.what;

        // Leaves are rows a fixed pitch apart, each label beside its leaf.
        std::vector<double> label_y, heights;
        for (const XmlElement& text : part(root, "labels")) label_y.push_back(number(text, "y"));
        const std::vector<Segment> lines = branches(root);
        if (std::string(row.what).find("no tree") != std::string::npos) {
            EXPECT_TRUE(lines.empty()) << row.what;
            continue;
        }
        double leaves_x = 0, top = INFINITY;
        for (const Segment& line : lines) {
            leaves_x = std::max(leaves_x, line.x1);
            top = std::min(top, line.y1);
        }
        ASSERT_EQ(label_y.size(), row.order.size()) << row.what;
        EXPECT_LT(std::fabs(label_y[0] - top), 8) << row.what;
        for (std::size_t i = 0; i < label_y.size(); ++i) {
            EXPECT_NEAR(label_y[i] - label_y[0], (label_y[1] - label_y[0]) * double(i), 0.02)
                << row.what;
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const Segment& leaf) {
                return leaf.x1 == leaves_x && leaf.y1 == leaf.y2 &&
                       std::fabs(leaf.y1 - top - (label_y[i] - label_y[0])) < 0.02;
            })) << row.what;
        }
        for (const Segment& line : lines) {
            if (line.x1 != line.x2 || line.y1 == line.y2) continue;
            heights.push_back(height_at(root, line.x1));
            // A fusion's upright meets a line from each of its parts.
            for (double y : {line.y1, line.y2})
                EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const Segment& part) {
                    return part.y1 == y && part.y2 == y && part.x2 == line.x1;
                })) << row.what;
        }
        ASSERT_EQ(heights.size(), row.fusions.size()) << row.what;
        std::sort(heights.begin(), heights.end());
        for (std::size_t k = 0; k < heights.size(); ++k)
            EXPECT_NEAR(heights[k], row.fusions[k].height, 1e-3) << row.what;
    }
}

TEST(TreePicture, TheCutStandsAtItsHeightOnTheAxis) {
    const struct {
        const char* what;
        double scale;
        int groups;
    } rows[] = {
        {"heights of a few units", 1, 3},
        {"hundredths", 0.001, 2},
        {"thousands", 250, 4},
        {"one group: no cut", 1, 1},
    };
    for (const auto& row : rows) {
        std::vector<double> points = points_around(4, 5);
        for (double& point : points) point *= row.scale;
        const TreePicture picture = clustered(points, row.groups);
        const XmlElement root = parsed(draw_tree(picture));
        const XmlElement* cut = element_with_id(root, "cut");
        ASSERT_EQ(cut != nullptr, picture.cut_height.has_value()) << row.what;
        if (!cut) continue;
        EXPECT_EQ(number(*cut, "x1"), number(*cut, "x2")) << row.what;
        EXPECT_NEAR(height_at(root, number(*cut, "x1")), *picture.cut_height,
                    1e-4 * picture.fusions.back().height)
            << row.what;
    }
}

TEST(TreePicture, EachGroupHasItsOwnColourAndJoinsAreGrey) {
    const struct {
        const char* what;
        int groups, per_group;
        std::size_t colours; // of the branches
    } rows[] = {
        {"one group", 1, 6, 1},
        {"two groups", 2, 4, 3},
        {"four groups", 4, 5, 5},
        {"nine groups, more than the palette's seven colours", 9, 2, 8},
    };
    for (const auto& row : rows) {
        const TreePicture picture = clustered(points_around(row.groups, row.per_group), row.groups);
        const XmlElement root = parsed(draw_tree(picture));
        const std::vector<Segment> lines = branches(root);
        std::set<std::string> colours;
        for (const Segment& line : lines) colours.insert(line.colour);
        EXPECT_EQ(colours.size(), row.colours) << row.what;
        EXPECT_EQ(colours.count("#999999"), row.groups > 1 ? 1u : 0u) << row.what;

        // Beside each group's leaves a bar of its colour, and its number.
        double leaves_x = 0;
        for (const Segment& line : lines) leaves_x = std::max(leaves_x, line.x1);
        std::set<std::string> numbers;
        const std::vector<XmlElement> marks = part(root, "groups");
        for (std::size_t i = 0; i + 1 < marks.size(); i += 2) {
            ASSERT_EQ(marks[i].name, "rect") << row.what;
            const std::string colour = marks[i].attribute("fill").value_or("");
            EXPECT_EQ(marks[i + 1].attribute("fill"), colour) << row.what;
            numbers.insert(marks[i + 1].text);
            const double top = number(marks[i], "y"), bottom = top + number(marks[i], "height");
            for (const Segment& line : lines) {
                if (line.x1 == leaves_x && line.y1 > top && line.y1 < bottom) {
                    EXPECT_EQ(line.colour, colour) << row.what;
                }
            }
        }
        EXPECT_EQ(numbers.size(), std::size_t(row.groups)) << row.what;
    }
}

TEST(TreePicture, TextsReadBackAsGiven) {
    const std::vector<std::pair<std::string, std::string>> labels = {
        {"A&B <x> \"q\" it's", "A&B <x> \"q\" it's"},
        {"济麦22", "济麦22"},
        {"\xff"
         "bad\xC0\x80",
         "\uFFFD"
         "bad\uFFFD\uFFFD"},
        {"bell\x07 and form feed\x0c", "bell\uFFFD and form feed\uFFFD"},
        {"\xEF\xBF\xBF", "\uFFFD"},
    };
    TreePicture picture;
    std::vector<std::string> expected;
    for (const auto& [label, shown] : labels) {
        picture.labels.push_back(label);
        expected.push_back(shown);
        picture.group_of.push_back(1);
    }
    for (std::int32_t k = 1; k < std::int32_t(labels.size()); ++k)
        picture.fusions.push_back({k == 1 ? -1 : k - 1, -(k + 1), double(k)});
    picture.data_file = "trials <2025> & co.csv";
    picture.trait = "yield 'dry'";
    picture.left_out = {{"G<17>", "fewer than 2 values"}, {"\x01", "shares fewer than 2 rows"}};
    const std::string svg = draw_tree(picture);
    EXPECT_EQ(check_svg(svg), "");
    const XmlElement root = parsed(svg);
    EXPECT_EQ(label_texts(root), expected);
    EXPECT_EQ(part(root, "title").at(0).text, "trials <2025> & co.csv \u2014 yield 'dry'");
    const std::vector<XmlElement> left_out = part(root, "left-out");
    ASSERT_EQ(left_out.size(), 3u);
    EXPECT_EQ(left_out[1].text, "G<17>: fewer than 2 values");
    EXPECT_EQ(left_out[2].text, "\uFFFD: shares fewer than 2 rows");
    EXPECT_EQ(element_with_id(root, "left-out")->attribute("fill"), "#666666");
}

TEST(TreePicture, TitleSaysWhatWasClusteredAndHow) {
    const struct {
        const char* what;
        Linkage linkage;
        GroupRule rule;
        std::optional<double> cophenetic;
        std::vector<std::string> lines; // the second to the fourth
    } rows[] = {
        {"Ward's method, Mojena's rule",
         Linkage::ward,
         GroupRule::mojena,
         0.8712,
         {"20 varieties clustered on 12 year x location pairs; 2 left out (listed below)",
          "Ward's method (ward.D2) on Euclidean distances; 3 groups by Mojena's rule (k = 1.25), "
          "cut at height 6.7 (dashed line)",
          "Cophenetic correlation: 0.87"}},
        {"average linkage, a number of groups asked for",
         Linkage::average,
         GroupRule::fixed,
         0.8,
         {"",
          "average linkage (UPGMA) on Euclidean distances; 3 groups as asked (--groups 3), "
          "cut at height 6.7 (dashed line)",
          "Cophenetic correlation: 0.80"}},
        {"complete linkage, no correlation",
         Linkage::complete,
         GroupRule::mojena,
         std::nullopt,
         {"",
          "complete linkage on Euclidean distances; 3 groups by Mojena's rule (k = 1.25), "
          "cut at height 6.7 (dashed line)",
          "Cophenetic correlation: -"}},
        {"single linkage",
         Linkage::single,
         GroupRule::mojena,
         -0.004,
         {"", "", "Cophenetic correlation: 0.00"}},
    };
    for (const auto& row : rows) {
        TreePicture picture = clustered(points_around(4, 5), 3);
        picture.linkage = row.linkage;
        picture.group_rule = row.rule;
        picture.cophenetic = row.cophenetic;
        picture.left_out = {{"G30", "fewer than 2 values"}, {"G31", "fewer than 2 values"}};
        const std::vector<XmlElement> title = part(parsed(draw_tree(picture)), "title");
        ASSERT_EQ(title.size(), 4u) << row.what;
        for (std::size_t line = 1; line < 4; ++line) {
            if (!row.lines[line - 1].empty()) {
                EXPECT_EQ(title[line].text, row.lines[line - 1]) << row.what;
            }
        }
    }
}

TEST(TreePicture, OddTreesStillDrawAndTheirAxisReads) {
    const struct {
        const char* what;
        TreePicture picture;
    } rows[] = {
        {"no leaves", tree({}, {}, {})},
        {"one leaf", tree({"G1"}, {}, {1})},
        {"all fusions at 0", clustered(std::vector<double>(6, 2.5), 2)},
        {"groups beyond 1 to `groups`",
         tree({"a", "b", "c"}, {{-1, -2, 1}, {-3, 1, 2}}, {0, -4, 3})},
        {"500 leaves", clustered(points_around(5, 100), 5)},
    };
    for (const auto& row : rows) {
        const std::string svg = draw_tree(row.picture);
        EXPECT_EQ(check_svg(svg), "") << row.what;
        EXPECT_EQ(svg.find("nan"), std::string::npos) << row.what;
        const XmlElement root = parsed(svg);
        std::vector<double> values;
        for (const XmlElement& text : part(root, "axis"))
            if (text.name == "text" &&
                text.text.find_first_not_of("0123456789.") == std::string::npos)
                values.push_back(std::stod(text.text));
        if (row.picture.labels.empty()) {
            EXPECT_TRUE(values.empty()) << row.what;
            continue;
        }
        ASSERT_GE(values.size(), 3u) << row.what;
        EXPECT_EQ(values.front(), 0) << row.what;
        EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << row.what;
        for (const Fusion& fusion : row.picture.fusions) EXPECT_LE(fusion.height, values.back());
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

TEST(HeightAxis, StepsOf1Or2Or5TimesAPowerOfTen) {
    const struct {
        double highest, step;
        int exponent, intervals;
    } rows[] = {
        {0, 0.2, -1, 5},       {1, 0.2, -1, 5},    {0.6, 0.2, -1, 3},    {7.3, 2, 0, 4},
        {10, 2, 0, 5},         {10.01, 5, 0, 3},   {0.034, 0.01, -2, 4}, {1234, 500, 2, 3},
        {4.9e-7, 1e-7, -7, 5}, {2.5e9, 5e8, 8, 5}, {NAN, 0.2, -1, 5},
    };
    for (const auto& row : rows) {
        const HeightAxis axis = height_axis(row.highest);
        EXPECT_NEAR(axis.step, row.step, row.step * 1e-12) << row.highest;
        EXPECT_EQ(axis.exponent, row.exponent) << row.highest;
        EXPECT_EQ(axis.intervals, row.intervals) << row.highest;
    }
}

// A picture of 30 varieties in 4 groups, with some left out, rendered: it
// must differ from a blank page of its size. With CLUSTMAT_SAMPLE_PICTURES
// naming a folder, it is written there as tree-30.svg, to be looked at.
TEST(TreePicture, ASampleRendersAsMoreThanABlankPage) {
    std::vector<double> points = points_around(4, 8);
    points.resize(30);
    TreePicture picture = clustered(points, 4);
    picture.labels[3] = "济麦22";
    picture.labels[7] = "A long name & <more>";
    picture.left_out = {{"G31", "fewer than 2 values"},
                        {"山农28", "shares fewer than 2 rows with G17"},
                        {"G33", "no values"}};
    picture.cophenetic = 0.8712;
    const std::string svg = draw_tree(picture);
    if (const char* folder = std::getenv("CLUSTMAT_SAMPLE_PICTURES"))
        std::ofstream(std::string(folder) + "/tree-30.svg", std::ios::binary) << svg;
    EXPECT_EQ(check_svg(svg), "");
    if (!can_render()) GTEST_SKIP() << "rsvg-convert was not found";
    const XmlElement root = parsed(svg);
    const std::string size =
        "width=\"" + *root.attribute("width") + "\" height=\"" + *root.attribute("height") + "\"";
    const std::string blank = "<svg xmlns=\"http://www.w3.org/2000/svg\" " + size +
                              "><rect x=\"0\" y=\"0\" " + size + " fill=\"#FFFFFF\"/></svg>\n";
    std::string png, blank_png;
    ASSERT_EQ(render_png(svg, png), "");
    ASSERT_EQ(render_png(blank, blank_png), "");
    EXPECT_NE(png, blank_png);
}

} // namespace
