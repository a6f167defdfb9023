// Names from a Chinese spreadsheet's CSV reach the picture as characters,
// decided by the file's own texts: the data file's name, which the system
// gives, neither makes them GBK nor keeps them from it.
#include "gbk.h"
#include "run_program.h"
#include "svg_check.h"

#include <gtest/gtest.h>

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

TEST(TreeNames, AreTheFilesCharactersWhateverItsName) {
    // 山农28's GBK bytes happen to be valid UTF-8 of other characters: the
    // file's other names make it GBK.
    const struct {
        const char* what;
        std::string file, data, title;
        std::vector<std::string> varieties = {"济麦22", "山农28", "G3"};
        std::string column = "Y1+L1"; // the heat map's first
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RunResult run = run_clustmat({.args = {"--tree", "--layout", "1", c.file},
                                      .files = {{c.file, c.data}},
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
