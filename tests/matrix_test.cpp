// Whole runs: the analysis choice and the cluster matrix file.
#include "matrix/output_name.h"
#include "run_program.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <tuple>

namespace {

const std::string menu = "\n\n Which Variable (Column 1, 2, or 3) Do You Want to Analyze? \n"
                         " Input 1 for Variety, and Year * Location \n"
                         " Input 2 for Year, and Variety * Location \n"
                         " Input 3 for Location, and Variety * Year\n";

// Variety 1 has no value in year 2; variety 2 sits at the grand mean in
// year 1. The closing notice counts the data rows and the value columns.
TEST(Matrix, LayoutsOfATrialWithEmptyCells) {
    const std::string gaps = data_header + "1 1 1 1 2\n2 1 1 1 4\n2 2 1 1 6\n";
    auto run = [&](std::string choice) {
        return RunSetup{.input = "trial.dat\n" + choice + "\n", .files = {{"trial.dat", gaps}}};
    };
    auto shows = [&](const std::string& notice, const std::string& matrix) {
        return Expected{0,
                        "\n Matrix file trial.DIS written: " + notice + ".\n",
                        {{"trial.DIS", matrix}, {"trial.dat", gaps}},
                        true,
                        "\n Input Name of Your Data File:  " + menu};
    };
    expect_runs({
        {"varieties", run("1"),
         shows("2 rows, 2 columns", "ClustID\tG1\tG2\nY1+L1\t-2\t0\nY2+L1\t.\t2\n")},
        {"years", run("2"),
         shows("2 rows, 2 columns", "ClustID\tY1\tY2\nL1+G1\t2\t,\nL1+G2\t4\t6\n")},
        {"locations", run("3"),
         shows("4 rows, 1 columns", "ClustID\tL1\nG1+Y1\t-2\nG1+Y2\t.\nG2+Y1\t0\nG2+Y2\t2\n")},
    });
}

// The variety layout is written from tiles of the cube. Sparse trials whose
// values pair up around 1000 make every centred value a whole number, so a
// cell taken from the wrong place shows.
TEST(Matrix, VarietyLayoutPlacesEachCellByItsCodes) {
    std::vector<RunCase> cases;
    for (auto [varieties, years, locations] : {std::tuple{7, 3, 5}, {30000, 2, 3}}) {
        std::mt19937 random(9);
        std::map<std::tuple<int, int, int>, int> cells{{{varieties, years, locations}, 0}};
        while (cells.size() < 40)
            cells[{1 + int(random() % varieties), 1 + int(random() % years),
                   1 + int(random() % locations)}];
        std::string data = data_header, expected = "ClustID";
        int pair = 0;
        for (auto& [codes, centred] : cells) {
            centred = (pair % 2 ? -1 : 1) * (pair / 2 + 1);
            auto [v, y, l] = codes;
            data += std::to_string(v) + ' ' + std::to_string(y) + ' ' + std::to_string(l) + " 1 ";
            data += std::to_string(1000 + centred) + '\n';
            ++pair;
        }
        for (int v = 1; v <= varieties; ++v) expected += "\tG" + std::to_string(v);
        for (int y = 1; y <= years; ++y)
            for (int l = 1; l <= locations; ++l) {
                expected += "\nY" + std::to_string(y) + "+L" + std::to_string(l);
                for (int v = 1; v <= varieties; ++v) {
                    auto cell = cells.find({v, y, l});
                    expected += cell == cells.end() ? "\t." : '\t' + std::to_string(cell->second);
                }
            }
        cases.push_back({std::to_string(varieties) + " varieties",
                         {.input = "d.dat\n1\n", .files = {{"d.dat", data}}},
                         {0, "", {{"d.DIS", expected + '\n'}}}});
    }
    expect_runs(cases);
}

TEST(Matrix, OutputNameReplacesTheLastFourCharactersOfTheNameProper) {
    const std::pair<const char*, const char*> cases[] = {
        {"data1", "d.DIS"},          {"TRIAL.DAT", "TRIAL.DIS"}, {"abc", "abc.DIS"},
        {"sub/a", "sub/a.DIS"},      {"sub/abcd", "sub/.DIS"},   {"/tmp/x/ab", "/tmp/x/ab.DIS"},
        {"2024/t.dat", "2024/t.DIS"}};
    for (const auto& [data, matrix] : cases) EXPECT_EQ(matrix_file_name(data), matrix) << data;
}

TEST(Matrix, AnswersOtherThanOneTwoOrThreeEndTheRunWithoutAFile) {
    const std::string data = data_header + "1 1 1 1 3\n";
    std::vector<RunCase> cases;
    for (std::string answer : {"4\n", "0\n", "-1\n", "x\n", "", "99999999999\n"})
        cases.push_back({"answer " + answer,
                         {.input = "trial.dat\n" + answer, .files = {{"trial.dat", data}}},
                         {1,
                          "\n File has been oppened ! \nNo such case. exit program.\n" + closing_en,
                          {{"trial.dat", data}},
                          true,
                          menu + "NO SUCH case!"}});
    expect_runs(cases);
}

} // namespace
