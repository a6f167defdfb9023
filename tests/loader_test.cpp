// Loading design data files: sizes, quirks of the format, and refusals.
#include "gbk.h"
#include "run_program.h"
#include "table_reference.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <tuple>

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
        // Block codes index nothing: they need not be positive.
        variety_layout("block codes of 0 and below", header + "1 1 1 0 3\n1 1 1 -2 5\n",
                       "ClustID\tG1\nY1+L1\t1\n"),
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
        refused("a fraction", header + "1 1 1.5 1 3\n1 1 2 1 3\n1 1 3 1 3\n",
                "the location code \"1.5\" is not a whole number"),
        refused("a word", header + "x 1 1 1 3\n2 1 1 1 3\n3 1 1 1 3\n",
                "the variety code \"x\" is not a whole number"),
        refused("a lone sign", header + "1 + 1 1 3\n1 1 1 1 3\n2 1 1 1 3\n",
                "the year code \"+\" is not a whole number"),
        refused("a code in quotes, as R writes it",
                header + "1 1 \"Yolo2\" 1 3\n1 1 2 1 3\n2 1 2 1 3\n",
                "Record 1 of \"d.dat\": the location code \"Yolo2\" is not a whole number"),
        // Line 5: the header, record 1 over two lines, a blank line.
        refused("a record away from its line", header + "1 1\n1 1 3\n\n2 1 x 1 3\n",
                "Record 2 (line 5) of \"d.dat\": the location code \"x\" is not a whole number"),
        refused("2^32 + 1, never taken for 1", header + "1 1 4294967297 1 3\n1 1 1 1 3\n",
                "the location code \"4294967297\" is too large"),
        refused("control bytes shown escaped", header + "\x1f\x7f~ 1 1 1 3\n1 1 1 1 3\n2 1 1 1 3\n",
                "the variety code \"\\x1f\\x7f~\" is not a whole number"),
        refused("cut short", header + "1 1 1 1 3\n2 1 1\n",
                "Record 2 of \"d.dat\": the record is incomplete: the file ends before its block "
                "code"),
        refused("a trait value missing at the end", header + "1 1 1 1 3\n2 1 1 1",
                "Record 2 of \"d.dat\": the record is incomplete: the file ends before its trait "
                "value."),
        refused("header only", header, "\"d.dat\" holds no complete record"),
        refused("a decimal comma", header + "1 1 1 1 -7,80\n",
                "Record 1 of \"d.dat\": the trait value \"-7,80\" is not a number. It reads as "
                "-7.80 with a decimal comma (run clustmat with --decimal comma).\n"),
        refused("letters after a number", header + "1 1 1 1 3\n2 1 1 1 12abc\n",
                "Record 2 of \"d.dat\": the trait value \"12abc\" is not a number.\n"),
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

namespace {

// The plots of a breeding trial as R and spreadsheets share them: breeding
// IDs (0112 and 112 are two genotypes), calendar years, named locations
// that are not in alphabetical order, replicate blocks, missing values, a
// pair of a genotype and a year with no value at all, a cell whose mean is
// 0, and a real zero.
const std::vector<Plot> breeding_trial = {
    {"1888", "2013", "Yolo2", "B1", "7.5"},   {"112", "2013", "Yolo2", "B1", "6.25"},
    {"0112", "2013", "Yolo2", "B2", "6.75"},  {"1888", "2004", "Colusa", "B1", "NA"},
    {"112", "2004", "Colusa", "B1", "5.5"},   {"1888", "2013", "Colusa", "B2", "1.5"},
    {"1888", "2013", "Colusa", "B1", "-1.5"}, {"112", "2004", "Yolo2", "B2", "6"},
    {"5", "2004", "Davis", "B1", ""},         {"112", "2013", "Davis", "B1", "8"},
    {"5", "2013", "Yolo2", "B1", "0"},
};

// Breeding IDs as written: leading zeros, a sign, numbers of 7 to 18 digits
// (year-coded line IDs), each a level of its own, ordered by number and
// then by text.
const std::vector<Plot> id_trial = {
    {"0012", "2023", "Loc01", "1", "5"},
    {"12", "2023", "Loc01", "1", "6"},
    {"012", "2023", "Loc02", "1", "7"},
    {"7", "2023", "Loc02", "1", "8"},
    {"2023001", "2023", "Loc01", "1", "9"},
    {"1048576", "2023", "Loc01", "1", "4"},
    {"999999999999999999", "2024", "Loc02", "2", "3"},
    {"-5", "2024", "Loc01", "2", "2"},
    {"2023001", "2024", "Loc02", "2", "1"},
};

// Names with blanks, as a genotype list has them.
const std::vector<Plot> named_trial = {
    {"MN 93272", "77", "Ame", "1", "151.1"}, {"Belle", "77", "Ame", "1", "140.6"},
    {"MN 93272", "78", "Sut", "2", "NA"},    {"Belle", "78", "Sut", "3", "130.9"},
    {"Belle", "78", "Ame", "1", "120"},      {"Ames 1", "77", "Sut", "1", "99.5"},
};

// How spreadsheets and R write a table of plots.
enum class Form {
    csv,
    csv_five_columns,
    csv_all_quoted,
    csv2,
    trailing_separator,
    row_names_csv,
    write_csv,
    padded_sheet,
    r_table,
    tab_text,
    joined_exports,
    blank_separated,
    comma_row_above,
    zero_bytes_above
};

std::string table_file(const std::vector<Plot>& plots, Form form) {
    auto quote = [](const std::string& value) { return '"' + value + '"'; };
    std::string text;
    int row = 0;
    switch (form) {
    case Form::csv: // a trait first, an extra column, quotes only where needed
        text = "\xEF\xBB\xBFheight,Gen,Year,Loc,RepZ,Yield\r\n";
        for (const Plot& p : plots)
            text += "80," + (p.variety.find(' ') != p.variety.npos ? quote(p.variety) : p.variety) +
                    ',' + p.year + ',' + p.location + ',' + p.block + ',' + p.trait + "\r\n";
        break;
    case Form::csv_five_columns:
        text = "gen,year,loc,rep,yield\n";
        for (const Plot& p : plots)
            text +=
                p.variety + ',' + p.year + ',' + p.location + ',' + p.block + ',' + p.trait + '\n';
        break;
    case Form::csv_all_quoted: // every field quoted; a note with commas and quotes in it
        text = "\"gen\" , \"year\",\"loc\",\"rep\",\"yield\",\"note\",\"empty\"\n";
        for (const Plot& p : plots)
            text += quote(p.variety) + " , " + quote(p.year) + ',' + quote(p.location) + ',' +
                    quote(p.block) + ',' + quote(p.trait) + ",\"a \"\"plot\"\", with, commas\", \n";
        break;
    case Form::csv2: // write.csv2(d, row.names = FALSE): semicolons, decimal commas
        text = "\"gen\";\"year\";\"loc\";\"block\";\"yield\"\n";
        for (Plot p : plots) {
            std::replace(p.trait.begin(), p.trait.end(), '.', ',');
            text += quote(p.variety) + ';' + p.year + ';' + quote(p.location) + ';' +
                    quote(p.block) + ';' + (p.trait.empty() ? "NA" : p.trait) + '\n';
        }
        break;
    case Form::trailing_separator: // a comma at the end of every record
        text = "gen,year,loc,rep,yield\n";
        for (const Plot& p : plots)
            text +=
                p.variety + ',' + p.year + ',' + p.location + ',' + p.block + ',' + p.trait + ",\n";
        break;
    case Form::row_names_csv: // write.csv(d, na = ""): row names; an empty trait ends a record
        text = "gen,year,loc,rep,yield\n";
        for (const Plot& p : plots)
            text += std::to_string(++row) + ',' + p.variety + ',' + p.year + ',' + p.location +
                    ',' + p.block + ',' + p.trait + '\n';
        break;
    case Form::write_csv: // write.csv(d): row names under an empty name, every text quoted
        text = "\"\",\"gen\",\"year\",\"loc\",\"rep\",\"yield\"\n";
        for (const Plot& p : plots)
            text += quote(std::to_string(++row)) + ',' + quote(p.variety) + ',' + p.year + ',' +
                    quote(p.location) + ',' + quote(p.block) + ',' +
                    (p.trait.empty() ? "NA" : p.trait) + '\n';
        break;
    case Form::padded_sheet: // an empty row above, empty columns beside the table
        text = ";;;;;;\ngen;year;loc;rep;yield;;\n";
        for (Plot p : plots) {
            std::replace(p.trait.begin(), p.trait.end(), '.', ',');
            text += p.variety + ';' + p.year + ';' + p.location + ';' + p.block + ';' + p.trait +
                    ";;\n";
        }
        break;
    case Form::r_table: // write.table(d, sep = "\t"): row names, every text quoted
        text = "\"gen\"\t\"year\"\t\"loc\"\t\"block\"\t\"yield\"\n";
        for (const Plot& p : plots)
            text += quote(std::to_string(++row)) + '\t' + quote(p.variety) + '\t' + p.year + '\t' +
                    quote(p.location) + '\t' + quote(p.block) + '\t' +
                    (p.trait.empty() ? "NA" : p.trait) + '\n';
        break;
    case Form::tab_text: // saved from a spreadsheet: no quotes, a blank line
        text = "gen\tyear\tloc\tblock\tyield\n\n";
        for (const Plot& p : plots)
            text += p.variety + '\t' + p.year + '\t' + p.location + '\t' + p.block + '\t' +
                    p.trait + '\n';
        break;
    case Form::joined_exports: // two exports joined, the second with its mark; empty rows
        text = "gen\tyear\tloc\tblock\tyield\n";
        for (const Plot& p : plots) {
            if (++row == int(plots.size()) / 2 + 1)
                text += "\t\t\t\t\n\xEF\xBB\xBFgen\tyear\tloc\tblock\tyield\r\n";
            text += p.variety + '\t' + p.year + '\t' + p.location + '\t' + p.block + '\t' +
                    p.trait + "\r\n";
        }
        text += " \t\n\t\t\t\t\t\n";
        break;
    case Form::comma_row_above: // an empty row of commas above a table of semicolons
        text = ",,,,\ngen;year;loc;rep;yield\n";
        for (Plot p : plots) {
            std::replace(p.trait.begin(), p.trait.end(), '.', ',');
            text +=
                p.variety + ';' + p.year + ';' + p.location + ';' + p.block + ';' + p.trait + '\n';
        }
        break;
    case Form::zero_bytes_above: // a line of zero bytes above the header
        text = std::string(4, '\0') + "\ngen,year,loc,rep,yield\n";
        for (const Plot& p : plots)
            text +=
                p.variety + ',' + p.year + ',' + p.location + ',' + p.block + ',' + p.trait + '\n';
        break;
    case Form::blank_separated: // write.table(d): blanks, quoted texts
        text = "gen year loc block yield\n";
        for (const Plot& p : plots)
            text += quote(p.variety) + " \t" + p.year + '\t' + quote(p.location) + ' ' + p.block +
                    ' ' + (p.trait.empty() ? "NA" : p.trait) + '\n';
        break;
    }
    return text;
}

TEST(Table, GivesTheMatrixOfTheLevelsAndPairsThatOccur) {
    std::vector<Plot> first_trait_missing = breeding_trial;
    first_trait_missing[0].trait = "";
    struct {
        const char* what;
        const std::vector<Plot>& plots;
        Form form;
        std::vector<std::string> columns;
    } files[] = {
        {"CSV with a byte-order mark and CR LF",
         breeding_trial,
         Form::csv,
         {"--columns", "gen,year,LOC,repz,yield"}},
        {"CSV of five columns", breeding_trial, Form::csv_five_columns, {}},
        {"breeding IDs as written", id_trial, Form::csv_five_columns, {}},
        {"R's write.csv2", breeding_trial, Form::csv2, {}},
        {"a separator at the end of every record", breeding_trial, Form::trailing_separator, {}},
        {"row names, the first record without a trait",
         first_trait_missing,
         Form::row_names_csv,
         {"--columns", "gen,year,loc,rep,yield"}},
        {"R's write.csv", named_trial, Form::write_csv, {}},
        {"a spreadsheet's empty row and columns", breeding_trial, Form::padded_sheet, {}},
        {"an empty row of commas above semicolons", breeding_trial, Form::comma_row_above, {}},
        {"zero bytes above the header", breeding_trial, Form::zero_bytes_above, {}},
        {"exports joined", named_trial, Form::joined_exports, {"--columns", "1,2,3,4,5"}},
        {"R's table with row names", breeding_trial, Form::r_table, {"--columns", "1,2,3,4,5"}},
        {"every field quoted", named_trial, Form::csv_all_quoted, {"--columns", "1,2,3,4,5"}},
        {"tab-delimited names with blanks",
         named_trial,
         Form::tab_text,
         {"--columns", "gen,year,loc,block,yield"}},
        {"blank-separated, quoted names",
         named_trial,
         Form::blank_separated,
         {"--columns=1,2,3,4,5"}},
        {"quoted names in CSV",
         named_trial,
         Form::csv,
         {"--columns", "\"gen\",year,loc,repz,yield"}},
    };
    std::vector<RunCase> cases;
    for (const auto& file : files)
        for (int layout = 1; layout <= 3; ++layout)
            for (bool means : {false, true}) {
                std::vector<std::string> args = file.columns;
                args.insert(args.end(), {"--layout", std::to_string(layout), "--cells",
                                         means ? "mean" : "last", "t.csv"});
                cases.push_back(
                    {std::string(file.what) + ", layout " + std::to_string(layout) +
                         (means ? ", means" : ", last values"),
                     {.args = args, .files = {{"t.csv", table_file(file.plots, file.form)}}},
                     {0, "", {{"t.DIS", reference_matrix(file.plots, layout, means)}}}});
            }
    // Line IDs of up to 18 digits, within a quarter of a gigabyte of address
    // space: no table is sized by a value.
    cases.push_back({"breeding IDs within 256 MiB",
                     {.args = {"--layout", "1", "t.csv"},
                      .files = {{"t.csv", table_file(id_trial, Form::csv_five_columns)}},
                      .address_space = 256ul << 20},
                     {0, "", {{"t.DIS", reference_matrix(id_trial, 1, false)}}}});
    // A thousand plots whose every level is new: a cube of a thousand million
    // cells of which a thousand occur, kept in a sixteenth of a gigabyte.
    std::vector<Plot> distinct;
    for (int i = 0; i < 1000; ++i)
        distinct.push_back({"Line " + std::to_string(i), std::to_string(1900 + i),
                            "Site " + std::to_string(i), "1", std::to_string(i % 9) + ".5"});
    for (int layout = 1; layout <= 3; ++layout)
        cases.push_back({"a sparse trial, layout " + std::to_string(layout),
                         {.args = {"--layout", std::to_string(layout), "--cells", "mean", "t.csv"},
                          .files = {{"t.csv", table_file(distinct, Form::csv_five_columns)}},
                          .address_space = 64ul << 20},
                         {0, "", {{"t.DIS", reference_matrix(distinct, layout, true)}}}});
    expect_runs(cases);
}

// A million plots of named genotypes at named locations: a test of its own,
// which takes seconds.
TEST(Table, GivesTheMatrixOfAMillionPlots) {
    std::vector<RunCase> cases;
    std::vector<Plot> large;
    for (int i = 0; i < 1000000; ++i)
        large.push_back({"Line " + std::to_string(i % 997), std::to_string(2000 + i % 13),
                         "Loc" + std::to_string(i % 89), std::to_string(i % 4),
                         std::to_string(5 + i % 7) + ".25"});
    cases.push_back({"a million plots with names",
                     {.args = {"--layout", "3", "big.csv"},
                      .files = {{"big.csv", table_file(large, Form::csv_five_columns)}}},
                     {0,
                      "\n Matrix file big.DIS written: 12961 rows, 89 columns.\n",
                      {{"big.DIS", reference_matrix(large, 3, false)}}}});
    expect_runs(cases);
}

TEST(Table, RefusesWhatItCannotReadNamingTheLine) {
    const std::string header = "gen,year,loc,rep,yield\n";
    // ASCII as UTF-16, little endian.
    auto widened = [](std::string_view ascii) {
        std::string bytes;
        for (char c : ascii) bytes += {c, '\0'};
        return bytes;
    };
    auto refused = [](const char* what, const std::string& data, std::vector<std::string> args,
                      const std::string& message) {
        args.push_back("t.csv");
        return RunCase{what,
                       {.args = std::move(args), .input = "1\n", .files = {{"t.csv", data}}},
                       {1, message, {{"t.csv", data}}, true}};
    };
    const std::string columns = "Its 6 columns: 1 \"gen\", 2 \"year\", 3 \"loc\", 4 \"rep\", 5 "
                                "\"yield\", 6 \"ht\".";
    const std::string six = "gen,year,loc,rep,yield,ht\nA,1,L,1,2,3\n";
    expect_runs({
        refused("an unclosed quote", header + "A,1,L,1,2\n\"B,1,L,1,2\n", {},
                "Line 3 of \"t.csv\": a field in double quotes has no closing quote"),
        refused("text after a closing quote", header + "\"A\"B,1,L,1,2\n", {},
                "Line 2 of \"t.csv\": a field in double quotes has no closing quote"),
        refused("a record too short", header + "A,1,L,1,2\nB,1,L,1\n", {},
                "Line 3 of \"t.csv\": the record has 4 fields, but the records before it have 5."),
        refused("a first record too long", header + "A,1,L,1,2,3,4\n", {},
                "Line 2 of \"t.csv\": the record has 7 fields, but the header names 5 columns"),
        refused("a missing location", header + "A,1,NA,1,2\n", {},
                "Line 2 of \"t.csv\": the location (column \"loc\") is missing: \"NA\"."),
        refused("a genotype a lookup did not find", header + "A,1,L,1,2\n#n/a,1,L,1,2\n", {},
                "Line 3 of \"t.csv\": the variety (column \"gen\") is missing: \"#n/a\"."),
        refused("an empty genotype", header + "A,1,L,1,2\n  ,1,L,1,2\n", {},
                "Line 3 of \"t.csv\": the variety (column \"gen\") is missing: \"\"."),
        refused("an empty first field", header + "A,1,L,1,2\n,1,L,1,2\n", {},
                "Line 3 of \"t.csv\": the variety (column \"gen\") is missing: \"\"."),
        refused("a quote in a name", header + "\"MN \"\"93\"\"\",1,L,1,2\n", {},
                "Line 2 of \"t.csv\": the variety (column \"gen\") \"MN \"93\"\" holds a tab, a "
                "double quote"),
        refused("a tab in a name", header + "\"A\tB\",1,L,1,2\n", {},
                "Line 2 of \"t.csv\": the variety (column \"gen\") \"A\\x09B\" holds a tab"),
        refused("an empty row, then a number of seven digits", ",,,,\n6000000,,,,\n", {},
                "\"t.csv\" holds no record after its header line."),
        refused("no records", header + "\n\n", {},
                "\"t.csv\" holds no record after its header line."),
        refused("more than five columns", six, {},
                "\"t.csv\" has 6 columns; name the five to analyse with --columns: clustmat "
                "--columns gen,year,loc,rep,yield t.csv\n"),
        refused("a name no column has", six, {"--columns", "gen,year,site,rep,yield"},
                "\"t.csv\": no column is named \"site\". " + columns),
        refused("a column number beyond the header", six, {"--columns", "1,2,3,4,7"},
                "\"t.csv\": there is no column 7. " + columns),
        refused("a column number 0", six, {"--columns", "0,2,3,4,5"},
                "\"t.csv\": there is no column 0. " + columns),
        refused("a name two columns have", "gen,Gen,loc,rep,yield\nA,1,L,1,2\n",
                {"--columns", "gen,loc,loc,rep,yield"}, "several columns are named \"gen\"."),
        refused("a trait beyond single precision", header + "A,1,L,1,1e39\n", {},
                "Line 2 of \"t.csv\": the trait value (column \"yield\") \"1e39\" is too large"),
        refused("a first record too short", header + "A,1,L,1\nB,1,L,1,2\nC,1,L,1,3\n", {},
                "Line 2 of \"t.csv\": the record has 4 fields, but the header names 5 columns"),
        refused("a first record of one field", header + "A\nB,1,L,1,2\nC,1,L,1,3\n", {},
                "Line 2 of \"t.csv\": the record has 1 field, but the header names 5 columns"),
        refused("an unclosed quote in the first record",
                header + "A,1,\"L,1,2\nB,1,L,1,2\nC,1,L,1,3\n", {},
                "Line 2 of \"t.csv\": a field in double quotes has no closing quote"),
        refused("decimal commas in a CSV", header + "A,1,L,1,7,80\nA,1,M,1,8,25\n", {},
                "Line 3 of \"t.csv\": the row name \"A\" is given to an earlier row too."),
        // Numbered plots, and every yield split at its decimal comma.
        refused("decimal commas beside a first column of numbers",
                "plot,gen,year,loc,rep,yield\n1,g1,2020,L1,1,7,80\n2,g2,2020,L1,1,8,40\n"
                "3,g1,2021,L1,1,6,10\n4,g2,2021,L1,1,5,25\n",
                {"--columns", "gen,year,loc,rep,yield"},
                "Line 2 of \"t.csv\": the record has 7 fields, one more than the header names, as "
                "every record has; its fields 6 and 7, joined by a comma, read as \"7,80\", a "
                "number with a decimal comma, and so do those of every record. Save the file with "
                "semicolons between fields, or with its values in double quotes.\n"),
        refused("a role's name on two columns", "gen,gen,year,loc,rep\nA,5,1,L,1\n", {},
                "\"t.csv\": several columns are named \"gen\"."),
        refused("a short record under six names", "plot,gen,year,loc,rep,yield\n1,A,2020\n", {},
                "Line 2 of \"t.csv\": the record has 3 fields, but the header names 6 columns"),
        refused("six names alone", "plot,gen,year,loc,rep,yield\n", {},
                "\"t.csv\" holds no record after its header line.\n"),
        refused("an empty file", "", {}, "\"t.csv\" is empty: it holds no header and no record.\n"),
        refused("blank lines alone", "\n \r\n\t\n", {},
                "\"t.csv\" holds nothing but blank lines: no header and no record.\n"),
        refused("a UTF-16 mark alone", "\xFF\xFE", {},
                "\"t.csv\" holds nothing but the byte-order mark that starts Unicode text: no "
                "header and no record.\n"),
        // g and U+D800, g and U+D801: two names, neither of them text.
        refused("halves of UTF-16 characters",
                "\xFF\xFE" + widened("gen,year,loc,rep,yield\ng") + std::string("\0\xD8", 2) +
                    widened(",1,L,1,5\ng") + std::string("\x01\xD8", 2) + widened(",1,L,1,6\n"),
                {},
                "Line 2 of \"t.csv\": half of a UTF-16 character stands alone on the line (an "
                "unpaired surrogate), which no text can hold: the file is damaged."),
        refused("a row number twice", header + "1,A,1,L,1,7\n2,B,1,L,1,8\n1,C,1,L,1,9\n", {},
                "Line 4 of \"t.csv\": the row name \"1\" is given to an earlier row too."),
        refused("text after an end-of-file mark", header + "A,1,L,1,2\n\x1A\nB,1,L,1,3\n", {},
                "\"t.csv\" holds an end-of-file mark (Ctrl-Z) after line 2 and more text after "
                "it"),
        refused("a row name twice", header + "1,A,1,L,1,7\nx,B,1,L,1,8\nx,C,1,L,1,9\n", {},
                "Line 4 of \"t.csv\": the row name \"x\" is given to an earlier row too."),
        refused("a level of blanks", header + "A,1,\"  \",1,2\n", {},
                "the location (column \"loc\") is missing: \"  \"."),
        refused("DEL in a level", header + "A\x7F,1,L,1,2\n", {},
                "the variety (column \"gen\") \"A\\x7f\" holds a tab, a double quote or another "
                "control character"),
        refused("a typo in a number", header + "A,1,L,1,7.8O\n", {},
                "Line 2 of \"t.csv\": the trait value (column \"yield\") \"7.8O\" is not a "
                "number.\n"),
        refused("a decimal comma in a tab file", "gen\tyear\tloc\trep\tyield\nA\t1\tL\t1\t7,80\n",
                {"--columns", "1,2,3,4,5"},
                "Line 2 of \"t.csv\": the trait value (column \"yield\") \"7,80\" is not a number. "
                "It reads as 7.80 with a decimal comma (run clustmat with --decimal comma).\n"),
        refused("a quoted thousand", header + "A,1,L,1,\"-8,400\"\n", {},
                "\"-8,400\" is not a number. It reads as -8400 with a comma between thousands "
                "(save the file without thousands separators), or as -8.400 with a decimal comma "
                "(run clustmat with --decimal comma).\n"),
        refused("a point between thousands in a semicolon CSV",
                "gen;year;loc;rep;yield\nA;1;L;1;987\nB;1;L;1;1.319\n", {},
                "\"1.319\" is not a number with a decimal comma. It reads as 1319 with a point "
                "between thousands (save the file without thousands separators), or as 1.319 "
                "with a decimal point (run clustmat with --decimal point).\n"),
        refused(
            "a point in a semicolon CSV", "gen;year;loc;rep;yield\nA;1;L;1;1.5\n", {},
            "\"1.5\" is not a number with a decimal comma. It reads as 1.5 with a decimal point "
            "(run clustmat with --decimal point).\n"),
        refused("thousands and a decimal comma", "gen;year;loc;rep;yield\nA;1;L;1;1.234,5\n",
                {"--decimal", "point"},
                "\"1.234,5\" is not a number. It reads as 1234.5 with a decimal comma and a point "
                "between thousands (save the file without thousands separators and run clustmat "
                "with --decimal comma).\n"),
    });
}

// Each number as written: the decimal mark the file uses, zeros as
// observations, missing values in every form, and lines that account for
// what was read.
TEST(Table, ReadsEveryNumberAsWrittenAndAccountsForIt) {
    const std::string read = "Read 10 records; 2 varieties, 1 year, 2 locations; 1 repeated "
                             "header skipped.\nyield: 4 values in 2 cells ";
    const std::string missing_forms = "gen,year,loc,rep,yield\nA,1,L,1,0\nB,1,L,1,-0\nA,1,M,1,NA\n"
                                      "gen,year,loc,rep,yield\nB,1,M,1,#N/A\nB,1,M,2,\"\"\n"
                                      "A,1,M,2,*\nB,1,M,3,.\nA,1,M,3,-\nA,1,L,2,2.5\nB,1,L,2,1\n";
    std::string many_blocks = "g,y,l,b,t\n";
    for (int block = 1; block <= 70; ++block)
        many_blocks += "A,1,L," + std::to_string(block) + ",2\n";
    many_blocks += "A,1,L,70,2\n";
    auto run = [](std::vector<std::string> args, const std::string& data) {
        args.push_back("t.csv");
        return RunSetup{.args = std::move(args), .files = {{"t.csv", data}}};
    };
    auto gives = [](const std::string& err, const std::string& matrix) {
        return Expected{0, err, {{"t.DIS", matrix}}};
    };
    expect_runs({
        // The grand mean 0.875 of 0, 0, 2.5 and 1; the last values 2.5 and 1.
        {"zeros and missing values, the last of each",
         run({"--cells", "last", "--layout", "1"}, missing_forms),
         gives(read + "(the last value of each; 2 not used), 6 missing, 2 zeros.\n\n Matrix",
               "ClustID\tA\tB\nY1+L\t1.625\t0.125\nY1+M\t.\t.\n")},
        // By default the means of 0 and 2.5, and of 0 and 1.
        {"zeros and missing values, block means", run({"--layout", "1"}, missing_forms),
         gives(read + "(block means), 6 missing, 2 zeros.\n\n Matrix",
               "ClustID\tA\tB\nY1+L\t0.375\t-0.375\nY1+M\t.\t.\n")},
        {"their account in Chinese", run({"c", "--cells", "last", "--layout", "1"}, missing_forms),
         gives(gbk("读取 10 条记录; 2 个品种, 1 个年份, 2 个试点; 跳过 1 个重复的表头.\nyield: 4 "
                   "个数值, 在 2 个单元格中 (每格取最后一个值; 2 个未用), 6 个缺失, 2 个零值.\n"),
               "ClustID\tA\tB\nY1+L\t1.625\t0.125\nY1+M\t.\t.\n")},
        {"block means in Chinese", run({"c", "--layout", "2"}, "g,y,l,b,t\nA,1,L,1,7\nA,1,L,2,8\n"),
         gives(gbk("读取 2 条记录; 1 个品种, 1 个年份, 1 个试点.\nt: 2 个数值, 在 1 个单元格中 "
                   "(区组平均值), 0 个缺失.\n"),
               "ClustID\tY1\nL+A\t7.5\n")},
        // A plot twice: a value of its cell like any other under means, the
        // later one under last values (R's tapply and a loop's last write).
        {"a repeated plot, block means",
         run({"--layout", "2"}, "g,y,l,b,t\nA,1,L,1,7\nA,1,L,2,8\nA,1,L,1,9\nB,1,L,1,1\n"),
         gives("Read 4 records; 2 varieties, 1 year, 1 location; 1 record repeats an earlier "
               "plot.\nt: 4 values in 2 cells (block means), 0 missing.\n",
               "ClustID\tY1\nL+A\t8\nL+B\t1\n")},
        {"repeated plots, the last of each",
         run({"--cells", "last", "--layout", "2"},
             "g,y,l,b,t\nA,1,L,1,7\nA,1,L,1,8\nB,1,L,1,1\nB,1,L,1,2\n"),
         gives("Read 4 records; 2 varieties, 1 year, 1 location; 2 records repeat an earlier "
               "plot.\nt: 4 values in 2 cells (the last value of each; 2 not used), 0 missing.\n",
               "ClustID\tY1\nL+A\t8\nL+B\t2\n")},
        // More blocks than a cell keeps a bit for: every plot in a set.
        {"a repeated plot among 70 blocks", run({"--layout", "2"}, many_blocks),
         gives("Read 71 records; 1 variety, 1 year, 1 location; 1 record repeats an earlier "
               "plot.\nt: 71 values in 1 cell (block means), 0 missing.\n",
               "ClustID\tY1\nL+A\t2\n")},
        {"no value lost, the last of each",
         run({"--cells", "last", "--layout", "2"}, "g,y,l,b,t\nA,1,L,1,7\n"),
         gives("t: 1 value in 1 cell (the last value of each), 0 missing.\n",
               "ClustID\tY1\nL+A\t7\n")},
        {"row names, said so", run({"--layout", "2"}, "g,y,l,b,t\n1,A,1,L,1,7.5\n2,B,1,L,1,8\n"),
         gives("Read 2 records; 2 varieties, 1 year, 1 location; the first column, which the "
               "header does not name, read as row names.\n",
               "ClustID\tY1\nL+A\t7.5\nL+B\t8\n")},
        {"row names, said so in Chinese",
         run({"c", "--layout", "2"}, "g,y,l,b,t\n1,A,1,L,1,7.5\n2,B,1,L,1,8\n"),
         gives(
             gbk("读取 2 条记录; 2 个品种, 1 个年份, 1 个试点; 表头未命名的第一列作为行名读取.\n"),
             "ClustID\tY1\nL+A\t7.5\nL+B\t8\n")},
        {"one of each, no zero", run({"--layout", "2"}, "g,y,l,b,Yield (t/ha)\nA,1,L,1,7\n"),
         gives("Read 1 record; 1 variety, 1 year, 1 location.\nYield (t/ha): 1 value in 1 cell "
               "(block means), 0 missing.\n",
               "ClustID\tY1\nL+A\t7\n")},
        {"--decimal comma on a CSV",
         run({"--decimal", "comma", "--layout", "2"}, "g,y,l,b,t\nA,1,L,1,\"8,4\"\nB,1,L,1,2\n"),
         gives("", "ClustID\tY1\nL+A\t8.4\nL+B\t2\n")},
        {"--decimal point on a semicolon CSV",
         run({"--decimal=point", "--layout", "2"}, "g;y;l;b;t\nA;1;L;1;8.4\n"),
         gives("", "ClustID\tY1\nL+A\t8.4\n")},
        {"a variety named as the header's first column",
         run({"--layout", "2"}, "gen,year,loc,rep,yield\ngen,1,L,1,5\nB,1,L,1,6\n"),
         gives("Read 2 records; 2 varieties", "ClustID\tY1\nL+gen\t5\nL+B\t6\n")},
        {"--skip 0 skips nothing", run({"--skip", "0", "--layout", "2"}, "g,y,l,b,t\nA,1,L,1,7\n"),
         gives("", "ClustID\tY1\nL+A\t7\n")},
    });
}

// A trial too large for the memory there is ends the run with a message
// that says so, and leaves no unfinished file and every older one as it was.
TEST(Table, RunningOutOfMemoryIsAnError) {
    std::string names = "gen,year,loc,rep,yield\n";
    for (int i = 0; i < 300000; ++i) names += "Genotype" + std::to_string(i) + ",2020,L1,1,5\n";
    const std::string old_matrix = "ClustID\tG1\nY1+L1\t0\n";
    // A million records of 2000 varieties in 500 years: a cube of a million
    // cells, 4 MB. And 300000 records, each a cell of its own among 1000
    // varieties, 300 years and 1000 locations: kept sparse, 70 bytes a cell.
    std::string dense = "gen,year,loc,rep,yield\n", sparse = dense;
    for (int i = 0; i < 1000000; ++i)
        dense.append("G")
            .append(std::to_string(i % 2000))
            .append(",")
            .append(std::to_string(i / 2000))
            .append(",L,1,5\n");
    for (int i = 0; i < 300000; ++i)
        sparse.append("G")
            .append(std::to_string(i % 1000))
            .append(",")
            .append(std::to_string(i / 1000))
            .append(",L")
            .append(std::to_string(i * 7 % 1000))
            .append(",1,5\n");
    auto short_of_memory = [&](const char* what, const std::string& data, unsigned long space,
                               const std::string& message) {
        // On one thread: the stacks of more would take much of so little
        // address space before the cube.
        return RunCase{what,
                       {.args = {"--layout", "2", "--threads", "1", "t.csv"},
                        .files = {{"t.csv", data}, {"t.DIS", old_matrix}},
                        .address_space = space},
                       {.status = 1,
                        .err_holds = "Not enough memory for " + message +
                                     ": the trial is too large for this machine's memory.\n",
                        .files = {{"t.csv", data}, {"t.DIS", old_matrix}},
                        .nothing_else = true,
                        .whole_err = true}};
    };
    expect_runs({short_of_memory("a dense cube within 14 MiB", dense, 14ul << 20,
                                 "the cube of 1000000 cells"),
                 short_of_memory("a sparse cube within 20 MiB", sparse, 20ul << 20,
                                 "the cells of the cube that occur, up to 300000 (about 31 MB)")});
    expect_runs({{"300000 names within 32 MiB",
                  {.args = {"--layout", "1", "t.csv"},
                   .files = {{"t.csv", names}, {"t.DIS", old_matrix}},
                   .address_space = 32ul << 20},
                  {.status = 1,
                   .err_holds = "Not enough memory for the levels of the columns \"gen\", "
                                "\"year\", \"loc\" and \"rep\": the trial is too large for this "
                                "machine's memory.\n",
                   .files = {{"t.csv", names}, {"t.DIS", old_matrix}},
                   .nothing_else = true,
                   .whole_err = true}},
                 {"in Chinese",
                  {.args = {"c", "--layout", "1", "t.csv"},
                   .files = {{"t.csv", names}, {"t.DIS", old_matrix}},
                   .address_space = 32ul << 20},
                  {.status = 1,
                   .err_holds = gbk("内存不足, 无法存放列 \"gen\", \"year\", \"loc\" 和 \"rep\" "
                                    "的各个水平: 试验数据太大, 超出了本机的内存.\n"),
                   .files = {{"t.csv", names}, {"t.DIS", old_matrix}},
                   .nothing_else = true,
                   .whole_err = true}}});
}

// Options that change nothing for a classic file leave every byte as it was;
// block means work on classic files too.
TEST(Table, ClassicFilesKeepTheirMatrixUnderTheNewOptions) {
    const std::string data = header + "1 1 1 1 4\n1 1 1 2 6\n2 1 1 1 1.5\n2 1 1 2 -1.5\n";
    const std::string last = "ClustID\tG1\tG2\nY1+L1\t3.5\t-4\n";
    auto run = [&](std::vector<std::string> args, std::string input) {
        return RunSetup{
            .args = std::move(args),
            .input = std::move(input),
            .files = {{"d.dat", data}, {"e.dat", header + "1 1 1 1 7,80\n2 1 1 1 1d2\n"}}};
    };
    auto gives = [&](const std::string& matrix) { return Expected{0, "", {{"d.DIS", matrix}}}; };
    expect_runs({
        {"the dialogue", run({}, "d.dat\n1\n"), gives(last)},
        {"--cells last, --layout and the data file",
         run({"--cells", "last", "--layout", "1", "d.dat"}, ""), gives(last)},
        // Means 5 and 0 (an observation), grand mean 2.5.
        {"block means", run({"--cells=mean", "d.dat"}, "1\n"),
         gives("ClustID\tG1\tG2\nY1+L1\t2.5\t-2.5\n")},
        {"a mean of 0 in the year layout", run({"--cells", "mean", "--layout", "2", "d.dat"}, ""),
         gives("ClustID\tY1\nL1+G1\t5\nL1+G2\t0\n")},
        {"--decimal comma",
         run({"--decimal", "comma", "--layout", "2", "e.dat"}, ""),
         {0, "", {{"e.DIS", "ClustID\tY1\nL1+G1\t7.8\nL1+G2\t100\n"}}}},
        // One mistyped code among numbers: a classic file still, its fault named.
        {"a code that is a name",
         {.input = "d.dat\n1\n",
          .files = {{"d.dat", header + "1 1 Yolo2 1 4\n1 1 2 1 4\n2 1 2 1 5\n"}}},
         {1, "the location code \"Yolo2\" is not a whole number.\nTo read it as a table: clustmat "
             "--columns Var,Year,Loca,Blk,Trait d.dat\n\n You Data"}},
        // Names in most records under the design's names: a table.
        {"codes that are names",
         {.input = "d.dat\n1\n",
          .files = {{"d.dat", header + "1 1 Yolo2 1 4\n2 1 Yolo2 1 6\n1 1 Davis 1 5\n"}}},
         {0, "", {{"d.DIS", "ClustID\tG1\tG2\nY1+Yolo2\t-1\t1\nY1+Davis\t0\t.\n"}}}},
        {"a code that is a name under names that are no design's",
         {.input = "d.dat\n1\n", .files = {{"d.dat", "V Y L B T\n1 1 Yolo2 1 4\n"}}},
         {1, "the location code \"Yolo2\" is not a whole number.\nTo read codes that are names "
             "(G112, Yolo2), name the file's columns with --columns (see clustmat --help).\n\n You "
             "Data"}},
    });
}

// A whole run writes the same matrix and says the same counts (values,
// missing ones, zeros, repeated plots) on one thread and on four.
TEST(LoaderGuard, WritesTheSameMatrixOnOneThreadAndOnFour) {
    std::mt19937 random(38);
    // Beside the classic file and the table: a table of more blocks than
    // plots are marked for, and one whose cube is kept sparse.
    std::string classic = data_header, table = "gen,year,loc,rep,yield\n";
    std::string blocks = table, sparse = table, traits = "gen,year,loc,rep,yield,height\n";
    char line[96];
    for (unsigned r = 0; classic.size() < (std::size_t{3} << 19); ++r) {
        const unsigned v = random() % 300 + 1, y = random() % 4 + 1, l = random() % 9 + 1,
                       b = random() % 3 + 1;
        const double value = (random() % 100000) / 97.0;
        std::snprintf(line, sizeof line, "%u %u %u %u %.3f\n", v, y, l, b, value);
        classic += line;
        std::snprintf(line, sizeof line, "Line %u,%u,Loc%u,%u,", v, 2019 + y, l, b);
        table += line;
        traits += line;
        const unsigned kind = random() % 10;
        std::snprintf(line, sizeof line, "%.3f\n", value);
        table += kind == 0 ? "NA\n" : kind == 1 ? "-0.0\n" : line;
        std::snprintf(line, sizeof line, "%.2f,%s", value / 3,
                      kind == 2   ? "NA\n"
                      : kind == 3 ? "-0\n"
                                  : "");
        traits += line;
        if (kind != 2 && kind != 3) traits += std::to_string(r % 50) + "\n";
        std::snprintf(line, sizeof line, "%u,%u,%u,%u,%.3f\n", v, y, l, r % 97 + 1, value);
        blocks += line;
        std::snprintf(line, sizeof line, "G%u,%u,%u,%u,%.3f\n", r / 2, y, l, b, value);
        sparse += line;
    }
    // And two traits, their last values and their means.
    const std::string both = "gen,year,loc,rep,yield,height";
    const struct {
        const char* name;
        const std::string& text;
        std::vector<std::string> options;
    } files[] = {{"t.dat", classic, {"--cells", "mean"}},
                 {"t.csv", table, {"--cells", "mean"}},
                 {"b.csv", blocks, {"--cells", "mean"}},
                 {"s.csv", sparse, {"--cells", "mean"}},
                 {"m.csv", traits, {"--columns", both, "--cells", "last"}},
                 {"m.csv", traits, {"--columns", both, "--cells", "mean"}}};
    for (const auto& [name, text, options] : files) {
        std::map<std::string, std::string> written[2];
        std::string said[2];
        for (int i = 0; i < 2; ++i) {
            std::vector<std::string> args = {"--threads", i ? "4" : "1"};
            args.insert(args.end(), options.begin(), options.end());
            args.push_back(name);
            const RunResult run =
                run_clustmat({.args = args, .input = "1\n", .files = {{name, text}}});
            ASSERT_EQ(run.status, 0) << run.err;
            written[i] = run.raw_files;
            said[i] = run.out + run.err;
        }
        EXPECT_EQ(written[0], written[1]) << name;
        EXPECT_EQ(said[0], said[1]) << name;
    }
}

} // namespace
