// The console dialogue up to the open data file: language, texts, refusals.
#include "gbk.h"
#include "run_program.h"

#include <gtest/gtest.h>

namespace {

// A missing file and a closed standard input: the shortest whole dialogue,
// checked byte for byte on both streams.
TEST(Console, LanguageComesOnlyFromAnArgumentThatIsExactlyC) {
    const std::string banner[] = {
        "\n  Input your file for reading mating design and trait data."
        "\n  File should include five design columns and otheir trait columns:"
        "\n (1)Variety, (2)Year, (3)Location,  (4)Block.\n\n\n",
        gbk("\n  请输入您的数据文件名.\n  文件应包括试验设计以及分析性状的数据."
            "\n  试验设计的四列是:(1)品种, (2)年份, (3)试点, (4)区组.\n\n\n")};
    const std::string prompt[] = {"\n Input Name of Your Data File:  ",
                                  gbk("\n 请输入数据文件名:  ")};
    const std::string question[] = {"\n File can't be oppened! \n Creat a new one? Y/N  ",
                                    gbk("\n 数据文件不存在! \n  是否要新建数据文件? 是Y/否N  ")};
    const std::string closing[] = {closing_en, gbk("\n您的数据太大了, 无法在DOS系统中分析!\n"
                                                   "\n您需要在UNIX系统中运行统计分析软件!\n"
                                                   "...无法执行软件. 退回DOS系统...\n")};
    const std::string refusal = "\nExit this program and input correct file name again.\n\n";

    const std::pair<std::vector<std::string>, int> cases[] = {
        {{}, 0},     {{"c"}, 1},       {{"C"}, 1},  {{"x", "c"}, 1}, {{"c", "x"}, 1},
        {{"cc"}, 0}, {{"chinese"}, 0}, {{"-c"}, 0}, {{"y"}, 0},
    };
    for (const auto& [args, chinese] : cases) {
        RunResult run = run_clustmat({.args = args});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, prompt[chinese]);
        const std::string tail = banner[chinese] + question[chinese] + refusal + closing[chinese];
        ASSERT_GE(run.err.size(), tail.size());
        EXPECT_EQ(run.err.substr(run.err.size() - tail.size()), tail) << args.size();
    }
}

// Answers waiting on standard input must stay unread: no banner, no file.
TEST(Console, HelpAndVersionAnswerWithoutTheDialogue) {
    const std::string version = "clustmat " CLUSTMAT_VERSION "\n",
                      usage = "Usage: clustmat [c|C]\n";
    const struct {
        std::vector<std::string> args;
        std::optional<unsigned long> file_size;
        int status;
        std::string out_starts;
    } cases[] = {
        {{"--help"}, {}, 0, usage},           {{"-h"}, {}, 0, usage},
        {{"c", "--version"}, {}, 0, version}, {{"x", "--version", "--help"}, {}, 0, version},
        {{"--help"}, 10, 1, "Usage: cl"}, // standard output on a full disk
    };
    for (const auto& c : cases) {
        RunResult run = run_clustmat(
            {.args = c.args, .input = "t.dat\ny\n1 1 1 1\n1\n", .file_size = c.file_size});
        if (!run.skipped.empty()) continue;
        EXPECT_EQ(run.status, c.status) << c.args.back();
        EXPECT_EQ(run.out.substr(0, c.out_starts.size()), c.out_starts);
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(run.files.empty());
    }
}

// A UTF-8 terminal shows GBK bytes as garbage; a pipe or a file must keep
// them, whatever the locale. A typed name is shown as typed either way.
TEST(Console, ChineseTextsReachAUtf8TerminalAsUtf8) {
    const struct {
        const char* what;
        bool terminal;
        const char* locale;
        bool utf8;
    } cases[] = {
        {"UTF-8 terminal", true, "C.UTF-8", true},
        {"terminal of an ASCII locale", true, "C", false},
        {"pipe with a UTF-8 locale", false, "C.UTF-8", false},
    };
    for (const auto& c : cases) {
        const RunSetup setup{.args = {"c"},
                             .input = "小麦.dat\n1\n",
                             .files = {{"小麦.dat", data_header + "1 1 1 1 3\n2 1 1 1 5\n"}},
                             .environment = {{"LC_ALL", c.locale}}};
        RunResult run = c.terminal ? run_on_terminal(setup) : run_clustmat(setup);
        if (!run.skipped.empty()) continue;
        auto shown = [&](const std::string& text) { return c.utf8 ? text : gbk(text); };
        const std::string expected[] = {
            shown("\n  请输入您的数据文件名.\n  文件应包括试验设计以及分析性状的数据."),
            shown("\n 请输入数据文件名:  "),
            shown("\n 聚类矩阵已写入 ") + "小麦.DIS" + shown(": 1 行, 2 列.\n"),
        };
        EXPECT_EQ(run.status, 0) << c.what;
        for (const auto& text : expected)
            EXPECT_NE((run.out + run.err).find(text), std::string::npos) << c.what << run.out;
    }
}

TEST(Console, RefusalsAndOverlongNamesCreateNothing) {
    const std::string refusal =
        "\nExit this program and input correct file name again.\n\n" + closing_en;
    const std::string name31 = std::string(27, 'n') + ".dat";
    const struct {
        const char* what;
        std::string input;
        Expected expected;
    } cases[] = {
        {"answer n", "x.dat\nn\n", {1, refusal, {{"x.dat", std::nullopt}}}},
        {"answer N", "x.dat\nN\n", {1, refusal, {{"x.dat", std::nullopt}}}},
        {"just Enter takes one more key",
         "x.dat\n\nq\n",
         {1, refusal, {{"x.dat", std::nullopt}}, false, "\n"}},
        {"input ends at the question", "x.dat\n", {1, refusal, {{"x.dat", std::nullopt}}}},
        {"an empty name", "\n\n", {1, refusal}},
        {"31 characters", name31 + "\n1\n", {0, "\n File has been oppened ! \n"}},
        {"a CR LF line end", name31 + "\r\n1\n", {0, "\n File has been oppened ! \n"}},
        {"32 characters",
         "x" + name31 + "\ny\n",
         {1, "longer than 31 characters", {{"x" + name31, std::nullopt}}}},
        {"thousands of characters",
         std::string(5000, 'x') + "\ny\n",
         {1, "longer than 31 characters"}},
    };
    for (const auto& c : cases)
        expect_run(c.what, {.input = c.input, .files = {{name31, data_header + "1 1 1 1 7\n"}}},
                   c.expected);
}

TEST(Console, DevicesAndPipesAreNoDataFiles) {
    // Should /dev/zero be read after all, memory runs out long before the test machine's.
#if defined(__SANITIZE_ADDRESS__)
    const std::optional<unsigned long> address_space; // the sanitizer caps allocations instead
#else
    const std::optional<unsigned long> address_space = 1ul << 30;
#endif
    const struct {
        const char* name;
        void (*prepare)(const std::string&);
        System only_on;
    } cases[] = {
        // A FIFO waits for a writer, /dev/zero never ends.
        {"p.dat", [](const std::string& dir) { make_fifo(dir + "/p.dat"); }, System::any},
        {"/dev/zero", nullptr, System::posix},
        {"/dev/null", nullptr, System::posix},
        // Device names in any folder, any case, with or without an extension.
        {"COM1", nullptr, System::windows}, // waits on the serial port
        {"nul", nullptr, System::windows},
        {"Con.dat", nullptr, System::windows},
        {"sub\\lpt9.txt", nullptr, System::windows},
    };
    for (const auto& [name, prepare, only_on] : cases)
        expect_run(
            name,
            {.input = std::string(name) + "\n1\n",
             .address_space = only_on == System::posix ? address_space : std::nullopt,
             .environment = {{"ASAN_OPTIONS", "max_allocation_size_mb=256"}},
             .prepare = prepare,
             .only_on = only_on},
            {1,
             "\n\"" + std::string(name) + "\" is a device, pipe or socket, not a data file.\n",
             {{"p.DIS", std::nullopt}, {".DIS", std::nullopt}}});
}

} // namespace
