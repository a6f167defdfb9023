// Whole runs with --tree: the files beside each matrix, the lines that say
// what each tree grew into, the levels left out, and the set's whole or
// nothing.
#include "base/random.h"
#include "gbk.h"
#include "run_program.h"
#include "svg_check.h"
#include "table_reference.h"
#include "tree/group_table.h"
#include "tree/groups.h"
#include "tree/participation.h"
#include "tree_reference.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

const std::string example = data_header + "1 1 1 1 6.05\n2 1 1 1 6.5\n3 1 1 1 5.7\n4 1 1 1 6.4\n"
                                          "1 1 2 1 5.2\n2 1 2 1 5.8\n3 1 2 1 5.2\n4 1 2 1 6.1\n"
                                          "1 2 1 1 6.6\n2 2 1 1 6.8\n3 2 1 1 6.0\n4 2 1 1 7.2\n";

// The leaves of a Newick text in the order it writes them.
std::vector<std::string> newick_leaves(const std::string& text) {
    std::vector<std::string> leaves;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '(' && text[at] != ',') continue;
        if (at + 1 < text.size() && text[at + 1] == '(') continue;
        std::string label;
        std::size_t end = at + 1;
        if (end < text.size() && text[end] == '\'') {
            for (++end; end < text.size(); ++end) {
                if (text[end] == '\'' && (end + 1 >= text.size() || text[++end] != '\'')) break;
                label += text[end];
            }
        } else {
            for (; end < text.size() && text[end] != ':'; ++end) label += text[end];
        }
        leaves.push_back(label);
    }
    return leaves;
}

// A group table's group and filled cells, by label.
std::map<std::string, std::pair<std::string, std::string>> table_rows(const std::string& table) {
    std::map<std::string, std::pair<std::string, std::string>> rows;
    std::size_t start = table.find('\n') + 1;
    for (std::size_t end; (end = table.find('\n', start)) != std::string::npos; start = end + 1) {
        std::vector<std::string> fields;
        std::size_t from = start;
        for (std::size_t tab; (tab = table.find('\t', from)) < end; from = tab + 1)
            fields.push_back(table.substr(from, tab - from));
        if (fields.size() >= 5) rows[fields[0]] = {fields[2], fields[4]};
    }
    return rows;
}

// Every picture a run left is parsed and rendered as a viewer would, and
// read against the run's group table and Newick file: the leaves in the
// Newick's order, the groups numbered down the page, no two groups side by
// side in one colour, a heat-map row a leaf with the cells the table says
// were filled, and the size a renderer takes.
void expect_pictures_sound(const RunResult& run) {
    for (const auto& [name, bytes] : run.raw_files) {
        if (!name.ends_with(".svg")) continue;
        EXPECT_EQ(check_svg(bytes), "") << name;
        std::string problem;
        const std::optional<XmlElement> root = parse_xml(bytes, problem);
        if (!root) continue;
        EXPECT_LE(std::stod(root->attribute("width").value_or("1e9")), 32767) << name;
        EXPECT_LE(std::stod(root->attribute("height").value_or("1e9")), 32767) << name;
        const std::string stem = name.substr(0, name.size() - 9); // less ".tree.svg"
        const auto table = table_rows(run.files.at(stem + ".groups.tsv"));
        const std::vector<std::string> order = newick_leaves(run.files.at(stem + ".tree.nwk"));
        const XmlElement* labels = element_with_id(*root, "labels");
        ASSERT_NE(labels, nullptr) << name;
        ASSERT_EQ(labels->children.size(), order.size()) << name;
        const XmlElement* heat = element_with_id(*root, "heat-map");
        const std::size_t columns =
            heat ? heat->children.size() / std::max<std::size_t>(order.size(), 1) : 0;
        if (heat) {
            EXPECT_EQ(heat->children.size(), columns * order.size()) << name;
        }
        std::vector<std::string> groups_down;
        for (std::size_t row = 0; row < order.size(); ++row) {
            const std::string& label = labels->children[row].text;
            const bool ascii =
                std::all_of(order[row].begin(), order[row].end(), [](char c) { return c > 0; });
            if (ascii) {
                EXPECT_EQ(label, order[row]) << name;
            }
            const auto found = table.find(label);
            if (found == table.end()) continue;
            if (groups_down.empty() || groups_down.back() != found->second.first)
                groups_down.push_back(found->second.first);
            if (!heat) continue;
            std::size_t filled = 0;
            for (std::size_t c = 0; c < columns; ++c)
                filled += heat->children[row * columns + c].attribute("class") == "filled";
            EXPECT_EQ(std::to_string(filled), found->second.second) << name << " " << label;
        }
        for (std::size_t k = 0; k < groups_down.size(); ++k)
            EXPECT_EQ(groups_down[k], std::to_string(k + 1)) << name;
        // The columns are the matrix's rows, in its order (a fill drops the
        // rows where no level clustered has a value).
        const auto matrix = run.files.find(stem + ".DIS");
        const XmlElement* columns_named = element_with_id(*root, "heat-columns");
        if (matrix != run.files.end() && columns_named) {
            std::size_t at = matrix->second.find('\n');
            for (const XmlElement& column : columns_named->children) {
                at = matrix->second.find("\n" + column.text + "\t", at);
                EXPECT_NE(at, std::string::npos) << name << " " << column.text;
                if (at == std::string::npos) break;
                ++at;
            }
            EXPECT_EQ(columns_named->children.size(), columns) << name;
        }
        std::string colour;
        for (const XmlElement& mark : element_with_id(*root, "groups")->children) {
            if (mark.name != "rect") continue;
            EXPECT_NE(*mark.attribute("fill"), colour) << name;
            colour = *mark.attribute("fill");
        }
    }
}

// The example: four varieties over three year and location pairs. Wards's
// tree joins 1 and 3 first; by Mojena's rule the four make one group.
TEST(TreeRun, WritesTheGroupsTheTreeAndItsPictureBesideTheMatrix) {
    const std::string groups_one = "label\tlevel\tgroup\tvalues\tfilled\tnote\nG1\t1\t1\t3\t0\t\n"
                                   "G2\t2\t1\t3\t0\t\nG3\t3\t1\t3\t0\t\nG4\t4\t1\t3\t0\t\n";
    const std::string groups_two = "label\tlevel\tgroup\tvalues\tfilled\tnote\nG1\t1\t1\t3\t0\t\n"
                                   "G2\t2\t2\t3\t0\t\nG3\t3\t1\t3\t0\t\nG4\t4\t2\t3\t0\t\n";
    auto run = [](std::vector<std::string> args) {
        args.push_back("d.dat");
        return RunSetup{.args = std::move(args), .files = {{"d.dat", example}}};
    };
    const std::vector<RunCase> cases = {
        {"d",
         run({"--tree", "--layout", "1"}),
         {0,
          "\n Matrix file d.DIS written: 4 rows, 4 columns.\n\nTree d: 4 varieties in 1 group "
          "(Mojena, k = 1.25); no cell filled; cophenetic correlation 0.",
          {{"d.groups.tsv", groups_one}}}},
        {"d",
         run({"--tree", "--groups", "2", "--method", "average", "--layout", "1"}),
         {0,
          "\nTree d: 4 varieties in 2 groups (--groups 2); no cell filled;",
          {{"d.groups.tsv", groups_two}}}},
        {"out.txt",
         run({"--tree", "--groups", "9", "--layout", "1", "--output", "out.txt"}),
         {0,
          "--groups 9 is more than the 4 varieties clustered in out.txt: each is a group of its "
          "own.\nTree out.txt: 4 varieties in 4 groups (--groups 9)",
          {{"out.txt.groups.tsv",
            "label\tlevel\tgroup\tvalues\tfilled\tnote\nG1\t1\t1\t3\t0\t\nG2\t2\t3\t3\t0\t\n"
            "G3\t3\t2\t3\t0\t\nG4\t4\t4\t3\t0\t\n"}}}},
        {"d",
         run({"c", "--tree", "--mojena", "3", "--layout", "1"}),
         {0, gbk("聚类树 ") + "d" +
                 gbk(": 4 个品种分为 1 组 (Mojena 法则, k = 3); 没有填补单元格; "
                     "共表型相关系数 0.")}},
    };
    for (const auto& [stem, setup, expected] : cases) {
        const RunResult result = expect_run({stem + " " + setup.args[1], setup, expected});
        const std::string picture = stem + ".tree.svg";
        for (const std::string& file : {stem + ".groups.tsv", stem + ".tree.nwk", picture})
            EXPECT_EQ(result.files.count(file), 1u) << file;
        expect_pictures_sound(result);
        // A classic file's trait named as its header names it.
        EXPECT_NE(result.files.at(picture).find("Height of fusion (Trait)"), std::string::npos);
        // The picture quotes --groups as it was given, as the console does.
        if (stem == "out.txt") {
            EXPECT_NE(result.files.at(picture).find(
                          "4 groups as asked (--groups 9, more than there are varieties)"),
                      std::string::npos);
        }
        // The Windows program draws the Linux program's picture, byte for byte.
        if (this_system == System::windows) {
            RunSetup native = setup;
            native.native = true;
            EXPECT_EQ(result.raw_files.at(picture), run_clustmat(native).raw_files.at(picture));
        }
    }
}

// Levels with too few values, or too few rows shared with the others, are
// left out and say why; a trait without a tree still has its table.
TEST(TreeRun, LeavesOutWhatCantBeComparedAndSaysWhy) {
    const std::string csv = "gen,year,loc,rep,yield,height\n"
                            "A,1,L1,1,5,80\nB,1,L1,1,6,81\nC,1,L1,1,5.5,\nD,1,L1,1,4,\n"
                            "A,1,L2,1,5.2,\nB,1,L2,1,6.1,\nC,1,L2,1,5.6,\n"
                            "A,2,L1,1,5.9,\nB,2,L1,1,6.3,\nE,2,L1,1,7,\nE,2,L2,1,7.1,\n";
    const std::vector<std::string> args = {"--tree",   "--columns", "gen,year,loc,rep,yield,height",
                                           "--layout", "1",         "t.csv"};
    std::vector<std::string> none = args;
    none.insert(none.begin() + 1, {"--fill", "none"});
    const std::string height_table =
        "label\tlevel\tgroup\tvalues\tfilled\tnote\nA\tA\t.\t1\t.\tfewer than 2 values\n"
        "B\tB\t.\t1\t.\tfewer than 2 values\nC\tC\t.\t0\t.\tfewer than 2 values\n"
        "D\tD\t.\t0\t.\tfewer than 2 values\nE\tE\t.\t0\t.\tfewer than 2 values\n";
    const RunResult run = expect_run(
        {"yield and height, as R's dist",
         {.args = none, .files = {{"t.csv", csv}}},
         {0,
          "\nTree t.yield: 3 varieties in 1 group (Mojena, k = 1.25), 2 left out; no cell filled; "
          "cophenetic correlation 0.60.\nWard's method assumes Euclidean distances; with --fill "
          "none and missing cells they are not.\nNo tree for t.height: fewer than two varieties "
          "have values in 2 rows or more that they share; t.height.groups.tsv says why for each.\n",
          {{"t.yield.groups.tsv",
            "label\tlevel\tgroup\tvalues\tfilled\tnote\nA\tA\t1\t3\t0\t\nB\tB\t1\t3\t0\t\n"
            "C\tC\t1\t2\t0\t\nD\tD\t.\t1\t.\tfewer than 2 values\nE\tE\t.\t2\t.\tshares fewer "
            "than 2 rows with A\n"},
           {"t.height.groups.tsv", height_table},
           {"t.height.tree.nwk", std::nullopt},
           {"t.height.tree.svg", std::nullopt}}}});
    // Filled by least squares (A 5.8167, B 6.5833, C 6.075 6.175, E 6.4083
    // 6.5417, solved exactly apart), then Ward's tree of Euclidean distances:
    // heights 0.754, 1.058, 2.414, one group, cophenetic correlation 0.61.
    const RunResult filled = expect_run(
        {"yield and height, filled",
         {.args = args, .files = {{"t.csv", csv}}},
         {0,
          "\nTree t.yield: 4 varieties in 1 group (Mojena, k = 1.25), 1 left out; 6 of 16 "
          "cells filled (additive); cophenetic correlation 0.61.\nNo tree for t.height: fewer "
          "than two varieties with values in 2 rows or more are linked through shared rows; "
          "t.height.groups.tsv says why for each.\n",
          {{"t.yield.groups.tsv",
            "label\tlevel\tgroup\tvalues\tfilled\tnote\nA\tA\t1\t3\t1\t\nB\tB\t1\t3\t1\t\n"
            "C\tC\t1\t2\t2\t\nD\tD\t.\t1\t.\tfewer than 2 values\nE\tE\t1\t2\t2\t\n"},
           {"t.height.groups.tsv", height_table}}}});
    // One variety left alone is left out too.
    const RunResult alone =
        run_clustmat({.args = {"--tree", "--min-rows", "1", "--columns", "1,2,3,4,5,6", "--layout",
                               "1", "t.csv"},
                      .files = {{"t.csv", "gen,year,loc,rep,yield,height\nA,1,L1,1,5,80\n"
                                          "B,1,L2,1,6,81\nA,1,L2,1,7,\nB,1,L1,1,8,\n"}}});
    EXPECT_EQ(alone.files.at("t.height.groups.tsv"),
              "label\tlevel\tgroup\tvalues\tfilled\tnote\nA\tA\t.\t1\t.\tno other level is left "
              "to cluster with\nB\tB\t.\t1\t.\tnot connected to the other varieties through "
              "shared rows\n");
    EXPECT_EQ(run.files.count("t.yield.tree.nwk") + run.files.count("t.yield.tree.svg"), 2u);
    expect_pictures_sound(run);
    expect_pictures_sound(filled);
    // The title points to the table for the levels left out; the heat map
    // shows the cells left empty without a fill, and the filled ones with it.
    const std::string& picture = filled.files.at("t.yield.tree.svg");
    EXPECT_NE(picture.find("1 left out (listed in t.yield.groups.tsv)"), std::string::npos);
    EXPECT_NE(picture.find("Block means; 6 of 16 cells filled"), std::string::npos);
    EXPECT_EQ(picture.find("class=\"empty\""), std::string::npos);
    EXPECT_NE(run.files.at("t.yield.tree.svg").find("class=\"empty\""), std::string::npos);
    // An earlier run's tree of a trait that has none now goes with the new set.
    const std::string old = "old\n";
    expect_runs({
        {"an earlier tree of a trait without one now",
         {.args = args,
          .files = {{"t.csv", csv},
                    {"t.height.tree.nwk", old},
                    {"t.height.tree.svg", old},
                    {"t.yield.tree.nwk", old}}},
         {0,
          "; t.height.groups.tsv says why for each, and the older t.height.tree.nwk and "
          "t.height.tree.svg were removed.\n",
          {{"t.height.tree.nwk", std::nullopt},
           {"t.height.tree.svg", std::nullopt},
           {"t.yield.tree.nwk", filled.files.at("t.yield.tree.nwk")},
           {"t.height.groups.tsv", height_table}}}},
        {"without a fill, in Chinese",
         {.args = {"c", "--fill", "none", "--tree", "--columns", "gen,year,loc,rep,yield,height",
                   "--layout", "1", "t.csv"},
          .files = {{"t.csv", csv}}},
         {0, gbk("没有填补单元格; 共表型相关系数 0.60.\nWard 法假定距离为欧氏距离; 使用 --fill "
                 "none 且有缺失单元格时并非如此.\n")}},
        // A's three values give the row effects; the others, one value each,
        // are A's shifted (reference: heights 0.17 0.30 0.42 0.52 1.70).
        {"most cells filled",
         {.args = {"--tree", "--min-rows", "1", "--layout", "1", "m.csv"},
          .files = {{"m.csv",
                     "gen,year,loc,rep,yield\nA,1,L,1,5\nA,2,L,1,6\nA,3,L,1,7\n"
                     "B,1,L,1,5.5\nC,2,L,1,6.2\nD,3,L,1,7.1\nE,1,L,1,4.9\nF,2,L,1,6.8\n"}}},
         {0, "\nTree m: 6 varieties in 2 groups (Mojena, k = 1.25); 10 of 18 cells filled "
             "(additive); cophenetic correlation 0.82.\nMost cells are the model's, not observed: "
             "read the groups with the filled column.\n"}},
        {"most cells filled, in Chinese",
         {.args = {"c", "--tree", "--min-rows", "1", "--layout", "1", "m.csv"},
          .files = {{"m.csv",
                     "gen,year,loc,rep,yield\nA,1,L,1,5\nA,2,L,1,6\nA,3,L,1,7\n"
                     "B,1,L,1,5.5\nC,2,L,1,6.2\nD,3,L,1,7.1\nE,1,L,1,4.9\nF,2,L,1,6.8\n"}}},
         {0, gbk("18 个单元格中 10 个已填补 (additive); 共表型相关系数 "
                 "0.82.\n多数单元格是模型的填补值而非"
                 "观测值: 请结合 filled 列解读分组.\n")}},
        {"its picture alone, in Chinese",
         {.args = {"c", "--tree", "--columns", "gen,year,loc,rep,yield,height", "--layout", "1",
                   "t.csv"},
          .files = {{"t.csv", csv}, {"t.height.tree.svg", old}}},
         {0,
          gbk("; 以前运行留下的 ") + "t.height.tree.svg" + gbk(" 已删除.\n"),
          {{"t.height.tree.svg", std::nullopt}}}},
        {"no trait with a tree",
         {.args = {"--tree", "--fill", "none", "--min-rows", "4", "--layout", "1", "t.csv"},
          .files = {{"t.csv", "gen,year,loc,rep,yield\nA,1,L1,1,5\nB,1,L1,1,6\n"}}},
         {1,
          "No tree can be grown: in no matrix do two varieties have values in 4 rows or more "
          "that they share. Nothing was written.\n",
          {{"t.csv", "gen,year,loc,rep,yield\nA,1,L1,1,5\nB,1,L1,1,6\n"}},
          true}},
        {"no trait with a tree, filled",
         {.args = {"--tree", "--layout", "1", "t.csv"},
          .files = {{"t.csv", "gen,year,loc,rep,yield\nA,1,L1,1,5\nA,1,L2,1,5\nB,2,L1,1,6\n"
                              "B,2,L2,1,7\n"}}},
         {1, "No tree can be grown: in no matrix are two varieties with values in 2 rows or more "
             "linked through shared rows. Nothing was written.\n"}},
        {"a tree's file over the data file",
         {.args = {"--tree", "--layout", "1", "--output", "w.DIS", "w.tree.nwk"},
          .files = {{"w.tree.nwk", example}}},
         {1, "The file \"w.tree.nwk\" would replace the data file \"w.tree.nwk\". Choose "
             "another --output, or rename the data file."}},
    });
}

// Plots of a trial of `levels` varieties, years and locations, each grown
// with a chance of five in six, about one in ten traits missing; and
// `strays` plots each of a variety, year and location of its own, which
// multiply the cube's cells while adding a plot each.
std::vector<Plot> random_plots(const int (&levels)[3], int strays, std::uint64_t seed) {
    auto named = [](std::string name, int number) { return name += std::to_string(number); };
    auto trait = [&] {
        if (next_random(seed) % 10 == 0) return std::string("NA");
        std::string text = std::to_string(next_random(seed) % 900 + 100);
        return text += '.' + std::to_string(next_random(seed) % 10);
    };
    std::vector<Plot> plots;
    for (int v = 1; v <= levels[0]; ++v)
        for (int y = 1; y <= levels[1]; ++y)
            for (int l = 1; l <= levels[2]; ++l)
                if (next_random(seed) % 6 != 0)
                    plots.push_back(
                        {named("V", v), named("", 2018 + y), named("L", l), "1", trait()});
    for (int k = 1; k <= strays; ++k)
        plots.push_back({named("S", k), named("", 2030 + k), named("Far", k), "1", trait()});
    return plots;
}

// Trees in every layout, from dense and sparse cubes, as the matrix's
// columns computed plainly make them: the same leaves in the same order,
// the same heights, the same groups.
TEST(TreeRun, GrowsInEveryLayoutAsThePlainComputation) {
    const struct {
        const char* what;
        int layout;
        int levels[3];
        int strays;
    } cases[] = {
        {"years", 2, {6, 4, 3}, 0},
        {"locations", 3, {6, 3, 4}, 0},
        {"varieties of a sparse cube", 1, {5, 3, 4}, 4},
        {"years of a sparse cube", 2, {6, 4, 3}, 5},
        {"locations of a sparse cube", 3, {6, 3, 4}, 5},
    };
    std::uint64_t seed = 5;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Plot> plots = random_plots(c.levels, c.strays, seed);
        std::string csv = "gen,year,loc,rep,yield\n";
        std::set<std::string> levels[3];
        for (const Plot& p : plots) {
            csv +=
                p.variety + "," + p.year + "," + p.location + "," + p.block + "," + p.trait + "\n";
            levels[0].insert(p.variety), levels[1].insert(p.year), levels[2].insert(p.location);
        }
        // The table's cube is kept sparse beyond four times its records.
        EXPECT_EQ(levels[0].size() * levels[1].size() * levels[2].size() > 4 * plots.size(),
                  c.strays > 0);
        const RunResult run = run_clustmat(
            {.args = {"--tree", "--fill", "none", "--layout", std::to_string(c.layout), "t.csv"},
             .files = {{"t.csv", csv}}});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.files.at("t.DIS"), reference_matrix(plots, c.layout, false));

        const ClusterData data = reference_columns(plots, c.layout);
        const Participation part = choose_levels(data, 2);
        ASSERT_GE(part.clustered.size(), 3u);
        ClusterData clustered{data.rows, {}, {}, {}};
        for (std::int32_t level : part.clustered) {
            clustered.labels.push_back(data.labels[level]);
            const auto values = data.values.begin() + level * data.rows;
            clustered.values.insert(clustered.values.end(), values, values + data.rows);
        }
        const std::vector<Fusion> fusions = textbook(plain_distances(clustered), Linkage::ward);
        std::vector<std::string> leaves, want_leaves;
        std::vector<double> heights, want_heights;
        std::size_t at = 0;
        read_node(run.files.at("t.tree.nwk"), at, leaves, heights);
        for (std::int32_t leaf : leaf_order(fusions)) want_leaves.push_back(clustered.labels[leaf]);
        for (const Fusion& fusion : fusions) want_heights.push_back(fusion.height);
        EXPECT_EQ(leaves, want_leaves);
        expect_same_heights(heights, want_heights);
        // A year's label is lettered in the matrix; the table gives it as written.
        std::vector<std::string> written = data.labels;
        if (c.layout == 2)
            for (std::string& label : written) label.erase(0, 1);
        const char* words[] = {"varieties", "years", "locations"};
        EXPECT_EQ(run.files.at("t.groups.tsv"),
                  group_table(data.labels, written, part,
                              cut_into_groups(fusions, mojena_groups(fusions, 1.25)).of_leaf, 2,
                              words[c.layout - 1]));
    }
}

// Years and locations clustered by pattern, from a dense cube and from a
// sparse one (a cell for each record), against a least-squares fill, the
// centring or scaling and Ward's tree computed apart: years 2019-2021 join
// at 0.59 and 0.84, 2023 at 2.76 (scaled); the locations at 0.39 and 0.97.
TEST(TreeRun, ClustersYearsAndLocationsByPattern) {
    const std::string years = "gen,year,loc,rep,yield\n"
                              "A,2019,L1,1,5\nB,2019,L1,1,6\nC,2019,L1,1,4\nA,2019,L2,1,7\n"
                              "C,2019,L2,1,5\nA,2020,L1,1,6\nC,2020,L1,1,5\nA,2020,L2,1,8\n"
                              "B,2020,L2,1,9\nB,2021,L1,1,8\nC,2021,L1,1,6\nA,2021,L2,1,9\n"
                              "B,2021,L2,1,10\nC,2021,L2,1,7\nA,2022,L1,1,3\nB,2023,L2,1,4\n"
                              "C,2023,L2,1,6\n";
    const std::string places = "gen,year,loc,rep,yield\n"
                               "Alpha,2001,North,1,5\nAlpha,2001,South,1,7\nAlpha,2001,East,1,6\n"
                               "Beta,2002,North,1,6\nBeta,2002,South,1,8\nGamma,2003,South,1,9\n"
                               "Gamma,2003,East,1,7\nDelta,2004,North,1,4\nDelta,2004,East,1,5\n"
                               "Eps,2005,North,1,7\nEps,2005,South,1,10\nEps,2005,East,1,8\n"
                               "Zeta,2006,South,1,6\nZeta,2006,West,1,3\n";
    const std::string header = "label\tlevel\tgroup\tvalues\tfilled\tnote\n";
    expect_runs({
        {"years, scaled",
         {.args = {"--tree", "--scale", "--mojena", "0.5", "--layout", "2", "y.csv"},
          .files = {{"y.csv", years}}},
         {0,
          "\nTree y: 4 years in 2 groups (Mojena, k = 0.5), 1 left out; 8 of 24 cells filled "
          "(additive); cophenetic correlation 0.98.\n",
          {{"y.groups.tsv", header + "Y2019\t2019\t1\t5\t1\t\nY2020\t2020\t1\t4\t2\t\n"
                                     "Y2021\t2021\t1\t5\t1\t\nY2022\t2022\t.\t1\t.\tfewer than 2 "
                                     "values\nY2023\t2023\t2\t2\t4\t\n"}}}},
        {"locations, centred, from a sparse cube",
         {.args = {"--tree", "--centre", "--layout", "3", "z.csv"}, .files = {{"z.csv", places}}},
         {0,
          "\nTree z: 3 locations in 1 group (Mojena, k = 1.25), 1 left out; 5 of 18 cells filled "
          "(additive); cophenetic correlation 1.00.\n",
          {{"z.groups.tsv", header + "North\tNorth\t1\t4\t2\t\nSouth\tSouth\t1\t5\t1\t\n"
                                     "East\tEast\t1\t4\t2\t\nWest\tWest\t.\t1\t.\tfewer than 2 "
                                     "values\n"}}}},
    });
}

// The tree's files join the matrix's: none replaces its older file unless
// all are complete.
TEST(TreeRun, ReplacesItsFilesOnlyWithTheMatrix) {
    const std::string old = "old\n";
    auto run = [&](const char* fault, const char* file) {
        return RunSetup{.args = {"--tree", "--layout", "1", "d.dat"},
                        .files = {{"d.dat", example},
                                  {"d.DIS", old},
                                  {"d.groups.tsv", old},
                                  {"d.tree.svg", old}},
                        .environment = {{fault, file}},
                        .with_faults = true};
    };
    expect_runs({
        {"the picture can't be written",
         run("FAULT_FFLUSH", "d.tree.svg."),
         {255,
          "\nThe file \"d.tree.svg\" could not be written in full (No space left on device). The "
          "unfinished copies have been removed; \"d.DIS\", \"d.groups.tsv\", \"d.tree.nwk\", "
          "\"d.tree.svg\" are as they were before the run.\n",
          {{"d.dat", example}, {"d.DIS", old}, {"d.groups.tsv", old}, {"d.tree.svg", old}},
          true}},
        {"the group table can't take its name",
         run("FAULT_RENAME", "d.groups.tsv"),
         {255,
          "\nNot every file could be replaced. Replaced: \"d.DIS\". Not replaced, as they were "
          "before the run (\"d.groups.tsv\" failed: Input/output error): \"d.groups.tsv\", "
          "\"d.tree.nwk\", \"d.tree.svg\".\n",
          {{"d.dat", example}, {"d.groups.tsv", old}, {"d.tree.svg", old}}}},
    });
}

} // namespace
