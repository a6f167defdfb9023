// Loading design data files: sizes, quirks of the format, and refusals.
#include "run_program.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>

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
        {"a trait of twenty digits", header + "1 1 1 1 18446744073709551617\n",
         "ClustID\tY1\nL1+G1\t1.84467e+019\n"},
    };
    for (const auto& c : cases)
        expect_run(c.what, {.input = "d.dat\n2\n", .files = {{"d.dat", c.data}}},
                   {0, "", {{"d.DIS", c.year_layout}}});
}

struct Trial {
    std::string data, variety_layout;
};

// A million records over ten varieties, the value of record r hundredths(r)
// hundredths, and the variety layout that the mean of exactly those values
// gives: summed in double in file order, rounded once to single precision.
Trial million_records(int (*hundredths)(int)) {
    Trial trial{header, "ClustID"};
    float last[10] = {};
    double sum = 0;
    char record[48];
    for (int r = 0; r < 1000000; ++r) {
        int value = hundredths(r);
        std::snprintf(record, sizeof record, "%d 1 1 1 %d.%02d\n", 1 + r % 10, value / 100,
                      value % 100);
        trial.data += record;
        sum += value / 100.0; // the double that strtod gives for the text
        last[r % 10] = static_cast<float>(value / 100.0);
    }
    const float mean = static_cast<float>(sum / 1000000);
    std::string cells = "\nY1+L1";
    for (int v = 0; v < 10; ++v) {
        std::snprintf(record, sizeof record, "\t%g", double(last[v]) - double(mean));
        trial.variety_layout += "\tG" + std::to_string(v + 1);
        cells += record;
    }
    trial.variety_layout += cells + "\n";
    return trial;
}

// The variety layout shows the grand mean: every non-zero value, summed in
// double and rounded once to single precision.
TEST(Loader, GrandMeanCountsEveryValueRead) {
    const Trial all_equal = million_records([](int) { return 605; });
    // 4.50 to 6.50 from a fixed seed; the last ten, one per variety, from 5.40
    // to 5.49: close to the mean, so that its last bit shows.
    const Trial spread = million_records([](int r) {
        static std::mt19937 random(11);
        return r < 1000000 - 10 ? 450 + int(random() % 201) : 540 + r % 10;
    });
    const struct {
        const char* what;
        std::string data, variety_layout;
    } cases[] = {
        {"duplicates enter the mean", header + "1 1 1 1 4\n1 1 1 2 6\n2 1 1 1 8\n",
         "ClustID\tG1\tG2\nY1+L1\t0\t2\n"},
        // Formed in single precision, the differences would show as -128.249
        // and 128.249; with the mean unrounded, as -128.249 and 128.25.
        {"a float cell less a float mean", header + "1 1 1 1 0.001\n2 1 1 1 256.5\n",
         "ClustID\tG1\tG2\nY1+L1\t-128.25\t128.249\n"},
        {"no value at all", header + "1 1 1 1 .\n2 1 1 1 0\n", "ClustID\tG1\tG2\nY1+L1\t.\t.\n"},
        {"a million equal values", all_equal.data,
         "ClustID\tG1\tG2\tG3\tG4\tG5\tG6\tG7\tG8\tG9\tG10\nY1+L1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\n"},
        {"a million values spread from 4.50 to 6.50", spread.data, spread.variety_layout},
    };
    for (const auto& c : cases)
        expect_run(c.what, {.input = "d.dat\n1\n", .files = {{"d.dat", c.data}}},
                   {0, "", {{"d.DIS", c.variety_layout}}});
}

TEST(Loader, RefusesDataItCannotPlaceInTheCube) {
    std::string nuls_shown;
    for (int i = 0; i < 40; ++i) nuls_shown += "\\x00";
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
        {"2^32 + 1, never taken for 1", header + "1 1 4294967297 1 3\n1 1 1 1 3\n",
         "the location code \"4294967297\" is too large"},
        {"control bytes shown escaped", header + "\x1f\x7f~ 1 1 1 3\n",
         "the variety code \"\\x1f\\x7f~\" is not a whole number"},
        {"cut short", header + "1 1 1 1 3\n2 1 1\n",
         "Record 2 of \"d.dat\": the record is incomplete: the file ends before its block code"},
        {"empty file", "", "\"d.dat\" holds no complete record"},
        {"header only", header, "\"d.dat\" holds no complete record"},
        {"beyond single precision", header + "1 1 1 1 3\n1 1 1 1 1e39\n",
         "Record 2 of \"d.dat\": the trait value \"1e39\" is too large for single precision"},
        {"an overlong trait",
         header + "1 1 1 1 3\n1 1 1 1 " + std::string(5000, '7') + "\n1 1 1 1 3\n",
         "Record 2 of \"d.dat\": the trait value \"" + std::string(40, '7') +
             "...\" is longer than 4096 bytes; the file is damaged or is not a design data file."},
        {"a megabyte of NUL bytes", "Var " + std::string(1 << 20, '\0'),
         "The header of \"d.dat\": the column name \"" + nuls_shown + "...\" is longer"},
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
