// Loading design data files: sizes, quirks of the format, and refusals.
#include "run_program.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>

namespace {

const std::string& header = data_header;

// The variety layout shows the grand mean: every non-zero value, summed in
// double and rounded once to single precision. A million values are enough
// for a single-precision sum to drift by 1 %.
TEST(Loader, GrandMeanCountsEveryValueRead) {
    std::string equal = header, spread = header;
    for (int r = 0; r < 1000000; ++r) equal += "1 1 1 1 6.05\n";
    // 4.50 to 6.50 from a fixed seed, and a last value close to the mean,
    // so that the mean's last bit shows; the mean as strtod's doubles give it.
    std::mt19937 random(11);
    double sum = 0;
    char record[48];
    for (int r = 0; r < 1000000; ++r) {
        int hundredths = r + 1 < 1000000 ? 450 + int(random() % 201) : 545;
        std::snprintf(record, sizeof record, "1 1 1 1 %d.%02d\n", hundredths / 100,
                      hundredths % 100);
        spread += record;
        sum += hundredths / 100.0;
    }
    std::snprintf(record, sizeof record, "%g",
                  double(5.45f) - double(static_cast<float>(sum / 1000000)));
    auto variety_layout = [](const char* what, const std::string& data, const std::string& matrix) {
        return RunCase{what,
                       {.input = "d.dat\n1\n", .files = {{"d.dat", data}}},
                       {0, "", {{"d.DIS", matrix}}}};
    };
    expect_runs({
        // Formed in single precision, the differences would show as -128.249
        // and 128.249; with the mean unrounded, as -128.249 and 128.25.
        variety_layout("a float cell less a float mean", header + "1 1 1 1 0.001\n2 1 1 1 256.5\n",
                       "ClustID\tG1\tG2\nY1+L1\t-128.25\t128.249\n"),
        variety_layout("a million equal values", equal, "ClustID\tG1\nY1+L1\t0\n"),
        // Zero in single precision is the empty mark: such a value is missing.
        variety_layout("a value too small for single precision",
                       header + "1 1 1 1 1e-50\n1 1 2 1 2\n", "ClustID\tG1\nY1+L1\t.\nY1+L2\t0\n"),
        variety_layout("a value that rounds to the largest float",
                       header + "1 1 1 1 3.4028235e38\n", "ClustID\tG1\nY1+L1\t0\n"),
        variety_layout("a million values spread from 4.50 to 6.50", spread,
                       "ClustID\tG1\nY1+L1\t" + std::string(record) + "\n"),
    });
}

TEST(Loader, RefusesDataItCannotPlaceInTheCube) {
    std::string nuls_shown;
    for (int i = 0; i < 40; ++i) nuls_shown += "\\x00";
    auto refused = [](const char* what, const std::string& data, const std::string& message) {
        return RunCase{what,
                       {.input = "d.dat\n1\n", .files = {{"d.dat", data}}},
                       {1, message, {{"d.dat", data}}, true}};
    };
    expect_runs({
        refused("variety 0", header + "1 1 1 1 3\n0 1 1 1 3\n",
                "Record 2 of \"d.dat\": the variety code 0 is below 1"),
        refused("a fraction", header + "1 1 1.5 1 3\n",
                "the location code \"1.5\" is not a whole number"),
        refused("a word", header + "x 1 1 1 3\n", "the variety code \"x\" is not a whole number"),
        refused("a lone sign", header + "1 + 1 1 3\n", "the year code \"+\" is not a whole number"),
        refused("2^32 + 1, never taken for 1", header + "1 1 4294967297 1 3\n1 1 1 1 3\n",
                "the location code \"4294967297\" is too large"),
        refused("control bytes shown escaped", header + "\x1f\x7f~ 1 1 1 3\n",
                "the variety code \"\\x1f\\x7f~\" is not a whole number"),
        refused("cut short", header + "1 1 1 1 3\n2 1 1\n",
                "Record 2 of \"d.dat\": the record is incomplete: the file ends before its block "
                "code"),
        refused("header only", header, "\"d.dat\" holds no complete record"),
        refused("beyond single precision", header + "1 1 1 1 3\n1 1 1 1 -3.4028236e38\n",
                "Record 2 of \"d.dat\": the trait value \"-3.4028236e38\" is too large for single "
                "precision (its largest number is 3.40282347e+38)."),
        refused("an overlong trait",
                header + "1 1 1 1 3\n1 1 1 1 " + std::string(5000, '7') + "\n1 1 1 1 3\n",
                "Record 2 of \"d.dat\": the trait value \"" + std::string(40, '7') +
                    "...\" is longer than 4096 bytes; the file is damaged or is not a design data "
                    "file."),
        refused("a megabyte of NUL bytes", "Var " + std::string(1 << 20, '\0'),
                "The header of \"d.dat\": the column name \"" + nuls_shown + "...\" is longer"),
        {"a folder",
         {.input = "d.dat\n1\n",
          .prepare =
              [](const std::string& folder) {
                  std::filesystem::create_directory(folder + "/d.dat");
              }},
         {1, "Can't read the data file \"d.dat\": Is a directory", {}, true}},
    });
}

} // namespace
