// Loading design data files: sizes, quirks of the format, and refusals.
#include "run_program.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

const std::string& header = data_header;

// The year layout shows the raw cube.
TEST(Loader, FillsTheCubeAsTheFileDescribesIt) {
    std::string year_250 = "ClustID";
    for (int year = 1; year <= 250; ++year) year_250 += "\tY" + std::to_string(year);
    year_250 += "\nL1+G1";
    for (int year = 1; year < 250; ++year) year_250 += "\t,";

    const struct {
        const char* what;
        std::string data, year_layout;
    } cases[] = {
        {"sizes from the largest codes, gaps stay empty", header + "2 2 3 1 7\n1 1 1 1 2\n",
         "ClustID\tY1\tY2\nL1+G1\t2\t,\nL1+G2\t,\t,\nL2+G1\t,\t,\nL2+G2\t,\t,\nL3+G1\t,\t,\nL3+"
         "G2\t,\t7\n"},
        {"a year coded 250", header + "1 250 1 1 3\n", year_250 + "\t3\n"},
        {"the last of several values wins", header + "1 1 1 1 4\n1 1 1 2 6\n",
         "ClustID\tY1\nL1+G1\t6\n"},
        {"missing marks", header + "1 1 1 1 .\n2 1 1 1 0\n3 1 1 1 NA\n4 1 1 1 0.0\n5 1 1 1 -2.5\n",
         "ClustID\tY1\nL1+G1\t,\nL1+G2\t,\nL1+G3\t,\nL1+G4\t,\nL1+G5\t-2.5\n"},
        {"a decimal comma ends the number", header + "1 1 1 1 5,2\n", "ClustID\tY1\nL1+G1\t5\n"},
        {"line structure carries no meaning", header + "1 1 1 1 3 2 1\n1\n1\n4\n\n\n",
         "ClustID\tY1\nL1+G1\t3\nL1+G2\t4\n"},
        {"CR LF line ends", "V Y L B T\r\n1 1 1 1 3\r\n2 1 1 1 4\r\n",
         "ClustID\tY1\nL1+G1\t3\nL1+G2\t4\n"},
        {"codes as %d reads them", header + "003 +1 1 -4 3\n",
         "ClustID\tY1\nL1+G1\t,\nL1+G2\t,\nL1+G3\t3\n"},
        {"a c after a field is swallowed", header + "1 1 1 1 c5\n2 1 1 1ch 6\n",
         "ClustID\tY1\nL1+G1\t5\nL1+G2\t6\n"},
        {"so is a header name's c", "V Y c L B T 1 1 1 1 3\n", "ClustID\tY1\nL1+G1\t3\n"},
        {"Ctrl-Z ends the data",
         header + "1 1 1 1 3\n\x1A"
                  "2 1 1 1 4\n",
         "ClustID\tY1\nL1+G1\t3\n"},
        {"no line end at the end", header + "1 1 1 1 3", "ClustID\tY1\nL1+G1\t3\n"},
    };
    for (const auto& c : cases)
        expect_run(c.what, {.input = "d.dat\n2\n", .files = {{"d.dat", c.data}}},
                   {0, "", {{"d.DIS", c.year_layout}}});
}

// The variety layout shows the grand mean: every non-zero value, in single precision.
TEST(Loader, GrandMeanCountsEveryValueRead) {
    const struct {
        const char* what;
        std::string data, variety_layout;
    } cases[] = {
        {"duplicates enter the mean", header + "1 1 1 1 4\n1 1 1 2 6\n2 1 1 1 8\n",
         "ClustID\tG1\tG2\nY1+L1\t0\t2\n"},
        {"a float cell less a float mean", header + "1 1 1 1 0.1\n2 1 1 1 0.2\n",
         "ClustID\tG1\tG2\nY1+L1\t-0.05\t0.05\n"},
        {"no value at all", header + "1 1 1 1 .\n2 1 1 1 0\n", "ClustID\tG1\tG2\nY1+L1\t.\t.\n"},
    };
    for (const auto& c : cases)
        expect_run(c.what, {.input = "d.dat\n1\n", .files = {{"d.dat", c.data}}},
                   {0, "", {{"d.DIS", c.variety_layout}}});
}

TEST(Loader, RefusesDataItCannotPlaceInTheCube) {
    const struct {
        const char* what;
        std::string data, message;
    } cases[] = {
        {"variety 0", header + "1 1 1 1 3\n0 1 1 1 3\n",
         "Record 2 of \"d.dat\": the variety code 0 is below 1"},
        {"negative year", header + "1 -1 1 1 3\n",
         "Record 1 of \"d.dat\": the year code -1 is below 1"},
        {"fraction", header + "1 1 1.5 1 3\n", "the location code \"1.5\" is not a whole number"},
        {"word", header + "x 1 1 1 3\n", "the variety code \"x\" is not a whole number"},
        {"exponent", header + "1 1 1 2e3 3\n", "the block code \"2e3\" is not a whole number"},
        {"beyond int", header + "1 99999999999 1 1 3\n",
         "the year code \"99999999999\" is too large"},
        {"cut short", header + "1 1 1 1 3\n2 1 1\n",
         "Record 2 of \"d.dat\": the record is incomplete: the file ends before its block code"},
        {"empty file", "", "\"d.dat\" holds no complete record"},
        {"header only", header, "\"d.dat\" holds no complete record"},
        {"beyond single precision", header + "1 1 1 1 3\n1 1 1 1 1e39\n",
         "Record 2 of \"d.dat\": the trait value \"1e39\" is too large for single precision"},
        {"a sum beyond single precision", header + "1 1 1 1 3e38\n2 1 1 1 3e38\n",
         "Record 2 of \"d.dat\": the sum of the trait values so far exceeds single precision"},
    };
    for (const auto& c : cases)
        expect_run(c.what, {.input = "d.dat\n1\n", .files = {{"d.dat", c.data}}},
                   {1, c.message, {{"d.DIS", std::nullopt}}});
    expect_run(
        "a folder",
        {.input = "d.dat\n1\n",
         .prepare =
             [](const std::string& dir) { std::filesystem::create_directory(dir + "/d.dat"); }},
        {1, "Can't read the data file \"d.dat\": Is a directory"});
}

} // namespace
