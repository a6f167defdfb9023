// The console dialogue up to the open data file: language, texts, refusals.
#include "gbk.h"
#include "run_program.h"

#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace {

const std::string refusal = "\nExit this program and input correct file name again.\n\n";
const std::string banner_en =
    "\n  Input your file for reading mating design and trait data.\n  File "
    "should include five design columns and otheir trait columns:\n "
    "(1)Variety, (2)Year, (3)Location,  (4)Block.\n\n\n";
const std::string opened = "\n File has been oppened ! \n";
const std::string banner_title[] = {
    "\n  clustmat: cluster matrices from multi-environment crop trials\n"
    "  ------------------------------------------------------------\n",
    gbk("\n  clustmat: 多环境作物试验的聚类矩阵\n  ----------------------------------\n")};

// A missing file and a closed standard input: the shortest whole dialogue,
// each stream's texts byte for byte.
TEST(Console, LanguageComesOnlyFromAnArgumentThatIsExactlyC) {
    const std::string prompt[] = {"\n Input Name of Your Data File:  ",
                                  gbk("\n 请输入数据文件名:  ")};
    const std::string err[] = {
        banner_en + "\n File can't be oppened! \n Creat a new one? Y/N  " + refusal + closing_en,
        gbk("\n  请输入您的数据文件名.\n  文件应包括试验设计以及分析性状的数据.\n  "
            "试验设计的四列是:"
            "(1)品种, (2)年份, (3)试点, (4)区组.\n\n\n\n 数据文件不存在! \n  是否要新建数据文件? "
            "是Y/否N  ") +
            refusal +
            gbk("\n您的数据太大了, 无法在DOS系统中分析!\n\n您需要在UNIX系统中运行统计分析软件!\n"
                "...无法执行软件. 退回DOS系统...\n")};
    std::vector<RunCase> cases;
    for (const auto& [args, chinese] :
         std::vector<std::pair<std::vector<std::string>, int>>{{{}, 0},
                                                               {{"c"}, 1},
                                                               {{"C"}, 1},
                                                               {{"--cells", "last", "c"}, 1},
                                                               {{"c", "--cells=last"}, 1},
                                                               {{"--output", "c"}, 0}})
        cases.push_back({std::to_string(args.size()) + " arguments, ending " +
                             (args.empty() ? "" : args.back()),
                         {.args = args},
                         {.status = 1,
                          .err_holds = banner_title[chinese] + err[chinese],
                          .nothing_else = true,
                          .out_holds = prompt[chinese],
                          .whole_err = true}});
    expect_runs(cases);
}

// Answers waiting on standard input stay unread: nothing is created.
TEST(Console, HelpAndVersionAnswerWithoutTheDialogue) {
    const std::string answers = "t.dat\ny\n1 1 1 1\n1\n",
                      usage = "Usage: clustmat [c|C] [--columns V,Y,L,B,T";
    const std::string version = "clustmat " CLUSTMAT_VERSION "\n";
    expect_runs({
        {"--help", {.args = {"--help"}, .input = answers}, {0, "", {}, true, usage}},
        {"-h", {.args = {"-h"}, .input = answers}, {0, "", {}, true, usage}},
        {"in Chinese",
         {.args = {"--help", "c"}, .input = answers},
         {0, "", {}, true, gbk("用法: clustmat [c|C] [--columns V,Y,L,B,T")}},
        {"--version", {.args = {"c", "--version"}, .input = answers}, {0, "", {}, true, version}},
        {"the first of two", {.args = {"--version", "--help"}}, {0, "", {}, true, version}},
        {"standard output on a full disk",
         {.args = {"--help"}, .input = answers, .file_size = 10},
         {1, "", {}, true}},
    });
}

// A UTF-8 terminal shows GBK bytes as garbage; a pipe or a file must keep
// them, whatever the locale. A typed name is written as typed either way.
TEST(Console, ChineseTextsReachAUtf8TerminalAsUtf8) {
    auto in = [](const char* locale, bool terminal, const std::string& name) {
        return RunSetup{.args = {"c"},
                        .input = name + ".dat\n1\n",
                        .files = {{name + ".dat", data_header + "1 1 1 1 3\n2 1 1 1 5\n"}},
                        .environment = {{"LC_ALL", locale}},
                        .on_terminal = terminal};
    };
    auto notice = [](const std::string& name, bool utf8) {
        auto shown = [&](const std::string& text) { return utf8 ? text : gbk(text); };
        return shown("\n 聚类矩阵已写入 ") + name + ".DIS" + shown(": 1 行, 2 列.\n");
    };
    expect_runs({
        {"a UTF-8 terminal",
         in("C.UTF-8", true, "小麦"),
         {.status = 0, .out_holds = notice("小麦", true)}},
        {"a terminal of an ASCII locale",
         in("C", true, "小麦"),
         {.status = 0, .out_holds = notice("小麦", false)}},
        {"a pipe, whatever the locale", in("C.UTF-8", false, "wheat"), {0, notice("wheat", false)}},
        // A refusal is put together from pieces before it is written.
        {"a refusal on a UTF-8 terminal",
         {.args = {"c", "--layout", "1", "小麦.csv"},
          .files = {{"小麦.csv", "gen,year,loc,rep,产量\nA,1,L,1,abc\n"}},
          .environment = {{"LC_ALL", "C.UTF-8"}},
          .on_terminal = true},
         {.status = 1,
          .out_holds = "\"小麦.csv\" 第 2 行: 性状值 (列 \"产量\") \"abc\" 不是数值."}},
        // A Chinese user who copies the suggested command keeps the Chinese.
        {"a suggested command",
         {.args = {"c", "--layout", "1", "w.csv"},
          .files = {{"w.csv", "plot,gen,year,loc,rep,yield\n1,A,1,L,1,7\n"}},
          .environment = {{"LC_ALL", "C.UTF-8"}},
          .on_terminal = true},
         {.status = 1, .out_holds = "clustmat c --columns gen,year,loc,rep,yield w.csv"}},
    });
}

// A path of `length` characters: folders of 50 letters, then a data file.
std::string long_path(std::size_t length) {
    std::string path;
    while (path.size() + 60 < length) path += std::string(50, char('a' + path.size() % 26)) + '/';
    return path + std::string(length - path.size() - 4, 'n') + ".dat";
}

TEST(Console, RefusalsAndNamesAsTheyArePasted) {
    const std::string data = data_header + "1 1 1 1 7\n";
    auto with = [&](std::string input, System only_on = System::any) {
        return RunSetup{.input = std::move(input), .files = {{"d.dat", data}}, .only_on = only_on};
    };
    const Expected refused{1, refusal + closing_en, {{"d.dat", data}}, true};
    const std::string matrix = "ClustID\tG1\nY1+L1\t0\n";
    const Expected opened{0, "\n File has been oppened ! \n", {{"d.dat", data}, {"d.DIS", matrix}}};
    // Windows takes 260 characters, or 32767 where long paths are enabled.
    auto too_long = [&](const std::string& limit) {
        return Expected{1, limit + ", the longest this system takes.", {{"d.dat", data}}, true};
    };
    auto far = [&](std::size_t length, System only_on) {
        return RunSetup{.input = long_path(length) + "\n1\n",
                        .files = {{long_path(length), data}},
                        .only_on = only_on};
    };
    RunSetup quotes_in_name = with("\"q.dat\"\n1\n", System::posix);
    quotes_in_name.files = {{"\"q.dat\"", data}, {"q.dat", "not this one"}};
    RunSetup chinese = with(std::string(5000, 'x') + "\n", System::posix);
    chinese.args = {"c"};
    expect_runs({
        {"answer n", with("x.dat\nn\n"), refused},
        {"just Enter takes one more key",
         with("x.dat\n\nq\n"),
         {1, refusal, {{"d.dat", data}}, true, "", "\n"}},
        {"an empty name", with("\n\n"), refused},
        {"a name in quotes is an empty name", with("\"\"\nn\n"), refused},
        {"a CR LF line end", with("d.dat\r\n1\n"), opened},
        {"blanks after the name", with("d.dat \t \n1\n"), opened},
        {"copied as a path", with("\"d.dat\"  \n1\n"), opened},
        {"dragged into a Linux terminal", with("'d.dat' \n1\n", System::posix), opened},
        {"a name that has its quotes", quotes_in_name, {0, "", {{"\"q..DIS", matrix}}}},
        {"a trailing dot, which Windows drops", with("d.dat.\n1\n", System::windows), opened},
        {"a path of 300 characters", far(300, System::posix), {0, "\n File has been oppened ! \n"}},
        {"a path of 100 characters",
         far(100, System::windows),
         {0, "\n File has been oppened ! \n"}},
        {"longer than the system takes", with(std::string(5000, 'x') + "\ny\n", System::posix),
         too_long("\nThe file name is longer than 4096 bytes")},
        {"longer than Windows takes", with(std::string(33000, 'x') + "\ny\n", System::windows),
         too_long(" characters")},
        {"the length in the console's language",
         chinese,
         {1, gbk("\n文件名超过 4096 字节, 系统不接受这样长的文件名."), {{"d.dat", data}}, true}},
    });
}

// Chinese names reach the file as characters: from the command line (on
// Windows read as UTF-16 whatever the code pages), and typed into a pipe as
// bytes of the system's code page (GBK under a Chinese locale, which is also
// how Wine names the file on the disk then).
TEST(Console, ChineseFileNamesReachTheirFiles) {
    const std::string data = data_header + "1 1 1 1 3\n2 1 1 1 5\n";
    const std::string matrix = "ClustID\tG1\tG2\nY1+L1\t-1\t1\n";
    const std::map<std::string, std::string> gbk_locale = {{"LC_ALL", "zh_CN.GBK"},
                                                           {"LANG", "zh_CN.GBK"}};
    expect_runs({
        {"on the command line",
         {.args = {"--layout", "1", "小麦2025.dat"}, .files = {{"小麦2025.dat", data}}},
         {0, "", {{"小麦2025.DIS", matrix}}}},
        {"through a pipe in GBK",
         {.input = gbk("小麦2025.dat") + "\n1\n",
          .files = {{gbk("小麦2025.dat"), data}},
          .environment = gbk_locale},
         {0,
          "\n Matrix file " + gbk("小麦2025.DIS") + " written",
          {{gbk("小麦2025.DIS"), matrix}}}},
    });
}

// A command-line fault is one line and status 2, before anything is read
// or written: the answers waiting on standard input stay unread.
TEST(Console, CommandLineFaultsEndTheRunBeforeItStarts) {
    const std::string answers = "d.dat\n1\n", data = data_header + "1 1 1 1 3\n";
    auto refused = [&](std::vector<std::string> args, const std::string& problem) {
        return RunCase{problem,
                       {.args = std::move(args), .input = answers, .files = {{"d.dat", data}}},
                       {2,
                        "clustmat: " + problem + ". Try clustmat --help.\n",
                        {{"d.dat", data}},
                        true,
                        "",
                        answers}};
    };
    expect_runs({
        refused({"--layuot", "1"}, "unknown option \"--layuot\""),
        refused({"-x"}, "unknown option \"-x\""),
        // In Chinese, whichever comes first, the fault or the c.
        {"in Chinese",
         {.args = {"--layout", "4", "c"}, .input = answers, .files = {{"d.dat", data}}},
         {2,
          gbk("clustmat: --layout 只能取 1, 2 或 3, 不能是 \"4\". 请参阅 clustmat c --help.\n"),
          {{"d.dat", data}},
          true,
          "",
          answers}},
        refused({"--layout", "4"}, "--layout takes 1, 2 or 3, not \"4\""),
        refused({"--layout=1", "--cells=median"}, "--cells takes last or mean, not \"median\""),
        refused({"--columns", "gen,year,,rep,yield"},
                "--columns takes four or more column names or numbers separated by commas, not "
                "\"gen,year,,rep,yield\""),
        refused({"d.dat", "--output"}, "the option --output needs a value"),
        refused({"--output="}, "the option --output needs a value"),
        refused({"d.dat", "e.dat"}, "a second data file \"e.dat\" after \"d.dat\""),
        refused({"--decimal", "dot"}, "--decimal takes comma or point, not \"dot\""),
        refused({"--encoding", "latin1", "d.dat"},
                "--encoding takes utf-8, gbk or windows-1252, not \"latin1\""),
        refused({"--encoding=", "d.dat"}, "--encoding takes utf-8, gbk or windows-1252, not \"\""),
        refused({"--encoding=GBK", "--encoding", "gbk", "d.dat"},
                "the option --encoding is given twice"),
        refused({"--skip", "-1"},
                "--skip takes a number of lines from 0 to 2147483647, not \"-1\""),
        refused({"--columns", "1,2,3,4,5", "--layout", "1", "--columns=1,2,3,4,6", "d.dat"},
                "the option --columns is given twice"),
        refused({"--layout=1", "--layout", "1", "d.dat"}, "the option --layout is given twice"),
        refused({"--method", "ward", "d.dat"}, "the option --method is for --tree, not given"),
        refused({"--groups=3", "--layout", "1", "d.dat"},
                "the option --groups is for --tree, not given"),
        refused({"--min-rows", "1", "d.dat"}, "the option --min-rows is for --tree, not given"),
        refused({"--tree", "--method", "centroid", "d.dat"},
                "--method takes ward, average, complete or single, not \"centroid\""),
        refused({"--tree", "--groups", "0", "d.dat"},
                "--groups takes a number of groups from 1 to 2147483647, not \"0\""),
        refused({"--tree", "--min-rows", "two", "d.dat"},
                "--min-rows takes a number of rows from 1 to 2147483647, not \"two\""),
        refused({"--tree", "--tree", "d.dat"}, "the option --tree is given twice"),
        refused({"--threads", "0", "d.dat"},
                "--threads takes a number of threads from 1 to 2147483647, not \"0\""),
        refused({"--threads=two", "d.dat"},
                "--threads takes a number of threads from 1 to 2147483647, not \"two\""),
        refused({"--fill", "none", "d.dat"}, "the option --fill is for --tree, not given"),
        refused({"--centre", "d.dat"}, "the option --centre is for --tree, not given"),
        refused({"--scale", "d.dat"}, "the option --scale is for --tree, not given"),
        refused({"--mojena=3", "d.dat"}, "the option --mojena is for --tree, not given"),
        refused({"--tree", "--fill", "em", "d.dat"}, "--fill takes additive or none, not \"em\""),
        refused({"--tree", "--scale", "--scale", "d.dat"}, "the option --scale is given twice"),
        refused({"--tree", "--mojena", "0", "d.dat"}, "--mojena takes a number above 0, not \"0\""),
        refused({"--tree", "--mojena", "inf", "d.dat"},
                "--mojena takes a number above 0, not \"inf\""),
        refused({"--tree", "--mojena", "2,5", "d.dat"},
                "--mojena takes a number above 0, not \"2,5\""),
        refused({"--tree", "--mojena", "2.75", "--groups", "3", "d.dat"},
                "--mojena sets Mojena's rule, which --groups replaces: give one of them"),
    });
}

// The command line answers what the dialogue would ask: with a data file
// and a layout the run reads nothing from standard input. A data file named
// there makes a script's run, quiet but for what it must say: no banner
// unless something is still asked, no notice that the file was opened, no
// closing lines after an error.
TEST(Console, TheCommandLineAnswersTheDialogue) {
    const std::string data = data_header + "1 1 1 1 3\n2 1 1 1 5\n";
    const std::string matrix = "ClustID\tG1\tG2\nY1+L1\t-1\t1\n";
    const std::string menu = " Input 3 for Location, and Variety * Year\n";
    auto run = [&](std::vector<std::string> args, std::string input = "") {
        return RunSetup{.args = std::move(args),
                        .input = std::move(input),
                        .files = {{"d.dat", data}, {"-d.dat", data}}};
    };
    auto notice = [](const std::string& name) {
        return "\n Matrix file " + name + " written: 1 rows, 2 columns.\n";
    };
    auto wrote = [&](const std::string& name, const std::string& err, const std::string& out,
                     std::string unread) {
        return Expected{0, err, {{name, matrix}}, false, out, std::move(unread), 0, {}, true};
    };
    expect_runs({
        {"a data file and a layout", run({"--layout", "1", "d.dat"}, "x\n"),
         wrote("d.DIS", notice("d.DIS"), "", "x\n")},
        {"a data file: the menu is still asked", run({"d.dat"}, "1\n"),
         wrote("d.DIS", banner_title[0] + banner_en + notice("d.DIS"), menu, "\n")},
        {"a layout: the name is still asked", run({"--layout=1"}, "d.dat\n"),
         wrote("d.DIS", banner_title[0] + banner_en + opened + notice("d.DIS"),
               "\n Input Name of Your Data File:  ", "")},
        {"a name that starts with -", run({"--layout", "1", "--", "-d.dat"}),
         wrote("-d.DIS", notice("-d.DIS"), "", "")},
        {"a matrix file of its own name", run({"--output", "out.txt", "--layout", "1", "d.dat"}),
         wrote("out.txt", notice("out.txt"), "", "")},
        {"a folder for the matrix file", run({"--output", ".", "--layout", "1", "d.dat"}),
         wrote("d.DIS", notice("./d.DIS"), "", "")},
        {"a missing data file: no template is offered",
         run({"--layout", "1", "new.dat"}, "y\n1\n1\n1\n1\n"),
         {.status = 1,
          .err_holds = "\nCan't open the data file \"new.dat\": No such file or directory\n",
          .unread_input = "y\n1\n1\n1\n1\n",
          .whole_err = true}},
        {"the matrix file may not be the data file",
         run({"--output", "d.dat", "--layout", "1", "d.dat"}),
         {.status = 1,
          .err_holds = "\nThe matrix file \"d.dat\" would replace the data file \"d.dat\". "
                       "Choose another --output.\n",
          .files = {{"d.dat", data}},
          .whole_err = true}},
        {"an error in a run that asks for the layout",
         run({"d.dat"}, "4\n"),
         {.status = 1,
          .err_holds = banner_title[0] + banner_en + "No such case. exit program.\n",
          .files = {{"d.dat", data}, {"-d.dat", data}},
          .nothing_else = true,
          .out_holds = menu + "NO SUCH case!",
          .whole_err = true}},
    });
}

TEST(Console, DevicesAndPipesAreNoDataFiles) {
    auto refused = [](const std::string& name) {
        return Expected{
            1, "\n\"" + name + "\" is a device, pipe or socket, not a data file.\n", {}, true};
    };
    std::vector<RunCase> cases = {
        {"a FIFO waits for a writer",
         {.input = "p.dat\n1\n",
          .prepare = [](const std::string& folder) { mkfifo((folder + "/p.dat").c_str(), 0600); },
          .only_on = System::posix},
         refused("p.dat")},
        {"/dev/zero never ends",
         {.input = "/dev/zero\n1\n", .only_on = System::posix},
         refused("/dev/zero")}};
    // COM1 waits on its port; the names count in any folder, in any case,
    // with or without an extension.
    for (std::string name : {"COM1", "nul", "Con.dat", "sub\\lpt9.txt"})
        cases.push_back(
            {name, {.input = name + "\n1\n", .only_on = System::windows}, refused(name)});
    expect_runs(cases);
}

} // namespace
