// Files as spreadsheets save them: Unicode text, old Mac line ends, titles
// above the header, columns known by their names; and the commands the
// messages suggest, run as suggested.
#include "run_program.h"
#include "table_reference.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace {

// The plots of a trial named as a Chinese breeding programme names them,
// one name with a character beyond the BMP (a surrogate pair in UTF-16).
const std::vector<Plot> trial = {
    {"济麦22", "2023", "泰安", "R1", "7.85"},  {"Zhoumai 18", "2023", "泰安", "R1", "8.4"},
    {"济麦22", "2024", "郑州", "R2", "6.5"},   {"Zhoumai 18", "2024", "郑州", "R1", "NA"},
    {"Zhoumai 18", "2023", "郑州", "R2", "7"}, {"济麦22", "2023", "泰安", "R2", "0"},
    {"𠀋麦1", "2024", "泰安", "R1", "6.9"},
};

std::string tab_text(const std::vector<Plot>& plots, const std::string& line_end) {
    std::string text = "gen\tyear\tloc\trep\tyield" + line_end;
    for (const Plot& p : plots)
        text += p.variety + '\t' + p.year + '\t' + p.location + '\t' + p.block + '\t' + p.trait +
                line_end;
    return text;
}

// UTF-8 text in UTF-16, little or big endian, with or without its mark.
std::string utf16(const std::string& utf8, bool little, bool mark) {
    iconv_t cd = iconv_open(little ? "UTF-16LE" : "UTF-16BE", "UTF-8");
    std::string text = utf8, out(text.size() * 4, '\0');
    char *in = text.data(), *into = out.data();
    size_t in_left = text.size(), out_left = out.size();
    iconv(cd, &in, &in_left, &into, &out_left);
    iconv_close(cd);
    out.resize(out.size() - out_left);
    return (mark ? std::string(little ? "\xFF\xFE" : "\xFE\xFF") : "") + out;
}

TEST(SavedFiles, UnicodeTextAndOldLineEndsReadAsUtf8Does) {
    const std::string utf8 = tab_text(trial, "\r\n");
    const std::string matrix = reference_matrix(trial, 1, true);
    const std::string classic = data_header + "1 1 1 1 3\r\n2 1 1 1 5\r\n";
    auto table = [&](const char* what, const std::string& bytes) {
        return RunCase{what,
                       {.args = {"--columns", "1,2,3,4,5", "--layout", "1", "t.txt"},
                        .files = {{"t.txt", bytes}}},
                       {0, "", {{"t.DIS", matrix}}}};
    };
    // Lines of all three ends, as files joined from several systems have.
    std::string mixed = tab_text(trial, "\r");
    mixed[mixed.find('\r')] = '\n';
    mixed.insert(mixed.size(), 1, '\n');
    std::string large = "gen,year,loc,rep,yield\r";
    std::vector<Plot> many;
    for (int i = 0; i < 5000; ++i) {
        // (A text and a number's text in two steps: g++ 12 warns wrongly of "G" + to_string.)
        std::string variety = "G", location = "L";
        many.push_back({variety += std::to_string(i % 40), "2024",
                        location += std::to_string(i % 7), std::to_string(i % 3),
                        std::to_string(i % 11) + ".5"});
        large += many.back().variety + ',' + many.back().year + ',' + many.back().location + ',' +
                 many.back().block + ',' + many.back().trait + '\r';
    }
    expect_runs({
        table("UTF-8", utf8),
        table("UTF-16, little endian", utf16(utf8, true, true)),
        table("UTF-16, big endian", utf16(utf8, false, true)),
        table("an old Mac's line ends", tab_text(trial, "\r")),
        table("line ends of every kind", mixed),
        {"an old Mac's CSV beyond 64 KiB",
         {.args = {"--layout", "2", "t.csv"}, .files = {{"t.csv", large}}},
         {0, "", {{"t.DIS", reference_matrix(many, 2, true)}}}},
        {"a classic file in UTF-16",
         {.args = {"--layout", "1", "d.dat"}, .files = {{"d.dat", utf16(classic, true, true)}}},
         {0, "", {{"d.DIS", "ClustID\tG1\tG2\nY1+L1\t-1\t1\n"}}}},
    });
    for (const std::string& text : {utf8, "\r\n\r\n" + utf8}) {
        const std::string unmarked = utf16(text, true, false);
        expect_runs({{"UTF-16 without its mark",
                      {.args = {"--layout", "1", "t.txt"}, .files = {{"t.txt", unmarked}}},
                      {.status = 1,
                       .err_holds = "\"t.txt\" is saved as Unicode text without a mark: save it "
                                    "as UTF-8 (CSV UTF-8) or tab-delimited text.\n",
                       .files = {{"t.txt", unmarked}},
                       .nothing_else = true,
                       .whole_err = true}}});
    }
}

// The command a message suggests, as its words: from "clustmat " to the end
// of its line or to the note in parentheses after it, blanks splitting words
// outside double quotes.
std::vector<std::string> suggested_command(const std::string& err) {
    const std::size_t start = err.find("clustmat --");
    std::vector<std::string> words;
    if (start == std::string::npos) return words;
    std::string word;
    char quote = 0; // the quote a word is in: '"', '\'' or none
    for (std::size_t i = start + 9; i < err.size() && err[i] != '\n'; ++i) {
        const char c = err[i];
        if (!quote && c == ' ' && i + 1 < err.size() && err[i + 1] == '(') break;
        if (c == quote || (!quote && (c == '"' || c == '\''))) {
            quote = quote ? 0 : c;
        } else if (!quote && c == '\\' && i + 1 < err.size()) {
            word += err[++i];
        } else if (c == ' ' && !quote) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

// A file is refused with the command that reads it; that command, run as
// suggested (with the layout), reads the trial.
TEST(SavedFiles, RefusalsSuggestTheCommandThatReadsTheFile) {
    const std::vector<Plot> plots = {
        {"Jimai 22", "2019", "Tai'an", "R1", "7.8"},
        {"Zhoumai 18", "2019", "Tai'an", "R1", "8.4"},
        {"Jimai 22", "2019", "Yangling", "R2", "6.1"},
        {"Zhoumai 18", "2020", "Tai'an", "R2", "5"},
    };
    const std::string matrix = reference_matrix(plots, 1, false);
    auto rows = [&](const std::string& header, const std::string& separator, bool extra) {
        std::string text = header + "\n";
        int plot = 100;
        for (const Plot& p : plots) {
            std::string gen = separator == "," && p.variety.find(' ') != std::string::npos
                                  ? '"' + p.variety + '"'
                                  : p.variety;
            if (extra) text += std::to_string(++plot) + separator;
            text += gen + separator + p.year + separator + p.location + separator + p.block +
                    separator + p.trait;
            if (extra) text += separator + "75.5" + separator + "202";
            text += "\n";
        }
        return text;
    };
    const std::string wide =
        rows("plot,genotype,year,location,rep,yield,height,heading", ",", true);
    const std::string tab = rows("gen\tyear\tloc\tblock\tyield", "\t", false);
    std::string semicolons = tab;
    for (char& c : semicolons) c = c == '\t' ? ';' : c == '.' ? ',' : c;
    const std::string below = "\nLine 2 names the columns of a table; to read it so: clustmat "
                              "--skip 1 --columns gen,year,loc,block,yield t.txt\n";
    const struct {
        const char* what;
        std::string name, data, message;
    } files[] = {
        {"a CSV of eight columns", "t.csv", wide,
         "\"t.csv\" has 8 columns; name the five to analyse with --columns: clustmat --columns "
         "genotype,year,location,rep,yield t.csv\n"},
        {"a name a shell reads into", "it's $5.csv", wide,
         "\"it's $5.csv\" has 8 columns; name the five to analyse with --columns: clustmat "
         "--columns genotype,year,location,rep,yield " +
             std::string(this_system == System::windows ? "\"it's $5.csv\"" : "'it'\\''s $5.csv'") +
             "\n"},
        {"a name that starts with -", "-h.csv", "Wheat MET 2019\n" + wide,
         "Line 2 of \"-h.csv\" names the columns; the lines above it are not part of the table. "
         "To read it: clustmat --skip 1 --columns genotype,year,location,rep,yield -- -h.csv\n"},
        // A backslash is a POSIX shell's escape, and no part of a Windows name.
        {"a name a shell escapes in", this_system == System::windows ? "p^q.csv" : "p\\q.csv",
         "Wheat MET 2019\n" + wide,
         this_system == System::windows
             ? "Line 2 of \"p^q.csv\" names the columns; the lines above it are not part of the "
               "table. To read it: clustmat --skip 1 --columns genotype,year,location,rep,yield "
               "\"p^q.csv\"\n"
             : "Line 2 of \"p\\q.csv\" names the columns; the lines above it are not part of the "
               "table. To read it: clustmat --skip 1 --columns genotype,year,location,rep,yield "
               "'p\\q.csv'\n"},
        {"a short title", "t.csv", "Wheat MET 2019\n" + wide,
         "Line 2 of \"t.csv\" names the columns; the lines above it are not part of the table. To "
         "read it: clustmat --skip 1 --columns genotype,year,location,rep,yield t.csv\n"},
        {"a title padded with separators and a note", "my trial.csv",
         "Wheat MET 2019,,,,,,,\nsown in October,,,,,,,\n\n" + wide,
         "Line 4 of \"my trial.csv\" names the columns; the lines above it are not part of the "
         "table. To read it: clustmat --skip 3 --columns genotype,year,location,rep,yield \"my "
         "trial.csv\"\n"},
        {"a title with a comma, five columns named out of the classic order", "t.csv",
         "Table 3. Grain yield of wheat lines, 2019\nyear,loc,rep,gen,yield\n2019,Tai'an,R1,Jimai "
         "22,7.8\n2019,Tai'an,R1,Zhoumai 18,8.4\n2019,Yangling,R2,Jimai 22,6.1\n2020,Tai'an,R2,"
         "Zhoumai 18,5\n",
         "Line 2 of \"t.csv\" names the columns; the lines above it are not part of the table. To "
         "read it: clustmat --skip 1 t.csv\n"},
        {"a tab file of eight columns, names as codes", "t.txt",
         rows("plot\tgenotype\tyear\tlocation\trep\tyield\theight\theading", "\t", true),
         "\"t.txt\" has 8 columns; name the five to analyse with --columns: clustmat --columns "
         "genotype,year,location,rep,yield t.txt\n"},
        // Titles of four to seven words: the one of five, split at blanks as
        // the tab header under it is, is no header either.
        {"a title of four words above a tab file", "t.txt", "Wheat MET trial lines\n" + tab,
         "Record 1 of \"t.txt\": the variety code \"year\" is not a whole number." + below},
        {"a title of five words above a tab file", "t.txt", "Wheat MET trial of lines\n" + tab,
         "Record 1 of \"t.txt\": the variety code \"gen\" is not a whole number." + below},
        {"a title of six words above a tab file", "t.txt",
         "Grain yield of wheat lines Henan\n" + tab,
         "Record 1 (line 1) of \"t.txt\": the variety code \"Henan\" is not a whole number." +
             below},
        {"a title of seven words above a tab file", "t.txt",
         "Grain yield of wheat lines in Henan\n" + tab,
         "Record 1 (line 1) of \"t.txt\": the variety code \"in\" is not a whole number." + below},
        {"a title of five words above a comma header", "t.csv",
         "Wheat MET trial of lines\n" + rows("gen,year,loc,block,yield", ",", false),
         "Line 2 of \"t.csv\" names the columns; the lines above it are not part of the table. To "
         "read it: clustmat --skip 1 t.csv\n"},
        {"a title of five words above a semicolon header", "t.csv",
         "Wheat MET trial of lines\n" + semicolons,
         "Line 2 of \"t.csv\" names the columns; the lines above it are not part of the table. To "
         "read it: clustmat --skip 1 t.csv\n"},
        {"a title above a tab file", "t.txt",
         "Table 3. Grain yield of wheat lines, 2019\n" +
             rows("gen\tyear\tloc\tblock\tyield", "\t", false),
         "Record 1 (line 1) of \"t.txt\": the variety code \"wheat\" is not a whole number.\nLine "
         "2 names "
         "the columns of a table; to read it so: clustmat --skip 1 --columns "
         "gen,year,loc,block,yield t.txt\n"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.what);
        RunSetup refused{.args = {"--layout", "1", file.name}, .files = {{file.name, file.data}}};
        if (file.name.starts_with('-')) refused.args.insert(refused.args.end() - 1, "--");
        expect_runs({{"refused", refused, {1, file.message, {{file.name, file.data}}, true}}});
        RunSetup suggested = refused;
        suggested.args = suggested_command(file.message);
        suggested.args.insert(suggested.args.begin(), {"--layout", "1"});
        const std::string matrix_name = file.name.substr(0, file.name.size() - 4) + ".DIS";
        expect_runs({{"as suggested", suggested, {0, "", {{matrix_name, matrix}}}}});
    }
}

// A table saved with tabs or blanks whose header names the design's
// columns reads with no options, as R's read.delim would take it, at the
// prompt too; one column of numbers besides them is the trait.
TEST(SavedFiles, TablesThatNameTheirRolesReadWithNoOptions) {
    const std::vector<Plot> plots = {
        {"Jimai 22", "2019", "Tai'an", "R1", "7.8"},
        {"Zhoumai 18", "2019", "Tai'an", "R1", "8.4"},
        {"Jimai 22", "2019", "Yangling", "R2", "6.1"},
        {"Zhoumai 18", "2020", "Tai'an", "R2", "5"},
        {"Jimai 22", "2019", "Tai'an", "R2", "7"},
    };
    // The fields of each plot in the order of `header`, joined by `separator`.
    auto text = [&](const std::string& header, const std::string& separator, bool quoted,
                    bool joined_names) {
        std::string out;
        std::vector<std::string> names;
        for (std::size_t at = 0, end; at != std::string::npos;
             at = end == std::string::npos ? end : end + 1) {
            end = header.find(' ', at);
            names.push_back(header.substr(at, end == std::string::npos ? end : end - at));
        }
        auto line = [&](auto field) {
            for (std::size_t i = 0; i < names.size(); ++i)
                out += (i ? separator : "") + field(names[i]);
            out += "\n";
        };
        line([&](const std::string& name) { return quoted ? '"' + name + '"' : name; });
        for (const Plot& p : plots)
            line([&](const std::string& name) {
                std::string value = name == "gen"     ? p.variety
                                    : name == "loc"   ? p.location
                                    : name == "block" ? p.block
                                    : name == "note"  ? "sown late"
                                    : name == "year"  ? p.year
                                                      : p.trait;
                if (joined_names) std::replace(value.begin(), value.end(), ' ', '_');
                const bool is_text = name != "year" && name != "yield";
                return quoted && is_text ? '"' + value + '"' : value;
            });
        return out;
    };
    std::vector<Plot> joined = plots;
    for (Plot& p : joined) std::replace(p.variety.begin(), p.variety.end(), ' ', '_');
    const std::string matrix = reference_matrix(plots, 1, true);
    auto reads = [](const char* what, const std::string& data, const std::string& expected) {
        return RunCase{what,
                       {.args = {"--layout", "1", "t.txt"}, .files = {{"t.txt", data}}},
                       {0, "", {{"t.DIS", expected}}}};
    };
    const std::string tab = text("gen year loc block yield", "\t", false, false);
    expect_runs({
        reads("five columns, tabs", tab, matrix),
        reads("five columns, tabs, texts quoted as R writes them",
              text("gen year loc block yield", "\t", true, false), matrix),
        reads("five columns, blanks", text("gen year loc block yield", " ", false, true),
              reference_matrix(joined, 1, true)),
        reads("the trait first", text("yield gen year loc block", "\t", false, false), matrix),
        reads("a sixth column of text", text("gen year loc block yield note", "\t", true, false),
              matrix),
        {"at the prompt",
         {.input = "t.txt\n1\n", .files = {{"t.txt", tab}}},
         {0, "", {{"t.DIS", matrix}}}},
    });
}

// Where the names don't say which column is which, the message lists the
// columns with their numbers, and names no command it can't be sure of.
TEST(SavedFiles, NamesThatSayTooLittleAreListedWithTheirNumbers) {
    auto refused = [](const char* what, const std::string& data, const std::string& message) {
        return RunCase{what,
                       {.args = {"--layout", "1", "t.csv"}, .files = {{"t.csv", data}}},
                       {1, message, {{"t.csv", data}}, true, "", {}, 0, {}, true}};
    };
    expect_runs({
        refused("no column named yield",
                "gen,year,loc,rep,grain,plant height,note\nA,1,L,1,5.2,80,x\n",
                "\"t.csv\" has 7 columns; name the five to analyse with --columns: clustmat "
                "--columns gen,year,loc,rep,TRAIT t.csv (TRAIT: the trait to analyse, a column's "
                "name or number; its columns of numbers are 5 \"grain\", 6 \"plant height\")\n"),
        refused("names in GBK, a name with a comma, an escape in a name",
                "gen,year,loc,\"rep, block\",yield,\x1b[31m,\xd6\xea\n1,1,1,1,5,6,7\n",
                "\"t.csv\" has 7 columns; name the five to analyse with --columns: clustmat "
                "--columns V,Y,L,B,T t.csv (V,Y,L,B,T: the variety, year, location, block and "
                "trait value, each a column's name or number; its columns are 1 \"gen\", 2 "
                "\"year\", 3 \"loc\", 4 \"rep, block\", 5 \"yield\", 6 \"\\x1b[31m\", 7 "
                "\"\xd6\xea\")\n"),
        refused("a role's name on two columns", "gen,gen,year,loc,rep,yield\nA,B,1,L,1,5\n",
                "\"t.csv\" has 6 columns; name the five to analyse with --columns: clustmat "
                "--columns V,Y,L,B,T t.csv (V,Y,L,B,T: the variety, year, location, block and "
                "trait value, each a column's name or number; its columns are 1 \"gen\", 2 "
                "\"gen\", 3 \"year\", 4 \"loc\", 5 \"rep\", 6 \"yield\")\n"),
        refused("a quote left open in the header", "gen,\"year,loc,rep,yield\nA,1,L,1,2\n",
                "Line 1 of \"t.csv\", its header: a field in double quotes has no closing quote "
                "before the end of the line, or text follows its closing quote.\n"),
        refused("records of the wrong length", "gen,year,loc,rep,yield\nA,1,L,1,2,3,4\n",
                "Line 2 of \"t.csv\": the record has 7 fields, but the header names 5 columns: "
                "every record must have 5, or one more when records begin with a row name or end "
                "with a separator.\n"),
        {"--skip of every line",
         {.args = {"--skip", "1", "--layout", "1", "t.csv"}, .files = {{"t.csv", "g,y,l,b,t\n"}}},
         {1, "\"t.csv\" holds nothing to read after the 1 line that --skip names.\n"}},
    });
}

} // namespace
