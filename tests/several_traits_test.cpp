// Several traits in one read: a matrix each, named after its trait, each as
// a run of that trait alone would write it, and all put in place together.
#include "matrix/output_name.h"
#include "run_program.h"

#include <gtest/gtest.h>

namespace {

// A trial whose traits differ in what they hold: a yield with a missing
// value and a zero, a height given for some plots only, a score of integers.
const std::string trial = "plot,genotype,year,location,rep,yield,plant height,score,株高(cm)\n"
                          "1,A,2020,L1,1,5.5,80,3,81\n"
                          "2,B,2020,L1,1,6.5,90,1,91\n"
                          "3,A,2020,L1,2,NA,,2,\n"
                          "4,A,2021,L2,1,7,85,0,79\n"
                          "5,B,2021,L1,1,0,,4,80\n";
const std::string columns = "genotype,year,location,rep";
// The UTF-8 file's Chinese trait as the console's account shows it: into a
// Windows pipe it goes in the ANSI code page, which under Wine's default,
// Windows-1252, holds no Chinese character.
const std::string height_shown = this_system == System::windows ? "?\?(cm)" : "株高(cm)";

// The matrix file a run of one trait writes.
std::string alone(const std::string& trait, const std::string& layout, bool means) {
    RunResult run = run_clustmat({.args = {"--columns", columns + "," + trait, "--layout", layout,
                                           "--cells", means ? "mean" : "last", "t.csv"},
                                  .files = {{"t.csv", trial}}});
    return run.files["t.DIS"];
}

TEST(SeveralTraits, GiveTheMatricesOfRunsOfEachAlone) {
    std::vector<RunCase> cases;
    for (const char* layout : {"1", "2", "3"})
        for (bool means : {false, true})
            cases.push_back(
                {std::string("layout ") + layout + (means ? ", means" : ", last values"),
                 {.args = {"--columns", columns + ",yield,plant height,8,9", "--layout", layout,
                           "--cells", means ? "mean" : "last", "t.csv"},
                  .files = {{"t.csv", trial}}},
                 {0,
                  std::string("Read 5 records; 2 varieties, 2 years, 2 locations.\nyield: 4 "
                              "values in 4 cells (") +
                      (means ? "block means" : "the last value of each") +
                      "), 1 missing, 1 zero.\nplant height: 3 values in 3 cells (" +
                      (means ? "block means" : "the last value of each") +
                      "), 2 missing.\nscore: 5 values in 4 cells (" +
                      (means ? "block means" : "the last value of each; 1 not used") +
                      "), 0 missing, 1 zero.\n" + height_shown + ": 4 values in 4 cells (" +
                      (means ? "block means" : "the last value of each") + "), 1 missing.\n",
                  {{"t.yield.DIS", alone("yield", layout, means)},
                   {"t.plant_height.DIS", alone("7", layout, means)},
                   {"t.score.DIS", alone("score", layout, means)},
                   {"t.col9.DIS", alone("9", layout, means)},
                   {"t.csv", trial}},
                  true}});
    // The design's four columns alone: every column of numbers, the plots'
    // numbers too, which the account's list shows.
    cases.push_back(
        {"four names take every trait",
         {.args = {"--columns", columns, "--layout", "1", "t.csv"}, .files = {{"t.csv", trial}}},
         {0,
          "locations.\nTraits: plot, yield, plant height, score, " + height_shown +
              ".\nplot: 5 values in 4 cells (block means)",
          {{"t.plot.DIS", alone("plot", "1", true)},
           {"t.yield.DIS", alone("yield", "1", true)},
           {"t.plant_height.DIS", alone("7", "1", true)},
           {"t.score.DIS", alone("score", "1", true)},
           {"t.col9.DIS", alone("9", "1", true)},
           {"t.csv", trial}},
          true}});
    expect_runs(cases);
}

TEST(SeveralTraits, AreNamedAfterTheirColumns) {
    const struct {
        const char* stem;
        std::vector<TraitPart> traits;
        std::vector<std::string> names;
    } cases[] = {
        {"wheat",
         {{"yield", 6}, {"plant height", 7}},
         {"wheat.yield.DIS", "wheat.plant_height.DIS"}},
        {"res/w",
         {{"株高(cm)", 7}, {"%", 8}, {"", 9}, {"a.b-c_d", 10}},
         {"res/w.col7.DIS", "res/w.col8.DIS", "res/w.col9.DIS", "res/w.a.b-c_d.DIS"}},
        {"w",
         {{"Yield", 5}, {"yield", 6}, {"YIELD ", 7}},
         {"w.Yield.col5.DIS", "w.yield.col6.DIS", "w.YIELD_.DIS"}},
        {"w", {{"a b", 3}, {"a_b", 4}}, {"w.a_b.col3.DIS", "w.a_b.col4.DIS"}},
    };
    for (const auto& c : cases) EXPECT_EQ(trait_matrix_names(c.stem, c.traits), c.names) << c.stem;
    EXPECT_EQ(matrix_stem_of("results/wheat.dis"), "results/wheat");
    EXPECT_EQ(matrix_stem_of("results/wheat"), "results/wheat");
    EXPECT_EQ(data_file_stem("sub/trial.csv"), "sub/trial");
}

// The set is whole or nothing: a file that can't be written leaves every
// older matrix as it was, and one that can't take its name says which did.
TEST(SeveralTraits, ReplaceTheirOlderFilesOnlyAllTogether) {
    const std::string old = "ClustID\tG1\nY1+L1\t0\n";
    const std::vector<std::string> args = {"--columns", columns + ",6,7", "--layout", "1",
                                           "--output",  "res.dis",        "t.csv"};
    auto run = [&](std::map<std::string, std::string> faults) {
        const bool with_faults = !faults.empty();
        return RunSetup{
            .args = args,
            .files = {{"t.csv", trial}, {"res.yield.DIS", old}, {"res.plant_height.DIS", old}},
            .environment = std::move(faults),
            .with_faults = with_faults};
    };
    const std::string yield = alone("yield", "1", false);
    const std::string clash = "gen,year,loc,rep,a,A,a.col5\ng1,2020,L1,1,1,2,3\ng2,2020,L1,1,4,5,"
                              "6\ng1,2021,L1,1,7,8,9\ng2,2021,L1,1,1,2,4\n";
    const std::string case_clash = "gen,year,loc,rep,yield,Yield,yield.COL5\ng1,2020,L1,1,1,2,3\n";
    expect_runs({
        {"the second file can't be written",
         run({{"FAULT_FFLUSH", "plant_height"}}),
         {255,
          "\nThe file \"res.plant_height.DIS\" could not be written in full (No space left on "
          "device). The unfinished copies have been removed; \"res.yield.DIS\", "
          "\"res.plant_height.DIS\" are as they were before the run.\n",
          {{"t.csv", trial}, {"res.yield.DIS", old}, {"res.plant_height.DIS", old}},
          true}},
        {"the second file can't take its name",
         run({{"FAULT_RENAME", "plant_height"}}),
         {255,
          "\nNot every file could be replaced. Replaced: \"res.yield.DIS\". Not replaced, as "
          "they were before the run (\"res.plant_height.DIS\" failed: Input/output error): "
          "\"res.plant_height.DIS\".\n",
          {{"t.csv", trial}, {"res.yield.DIS", yield}, {"res.plant_height.DIS", old}},
          true}},
        {"a stem that is a folder",
         {.args = {"--columns", columns + ",6,7", "--layout", "1", "t.csv"},
          .files = {{"t.csv", trial}, {"t.yield.DIS/x", ""}}},
         {1, "\"t.yield.DIS\" is a folder."}},
        {"the same trait twice",
         {.args = {"--columns", columns + ",6,yield", "t.csv"}, .files = {{"t.csv", trial}}},
         {1, "\"t.csv\": the column \"yield\" is given twice."}},
        {"a value of a later trait that is no number",
         {.args = {"--columns", columns + ",yield,8", "t.csv"},
          .files = {{"t.csv", trial + "6,B,2021,L2,1,5,90,x,80\n"}}},
         {1, "Line 7 of \"t.csv\": the trait value (column \"score\") \"x\" is not a number."}},
        // Names are told apart after every suffix, and whatever their case.
        {"a trait named as another's file",
         {.args = {"--columns", "1,2,3,4,5,6,7", "--layout", "2", "--tree", "t.csv"},
          .files = {{"t.csv", clash}}},
         {1,
          "\nThe columns 5 \"a\" and 7 \"a.col5\" would both be written to \"t.a.col5.DIS\". "
          "Rename one of them, or leave one out of --columns. Nothing was written.\n",
          {{"t.csv", clash}},
          true}},
        {"names that differ only in case after the suffix",
         {.args = {"--columns", "1,2,3,4,5,6,7", "--layout", "2", "t.csv"},
          .files = {{"t.csv", case_clash}}},
         {1,
          "\nThe columns 5 \"yield\" and 7 \"yield.COL5\" would be written to "
          "\"t.yield.col5.DIS\" and \"t.yield.COL5.DIS\", which Windows and macOS take for one "
          "file. Rename one of them, or leave one out of --columns. Nothing was written.\n",
          {{"t.csv", case_clash}},
          true}},
        // A folder takes the files under the data file's stem.
        {"--output naming this folder",
         {.args = {"--columns", columns + ",6,7", "--layout", "1", "--output", "./", "t.csv"},
          .files = {{"t.csv", trial}}},
         {0,
          "\n Matrix file ./t.yield.DIS (\"yield\") written",
          {{"t.csv", trial},
           {"t.yield.DIS", yield},
           {"t.plant_height.DIS", alone("7", "1", false)}},
          true}},
        {"--output naming a folder without a separator",
         {.args = {"--columns", columns + ",6,7", "--layout", "1", "--output", "res", "t.csv"},
          .files = {{"t.csv", trial}, {"res/notes.txt", ""}}},
         {0, "\n Matrix file res/t.plant_height.DIS (\"plant height\") written"}},
        {"one column in two roles",
         {.args = {"--columns", "genotype,genotype,location,rep,yield", "t.csv"},
          .files = {{"t.csv", trial}}},
         {1, "\"t.csv\": the column \"genotype\" is given twice."}},
    });
}

} // namespace
