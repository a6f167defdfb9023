// Names from a Chinese or a Western European spreadsheet's CSV reach the
// picture as characters, in the code page decided by the file's own texts
// and the system's language, or by --encoding: the data file's name, which
// the system gives, neither makes them GBK nor keeps them from it.
#include "base/utf8.h"
#include "gbk.h"
#include "run_program.h"
#include "svg_check.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

std::string trial(const std::string& trait, const std::vector<std::string>& varieties,
                  const std::string& location = "L1") {
    std::string text = "gen,year,loc,rep," + trait + "\n";
    int value = 3;
    for (const std::string& variety : varieties)
        for (const std::string& place :
             std::vector<std::string>{"1," + location, "1,L2", "2," + location, "2,L2"})
            text += variety + "," + place + ",1," + std::to_string(value++ % 7) + "\n";
    return text;
}

// Latin-1 letters, written here in UTF-8, as Windows-1252 bytes.
std::string w1252(const std::string& utf8) {
    std::string bytes;
    for (std::size_t at = 0; at < utf8.size();)
        bytes += static_cast<char>(next_code_point(utf8, at));
    return bytes;
}

TEST(TreeNames, AreTheFilesCharactersWhateverItsName) {
    // 山农28's GBK bytes happen to be valid UTF-8 of other characters: the
    // file's other names make it GBK.
    const std::vector<std::string> european_names = {"Jäger", "Großglück", "Bärbel"};
    const std::string european = w1252(trial("Höhe", european_names, "Øland"));
    const struct {
        const char* what;
        std::string file, data, title;
        std::vector<std::string> varieties = {"济麦22", "山农28", "G3"};
        std::string column = "Y1+L1"; // the heat map's first
        std::vector<std::string> options = {};
        std::map<std::string, std::string> environment = {{"LC_ALL", "C"}};
    } cases[] = {
        {"GBK names in a file of a UTF-8 name", "小麦.csv",
         gbk(trial("产量", {"济麦22", "山农28", "G3"})), "小麦.csv — 产量"},
        {"UTF-8 names in a file of a name that is no UTF-8", "t\xB6.csv",
         trial("产量", {"济麦22", "山农28", "G3"}), "t\uFFFD.csv — 产量"},
        {"GBK locations alone",
         "w.csv",
         gbk(trial("yield", {"A", "B"}, "泰安")),
         "w.csv — yield",
         {"A", "B"},
         "Y1+泰安"},
        {"Windows-1252 names", "w.csv", european, "w.csv — Höhe", european_names, "Y1+Øland"},
        {"Windows-1252 names on a Chinese system, whose GBK has each pair of them",
         "w.csv",
         european,
         "w.csv — H鰄e",
         {"J鋑er", "Gro遟l點k", "B鋜bel"},
         "Y1+豯and",
         {},
         {{"LC_ALL", "zh_CN.GBK"}}},
        {"Windows-1252 names for the Chinese console",
         "w.csv",
         european,
         "w.csv — H鰄e",
         {"J鋑er", "Gro遟l點k", "B鋜bel"},
         "Y1+豯and",
         {"c"}},
        {"Windows-1252 names on a Chinese system, as asked",
         "w.csv",
         european,
         "w.csv — Höhe",
         european_names,
         "Y1+Øland",
         {"--encoding", "windows-1252"},
         {{"LANG", "zh_CN"}}},
        {"ÄÖ, which GB2312 has as one character",
         "w.csv",
         w1252(trial("yield", {"ÄÖ", "B"})),
         "w.csv — yield",
         {"闹", "B"}},
        {"ÄÖ as asked",
         "w.csv",
         w1252(trial("yield", {"ÄÖ", "B"})),
         "w.csv — yield",
         {"ÄÖ", "B"},
         "Y1+L1",
         {"--encoding=Windows-1252"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"--tree", "--layout", "1", c.file});
        RunResult run = run_clustmat({.args = args,
                                      .files = {{c.file, c.data}},
                                      .environment = c.environment,
                                      .only_on = System::posix});
        if (!run.skipped.empty()) continue;
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string svg = run.raw_files[c.file.substr(0, c.file.size() - 4) + ".tree.svg"];
        ASSERT_EQ(check_svg(svg), "");
        std::string problem;
        const XmlElement root = parse_xml(svg, problem).value_or(XmlElement{});
        std::set<std::string> shown;
        for (const XmlElement& label : element_with_id(root, "labels")->children)
            shown.insert(label.text);
        EXPECT_EQ(shown, std::set<std::string>(c.varieties.begin(), c.varieties.end()));
        EXPECT_EQ(element_with_id(root, "title")->children.at(0).text, c.title);
        EXPECT_EQ(element_with_id(root, "heat-columns")->children.at(0).text, c.column);
    }
}

} // namespace
