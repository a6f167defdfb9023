// The console dialogue up to the open data file: language, texts, refusals.
#include "app/console_texts.h"
#include "gbk.h"
#include "run_program.h"

#include <gtest/gtest.h>

namespace {

TEST(ChineseTexts, HoldTheGbkBytesOfTheirCharacters) {
    const std::pair<std::string_view, std::string> cases[] = {
        {texts::name_prompt_zh, "\n 请输入数据文件名:  "},
        {texts::create_question_zh, "\n 数据文件不存在! \n  是否要新建数据文件? 是Y/否N  "},
        {texts::closing_zh[0], "\n您的数据太大了, 无法在DOS系统中分析!\n"},
        {texts::closing_zh[1], "\n您需要在UNIX系统中运行统计分析软件!\n"},
        {texts::closing_zh[2], "...无法执行软件. 退回DOS系统...\n"},
        {texts::banner_zh[0], "\n  请输入您的数据文件名.\n  文件应包括试验设计以及分析性状的数据."},
        {texts::banner_zh[1], "\n  试验设计的四列是:(1)品种, (2)年份, (3)试点, (4)区组.\n\n\n"},
        {texts::hold_prompt_zh, "\n\n 按回车键关闭窗口. "},
    };
    for (const auto& [bytes, characters] : cases) EXPECT_EQ(utf8(std::string(bytes)), characters);
}

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
        {"just Enter takes one more key", "x.dat\n\nq\n", {1, refusal, {{"x.dat", std::nullopt}}}},
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
