// The loader against a deliberately plain reading of the same file: whatever
// quick path the loader takes, and wherever a read block happens to end, the
// cube and the grand mean must be what reading the file token by token gives.
#include "input/data_file.h"
#include "input/data_reader.h"
#include "input/loader.h"
#include "matrix/matrix_writer.h"
#include "run_program.h"
#include "table_reference.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A trait token's value as strtod gives it once the Fortran exponent letter
// is spelled 'e'; strtod's hexadecimal, infinities and NaNs are no numbers in
// a data file.
double plain_value(std::string token) {
    for (char& c : token)
        if (c == 'd' || c == 'D') c = 'e';
    std::size_t first = token[0] == '+' || token[0] == '-' ? 1 : 0;
    auto digit = [&](std::size_t i) {
        return i < token.size() && token[i] >= '0' && token[i] <= '9';
    };
    if (!digit(first) && !(token[first] == '.' && digit(first + 1))) return 0;
    if (token.compare(first, 2, "0x") == 0 || token.compare(first, 2, "0X") == 0) return 0;
    return std::strtod(token.c_str(), nullptr);
}

struct Expected {
    int nv = 1, ny = 1, nl = 1;
    std::map<std::tuple<int, int, int>, float> cells;
    float mean = 0;
};

// Tokens up to a Ctrl-Z; after every field a 'c', then an 'h', is swallowed
// when it comes next, which for a code can also be straight after its digits.
Expected read_plainly(const std::string& text) {
    std::vector<std::string> fields;
    std::string token;
    bool swallow = false;
    for (char c : text.substr(0, text.find('\x1A')) + " ") {
        if (!std::strchr(" \t\n\v\f\r", c)) {
            token += c;
            continue;
        }
        if (token.empty()) continue;
        if (swallow && token[0] == 'c') token.erase(0, token.compare(0, 2, "ch") == 0 ? 2 : 1);
        swallow = !token.empty();
        bool code = fields.size() >= 5 && (fields.size() - 5) % 5 < 4;
        if (std::size_t digits =
                token.find_first_not_of("0123456789", token[0] == '+' || token[0] == '-');
            code && digits != token.npos) {
            token.resize(digits); // "7c", "7ch": the field's own format took the letters
            swallow = false;
        }
        if (!token.empty()) fields.push_back(token);
        token.clear();
    }
    Expected e;
    double sum = 0;
    int count = 0;
    for (std::size_t r = 5; r + 5 <= fields.size(); r += 5) {
        int v = std::stoi(fields[r]), y = std::stoi(fields[r + 1]), l = std::stoi(fields[r + 2]);
        e.nv = std::max(e.nv, v), e.ny = std::max(e.ny, y), e.nl = std::max(e.nl, l);
        double value = plain_value(fields[r + 4]);
        if (static_cast<float>(value) == 0) continue;
        e.cells[{v, y, l}] = static_cast<float>(value);
        sum += value;
        ++count;
    }
    e.mean = count ? static_cast<float>(sum / count) : 0.0f;
    return e;
}

// Records in every form a field book has produced, from a fixed seed; with
// `by_lines`, each on a line of its own (or two), as nearly every file has
// them, and which the threads can share.
std::string random_trial(int records, bool by_lines) {
    std::mt19937 random(6);
    auto pick = [&](auto const& options) { return options[random() % std::size(options)]; };
    // Tokens of the longest length (a code short of it by the "ch" it may carry).
    const std::string long_code = std::string(4093, '0') + "7"; // room for a "ch"
    const std::string long_trait = "2." + std::string(4094, '5');
    std::vector<std::string> traits = {long_trait, "18446744073709551617"};
    std::istringstream forms("1d2 .5 5. NA . inf -3.25 0 2.5E-3 1D-1 +7 nan 0.0 1e-50 "
                             "12345678.9 . c5 ch.5 x5 -.e2");
    for (std::string form; forms >> form;) traits.push_back(form);
    const char* const gaps[] = {" ", "\t", "  ", "\n", "\r\n", " \r\n\n"};
    // Straight after a code's digits, or standing alone after it.
    const char* const swallowed[] = {"c", "ch", " c", " ch", "\nc", "\tch"};
    // A c after the second name: swallowed as the tail of its field.
    std::string text = "Var Year c Loca " + std::string(4096, 'B') + " Trait\r\n";
    for (int r = 0; r < records; ++r) {
        for (int size : {40, 5, 12, 3}) {
            std::string code = random() % 500 ? std::to_string(1 + random() % size) : long_code;
            if (size == 5 && random() % 1000 == 0) code += "0"; // a year coded 10 to 50
            // "%d" takes signs and leading zeros; block codes need not be positive.
            if (random() % 40 == 0 && code.size() < 9) code = (size == 3 ? "-" : "+0") + code;
            text += code;
            if (random() % 4 == 0) text += by_lines ? "ch" : pick(swallowed);
            text += random() % 8 ? " " : by_lines ? "\t" : pick(gaps);
        }
        if (random() % 3) {
            text += pick(traits);
        } else {
            char value[32];
            std::snprintf(value, sizeof value, "%.*f", int(random() % 4),
                          (random() % 100000) / 97.0);
            text += value;
        }
        text += random() % 5 ? "\n" : by_lines ? "\r\n" : pick(gaps);
        // Before the next record's first code, or standing alone.
        if (random() % 6 == 0) text += pick(std::array{"c", "ch", "c ", "ch\n"});
    }
    // The last value ends where the data end, without a line end.
    return text + "1 1 1 1 3\x1A"
                  "9 9 9 9 9\n";
}

TEST(LoaderGuard, AgreesWithAPlainReadingWhereverTheBlocksEnd) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("clustmat-guard-" + std::to_string(std::random_device{}())))
                                 .string();
    for (bool by_lines : {false, true}) {
        const std::string text = random_trial(3000, by_lines);
        const Expected expected = read_plainly(text);
        ASSERT_TRUE(std::ofstream(path, std::ios::binary) << text);

        // Read blocks, then threads and the bytes of their ranges: ranges of a
        // few bytes end inside every kind of record. The cells grow as the
        // ranges come, or by a budget of none the cube is sized first, or
        // with a budget of a byte the cells outgrow it on the way.
        constexpr std::size_t grows = std::size_t{48} << 20;
        const std::tuple<std::size_t, int, std::size_t, std::size_t> readings[] = {
            {1 << 20, 1, 0, grows}, {4096, 1, 0, grows},       {61, 1, 0, grows}, {7, 1, 0, grows},
            {1, 1, 0, grows},       {1 << 20, 2, 4096, grows}, {61, 3, 1, grows}, {7, 4, 17, grows},
            {1, 8, 300, grows},     {4096, 5, 61, grows},      {7, 4, 17, 0},     {4096, 2, 300, 0},
            {61, 3, 61, 1}};
        for (const auto& [block, threads, range, budget] : readings) {
            SCOPED_TRACE("read blocks of " + std::to_string(block) + " bytes, " +
                         std::to_string(threads) + " threads, ranges of " + std::to_string(range) +
                         ", a budget of " + std::to_string(budget));
            std::optional<DataFile> file = open_data_file(path);
            ASSERT_TRUE(file);
            LoadOptions options;
            options.read_block = block;
            options.threads = threads;
            options.parallel_from = 0;
            options.range_bytes = range;
            options.growing_budget = budget;
            LoadPlan plan = plan_load(*file, options);
            const Trial trial = load_trait_cube(plan, options);
            // Records across lines give no proof of where one starts.
            EXPECT_EQ(trial.ranges > 1, threads > 1 && by_lines);
            const TraitCube& cube = trial.traits.at(0);
            const CubeLevels& levels = *cube.levels;
            ASSERT_EQ(levels.nVar, expected.nv);
            ASSERT_EQ(levels.nYear, expected.ny);
            ASSERT_EQ(levels.nLoc, expected.nl);
            std::map<std::tuple<int, int, int>, float> loaded;
            for (int v = 1; v <= levels.nVar; ++v)
                for (int y = 1; y <= levels.nYear; ++y)
                    for (int l = 1; l <= levels.nLoc; ++l)
                        if (float x = cube_cell(cube, v, y, l); holds_value(x))
                            loaded[{v, y, l}] = x;
            EXPECT_TRUE(loaded == expected.cells);
            EXPECT_EQ(cube.grand_mean, expected.mean);
        }
    }
    std::remove(path.c_str());
}

// A table of random plots written as spreadsheets and R write tables, and
// joined as exports are: quoted and padded fields, empty rows, lines of
// separators alone, repeated headers with and without a byte-order mark,
// missing values in every form, CR LF and LF, no line end at the end but
// an old editor's end-of-file marks.
std::string random_table(std::vector<Plot>& plots, char separator) {
    std::mt19937 random(23);
    auto pick = [&](auto const& options) { return options[random() % std::size(options)]; };
    const char* const varieties[] = {"Jimai 22", "0012",       "12",    "Line, A",
                                     "G7",       "Zhoumai;18", "123456"};
    const char* const missing[] = {"NA", "", "#N/A", "N/A", "nan", ".", "-", "*"};
    const std::string header = std::string("gen") + separator + "year" + separator + "loc" +
                               separator + "rep" + separator + "yield";
    std::string text = "\xEF\xBB\xBF" + header + "\r\n";
    auto quoted = [](const std::string& field) {
        std::string text = "\"";
        for (char c : field) text += c == '"' ? std::string("\"\"") : std::string(1, c);
        return text + '"';
    };
    for (int r = 0; r < 2000; ++r) {
        Plot p{pick(varieties), std::to_string(2019 + random() % 4),
               "Loc" + std::to_string(random() % 7), std::to_string(1 + random() % 3), ""};
        std::string trait;
        if (random() % 6 == 0) {
            trait = pick(missing);
        } else {
            p.trait =
                std::to_string(int(random() % 2000) - 300) + "." + std::to_string(random() % 100);
            if (random() % 15 == 0) p.trait = "0";
            trait = p.trait;
            if (separator == ';') std::replace(trait.begin(), trait.end(), '.', ',');
        }
        plots.push_back(p);
        std::string fields[5] = {p.variety, p.year, p.location, p.block, trait};
        std::string line;
        for (int f = 0; f < 5; ++f) {
            const std::string& field = fields[f];
            const bool needs_quotes = field.find_first_of({separator, ' '}) != std::string::npos;
            if (f > 0) line += separator;
            if (random() % 9 == 0) line += ' ';
            line += needs_quotes || random() % 7 == 0 ? quoted(field) : field;
            if (random() % 9 == 0) line += ' ';
        }
        text += line + (random() % 3 ? "\n" : "\r\n");
        switch (random() % 40) {
        case 0:
            text += "\n";
            break;
        case 1:
            text += std::string(5, separator == ' ' ? '\t' : separator) + "\n";
            break;
        case 2:
            text += " \t \r\n";
            break;
        case 3:
            text += header + "\n";
            break;
        case 4:
            text += "\xEF\xBB\xBF" + header + "\r\n";
            break;
        }
    }
    text.pop_back();               // the last line without its line end
    return text + "\x1A\r\n\x1A "; // end-of-file marks with nothing after them
}

// Whatever the separator, wherever a read block ends, and whichever form the
// cube takes, every cell and every row that occurs.
TEST(LoaderGuard, ReadsATableAsItsPlotsWhereverTheBlocksEnd) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("clustmat-guard-" + std::to_string(std::random_device{}())))
                                 .string();
    // Read blocks, the cube's form, then threads and the bytes of their
    // ranges: ranges of a few bytes end on every line, after CR LF and a
    // lone LF, and next to the Ctrl-Z. Where threads read the table once,
    // its cells grow, but with a budget of none its cube is sized first,
    // and with one of a byte the cells outgrow it on the way.
    constexpr std::size_t grows = std::size_t{48} << 20;
    const std::tuple<std::size_t, CubeForm, int, std::size_t, std::size_t> readings[] = {
        {std::size_t{1} << 20, CubeForm::automatic, 1, 0, grows},
        {4096, CubeForm::sparse, 1, 0, grows},
        {61, CubeForm::dense, 1, 0, grows},
        {7, CubeForm::sparse, 1, 0, grows},
        {1, CubeForm::dense, 1, 0, grows},
        {std::size_t{1} << 20, CubeForm::automatic, 2, 4096, grows},
        {61, CubeForm::sparse, 3, 1, grows},
        {7, CubeForm::dense, 8, 40, grows},
        {4096, CubeForm::dense, 4, 333, grows},
        {7, CubeForm::automatic, 3, 40, 0},
        {61, CubeForm::dense, 2, 61, 1}};
    for (char separator : {',', ';', '\t'}) {
        std::vector<Plot> plots;
        const std::string text = random_table(plots, separator);
        ASSERT_TRUE(std::ofstream(path, std::ios::binary) << text);
        for (const auto& [block, form, threads, range, budget] : readings) {
            SCOPED_TRACE(std::string("separator ") + separator + ", read blocks of " +
                         std::to_string(block) + " bytes, cube form " +
                         std::to_string(static_cast<int>(form)) + ", " + std::to_string(threads) +
                         " threads, ranges of " + std::to_string(range) + ", a budget of " +
                         std::to_string(budget));
            for (bool means : {false, true}) {
                std::optional<DataFile> file = open_data_file(path);
                ASSERT_TRUE(file);
                LoadOptions options;
                options.columns = {"1", "2", "3", "4", "5"};
                options.read_block = block;
                options.cube_form = form;
                options.cell_means = means;
                options.threads = threads;
                options.parallel_from = 0;
                options.range_bytes = range;
                options.growing_budget = budget;
                LoadPlan plan = plan_load(*file, options);
                const Trial trial = load_trait_cube(plan, options);
                EXPECT_EQ(trial.ranges > 1, threads > 1);
                const TraitCube& cube = trial.traits.at(0);
                for (Layout layout : {Layout::variety, Layout::year, Layout::location})
                    EXPECT_EQ(matrix_of(cube, layout),
                              reference_matrix(plots, static_cast<int>(layout), means));
            }
        }
    }
    std::remove(path.c_str());
}

// A line of the longest length whose CR LF a read block cuts is no longer
// for it, and a last line's CR ends it as the end of the data comes.
TEST(LoaderGuard, ReadsALineWhoseLineEndABlockCuts) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("clustmat-cut-" + std::to_string(std::random_device{}())))
                                 .string();
    const std::vector<Plot> plots = {{"A", "2020", "L1", "1", "7.5"},
                                     {"B", "2020", "L1", "1", "8"}};
    std::string longest = "A,2020,L1,1,7.5";
    longest.resize(longest_line, ' ');
    ASSERT_TRUE(std::ofstream(path, std::ios::binary)
                << "gen,year,loc,rep,yield\r\n" + longest + "\r\nB,2020,L1,1,8\r");
    for (std::size_t block : {longest_line + 1, longest_line, longest_line + 2, std::size_t{1}}) {
        SCOPED_TRACE("read blocks of " + std::to_string(block) + " bytes");
        std::optional<DataFile> file = open_data_file(path);
        ASSERT_TRUE(file);
        LoadOptions options;
        options.columns = {"1", "2", "3", "4", "5"};
        options.read_block = block;
        LoadPlan plan = plan_load(*file, options);
        const Trial trial = load_trait_cube(plan, options);
        const TraitCube& cube = trial.traits.at(0);
        EXPECT_EQ(matrix_of(cube, Layout::variety), reference_matrix(plots, 1, false));
    }
    std::remove(path.c_str());
}

// However many threads read the file, the refusal names the fault the one
// thread names: of the faults in many ranges, the first that its first pass
// meets, even where one only its second pass sees comes earlier.
TEST(LoaderGuardDeathTest, NamesTheFirstFaultWhateverTheThreads) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("clustmat-fault-" + std::to_string(std::random_device{}())))
                                 .string();
    auto numbered = [](const char* format, int first, int last) {
        std::string text;
        char line[64];
        for (int r = first; r <= last; ++r) {
            std::snprintf(line, sizeof line, format, r % 7 + 1, r);
            text += line;
        }
        return text;
    };
    const struct {
        std::string text;
        std::vector<std::string> columns;
        const char* message;
    } files[] = {{"V Y L B T\n" + numbered("%d 1 1 %d 5.5\n", 1, 19) + "1 1 1 20 7abc\n" +
                      numbered("%d 1 1 %d 5.5\n", 21, 149) + "x 1 1 150 5\n" +
                      numbered("%d 1 1 %d 5.5\n", 151, 179) + "1 0 1 180 5\n",
                  {},
                  "^Record 150 of .*: the variety code \"x\" is not a whole number"},
                 {"gen,year,loc,rep,yield\n" + numbered("G%d,1,L,%d,5.5\n", 1, 19) +
                      "G1,1,L,20,7abc\n" + numbered("G%d,1,L,%d,5.5\n", 21, 150) + "G1,1,L\n" +
                      numbered("G%d,1,L,%d,5.5\n", 152, 179) + "\"G1,1,L,180,5\n",
                  {"1", "2", "3", "4", "5"},
                  "^Line 152 of .*: the record has 3 fields, but the records before it have 5"}};
    for (const auto& file : files) {
        ASSERT_TRUE(std::ofstream(path, std::ios::binary) << file.text);
        for (int threads : {1, 4}) {
            LoadOptions options;
            options.columns = file.columns;
            options.threads = threads;
            options.parallel_from = 0;
            options.range_bytes = 50;
            EXPECT_EXIT(
                {
                    std::optional<DataFile> data = open_data_file(path);
                    LoadPlan plan = plan_load(*data, options);
                    load_trait_cube(plan, options);
                },
                ::testing::ExitedWithCode(1), file.message);
        }
    }
    std::remove(path.c_str());
}

// The second read of a load on several threads reads the first read's
// pieces again at their places: it finds any change a read from the start
// would find, and where the data end.
TEST(LoaderGuard, ASecondReadOfPiecesFindsWhatChanged) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("clustmat-pieces-" + std::to_string(std::random_device{}())))
                                 .string();
    std::string digits;
    while (digits.size() < 100) digits += "0123456789";
    std::string changed = digits;
    changed[50] = 'x';
    const std::string end = "\x1A";
    // Pieces longer than the second read's buffer.
    const std::string long_text(200000, '7');
    std::string long_changed = long_text;
    long_changed[150000] = '8';
    const struct {
        std::string first, second;
        bool same;
    } reads[] = {{digits, digits, true},
                 {digits, changed, false},
                 {digits, digits + "1", false},
                 {digits, digits.substr(0, 99), false},
                 {digits + end + "tail", digits + end + "other", true},
                 {digits + end, digits, false},
                 {digits, digits + end + "x", true},
                 {digits.substr(0, 60) + end + digits, digits.substr(0, 61) + end + digits, false},
                 {long_text, long_text, true},
                 {long_text, long_changed, false}};
    for (const auto& read : reads) {
        for (std::size_t block : {std::size_t{7}, std::size_t{1} << 10, std::size_t{1} << 17}) {
            ASSERT_TRUE(std::ofstream(path, std::ios::binary) << read.first);
            std::FILE* stream = std::fopen(path.c_str(), "rb");
            ASSERT_TRUE(stream);
            DataReader reader;
            reader_open(reader, stream, path, block);
            std::vector<ReadPiece> pieces;
            {
                const PieceKeeper keeper(reader, pieces);
                char range[13];
                reader_peek_token(reader);
                while (reader_read_into(reader, range, sizeof range) > 0) {
                }
            }
            reader_rewind(reader);
            ASSERT_TRUE(std::ofstream(path, std::ios::binary) << read.second);
            EXPECT_EQ(reader_same_pieces(reader, pieces, 3), read.same)
                << read.first.size() << " bytes, then " << read.second.size() << ", read blocks of "
                << block;
            reader_close(reader);
            std::fclose(stream);
        }
    }
    std::remove(path.c_str());
}

} // namespace
