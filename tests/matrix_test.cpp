// Whole runs: the analysis choice and the cluster matrix file.
#include "gbk.h"
#include "matrix/output_name.h"
#include "run_program.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <tuple>

namespace {

const std::string worked_example = data_header + "1\t1\t1\t1\t3\n2\t1\t1\t1\t5\n";
const std::string menu = "\n\n Which Variable (Column 1, 2, or 3) Do You Want to Analyze? \n"
                         " Input 1 for Variety, and Year * Location \n"
                         " Input 2 for Year, and Variety * Location \n"
                         " Input 3 for Location, and Variety * Year\n";

TEST(Matrix, LayoutsOfTheWorkedExampleAndOfEmptyCells) {
    // Variety 1 has no value in year 2; variety 2 sits at the grand mean in year 1.
    const std::string gaps = data_header + "1 1 1 1 2\n2 1 1 1 4\n2 2 1 1 6\n";
    const struct {
        std::string data, choice, matrix;
    } cases[] = {
        {worked_example, "1", "ClustID\tG1\tG2\nY1+L1\t-1\t1\n"},
        {worked_example, "2", "ClustID\tY1\nL1+G1\t3\nL1+G2\t5\n"},
        {worked_example, "3", "ClustID\tL1\nG1+Y1\t-1\nG2+Y1\t1\n"},
        {gaps, "1", "ClustID\tG1\tG2\nY1+L1\t-2\t0\nY2+L1\t.\t2\n"},
        {gaps, "2", "ClustID\tY1\tY2\nL1+G1\t2\t,\nL1+G2\t4\t6\n"},
        {gaps, "3", "ClustID\tL1\nG1+Y1\t-2\nG1+Y2\t.\nG2+Y1\t0\nG2+Y2\t2\n"},
    };
    for (const auto& c : cases) {
        RunResult run = run_clustmat(
            {.input = "trial.dat\n" + c.choice + "\n", .files = {{"trial.dat", c.data}}});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "\n Input Name of Your Data File:  " + menu);
        EXPECT_EQ(run.files["trial.DIS"], c.matrix);
        EXPECT_EQ(run.files["trial.dat"], c.data);
        // The last words of the run give the file's data rows and value columns.
        const auto lines = std::count(c.matrix.begin(), c.matrix.end(), '\n');
        const auto tabs =
            std::count(c.matrix.begin(), c.matrix.begin() + c.matrix.find('\n'), '\t');
        const std::string notice =
            "\n Matrix file trial.DIS written: " + std::to_string(lines - 1) + " rows, " +
            std::to_string(tabs) + " columns.\n";
        EXPECT_TRUE(run.err.ends_with(notice)) << run.err;
    }
    RunResult chinese = run_clustmat(
        {.args = {"c"}, .input = "trial.dat\n1\n", .files = {{"trial.dat", worked_example}}});
    EXPECT_EQ(chinese.out, gbk("\n 请输入数据文件名:  ") + menu);
    EXPECT_EQ(chinese.files["trial.DIS"], "ClustID\tG1\tG2\nY1+L1\t-1\t1\n");
    EXPECT_TRUE(chinese.err.ends_with(gbk("\n 聚类矩阵已写入 trial.DIS: 1 行, 2 列.\n")));
}

// The variety layout is written from tiles of the cube. Sparse trials whose
// values pair up around 1000 make every centred value a whole number, so a
// cell taken from the wrong place shows.
TEST(Matrix, VarietyLayoutPlacesEachCellByItsCodes) {
    struct Case {
        int varieties, years, locations;
    };
    const Case cases[] = {{7, 3, 5}, {30000, 2, 3}}; // one tile per year, and several
    for (const auto& c : cases) {
        std::mt19937 random(9);
        std::map<std::tuple<int, int, int>, int> cells{{{c.varieties, c.years, c.locations}, 0}};
        while (cells.size() < 40)
            cells[{1 + int(random() % c.varieties), 1 + int(random() % c.years),
                   1 + int(random() % c.locations)}];
        std::string data = data_header, expected = "ClustID";
        int pair = 0;
        for (auto& [codes, centred] : cells) {
            centred = (pair % 2 ? -1 : 1) * (pair / 2 + 1);
            auto [v, y, l] = codes;
            data += std::to_string(v) + ' ' + std::to_string(y) + ' ' + std::to_string(l) + " 1 ";
            data += std::to_string(1000 + centred) + '\n';
            ++pair;
        }
        for (int v = 1; v <= c.varieties; ++v) expected += "\tG" + std::to_string(v);
        for (int y = 1; y <= c.years; ++y)
            for (int l = 1; l <= c.locations; ++l) {
                expected += "\nY" + std::to_string(y) + "+L" + std::to_string(l);
                for (int v = 1; v <= c.varieties; ++v) {
                    auto cell = cells.find({v, y, l});
                    expected += cell == cells.end() ? "\t." : '\t' + std::to_string(cell->second);
                }
            }
        RunResult run = run_clustmat({.input = "d.dat\n1\n", .files = {{"d.dat", data}}});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(run.files["d.DIS"] == expected + '\n') << c.varieties << " varieties";
    }
}

TEST(Matrix, OutputNameReplacesTheLastFourCharacters) {
    const std::pair<const char*, const char*> cases[] = {
        {"data1", "d.DIS"},
        {"TRIAL.DAT", "TRIAL.DIS"},
        {"abcd", ".DIS"},
        {"abc", "abc.DIS"},
        {"", ".DIS"},
        {"1234567890123456789012345678901", "123456789012345678901234567.DIS"},
        {"sub/a", "sub/a.DIS"},
        {"/tmp/x/ab", "/tmp/x/ab.DIS"},
        {"sub/abcd", "sub/.DIS"},
        {"2024/trial.dat", "2024/trial.DIS"}};
    for (const auto& [data, matrix] : cases) EXPECT_EQ(matrix_file_name(data), matrix) << data;
}

TEST(Matrix, AnswersOtherThanOneTwoOrThreeEndTheRunWithoutAFile) {
    for (const char* answer : {"4\n", "0\n", "-1\n", "x\n", "", "99999999999\n"}) {
        RunResult run = run_clustmat({.input = std::string("trial.dat\n") + answer,
                                      .files = {{"trial.dat", worked_example}}});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "\n Input Name of Your Data File:  " + menu + "NO SUCH case!");
        EXPECT_NE(
            run.err.find("\n File has been oppened ! \nNo such case. exit program.\n" + closing_en),
            std::string::npos);
        EXPECT_EQ(run.files.size(), 1u) << answer;
        EXPECT_FALSE(announces_matrix(run.err));
    }
}

} // namespace
