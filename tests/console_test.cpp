// The console dialogue up to the open data file: language, texts, refusals.
#include "app/console_texts.h"
#include "gbk.h"
#include "run_program.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string closing_en = "\n You Data Is Too Big for Runing in DOS System.\n"
                               "\n You Should Analyze the Data in UNIX System.\n"
                               "...Now Exiting to System...\n";
const std::string closing_zh = gbk("\n您的数据太大了, 无法在DOS系统中分析!\n"
                                   "\n您需要在UNIX系统中运行统计分析软件!\n"
                                   "...无法执行软件. 退回DOS系统...\n");
const std::string banner_en = "\n  Input your file for reading mating design and trait data."
                              "\n  File should include five design columns and otheir trait columns:"
                              "\n (1)Variety, (2)Year, (3)Location,  (4)Block.\n\n\n";
const std::string banner_zh = gbk("\n  请输入您的数据文件名.\n  文件应包括试验设计以及分析性状的数据."
                                  "\n  试验设计的四列是:(1)品种, (2)年份, (3)试点, (4)区组.\n\n\n");
// fatal_exit adds a line end of its own after the message.
const std::string refusal = "\nExit this program and input correct file name again.\n\n";

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(ChineseTexts, HoldTheGbkBytesOfTheirCharacters) {
    struct Case {
        std::string_view bytes;
        std::string characters;
    };
    const Case cases[] = {
        {texts::name_prompt_zh, "\n 请输入数据文件名:  "},
        {texts::create_question_zh, "\n 数据文件不存在! \n  是否要新建数据文件? 是Y/否N  "},
        {texts::closing_zh[0], "\n您的数据太大了, 无法在DOS系统中分析!\n"},
        {texts::closing_zh[1], "\n您需要在UNIX系统中运行统计分析软件!\n"},
        {texts::closing_zh[2], "...无法执行软件. 退回DOS系统...\n"},
        {texts::banner_zh[0], "\n  请输入您的数据文件名.\n  文件应包括试验设计以及分析性状的数据."},
        {texts::banner_zh[1], "\n  试验设计的四列是:(1)品种, (2)年份, (3)试点, (4)区组.\n\n\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(utf8(std::string(c.bytes)), c.characters);
}

// A missing file and a closed standard input: the shortest whole dialogue.
TEST(Console, LanguageComesOnlyFromAnArgumentThatIsExactlyC) {
    struct Case {
        std::vector<std::string> args;
        bool chinese;
    };
    const Case cases[] = {
        {{}, false},         {{"c"}, true},       {{"C"}, true},
        {{"x", "c"}, true},  {{"cc"}, false},     {{"chinese"}, false},
        {{"-c"}, false},     {{"c", "x"}, true},
    };
    for (const auto& c : cases) {
        RunResult run = run_clustmat({.args = c.args, .input = ""});
        SCOPED_TRACE(c.args.empty() ? "no arguments" : c.args[0]);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, c.chinese ? gbk("\n 请输入数据文件名:  ")
                                     : "\n Input Name of Your Data File:  ");
        std::string question = c.chinese ? gbk("\n 数据文件不存在! \n  是否要新建数据文件? 是Y/否N  ")
                                         : "\n File can't be oppened! \n Creat a new one? Y/N  ";
        EXPECT_TRUE(ends_with(run.err, (c.chinese ? banner_zh : banner_en) + question + refusal +
                                           (c.chinese ? closing_zh : closing_en)));
        EXPECT_TRUE(run.files.empty());
    }
}

TEST(Console, RefusingToCreateEndsTheRunAndCreatesNothing) {
    const char* inputs[] = {
        "nosuch.dat\nn\n",
        "nosuch.dat\nN\n",
        "nosuch.dat\n\nq\n", // Enter: the line end is the answer, one more key is taken
        "nosuch.dat\n",      // input ends at the question
        "\n\n",              // an empty name, Enter, and the input ends
        "nosuch.dat\nyes",   // only the first key counts, but "es" is no line of sizes
    };
    for (const char* input : inputs) {
        RunResult run = run_clustmat({.input = input});
        SCOPED_TRACE(input);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.signal, 0);
        if (std::string(input) != "nosuch.dat\nyes") {
            EXPECT_TRUE(ends_with(run.err, refusal + closing_en));
        }
        EXPECT_EQ(run.files.count("nosuch.dat"), 0u);
    }
}

TEST(Console, NamesOfUpTo31CharactersOpenLongerOnesAreRefused) {
    const std::string name31(27, 'n');
    struct Case {
        std::string line;
        bool opens;
    };
    const Case cases[] = {
        {name31 + ".dat", true},
        {name31 + ".dat\r", true}, // a line typed on a Windows console
        {"x" + name31 + ".dat", false},
        {std::string(5000, 'x'), false},
    };
    for (const auto& c : cases) {
        RunResult run = run_clustmat({.input = c.line + "\n1\n",
                                .files = {{name31 + ".dat", "V Y L B T 1 1 1 1 7\n"}}});
        SCOPED_TRACE(c.line.substr(0, 40));
        if (c.opens) {
            EXPECT_EQ(run.status, 0);
            EXPECT_NE(run.err.find("\n File has been oppened ! \n"), std::string::npos);
        } else {
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find("longer than 31 characters"), std::string::npos);
            EXPECT_EQ(run.files.size(), 1u); // nothing created
        }
    }
}

TEST(Console, DevicesAndPipesAreNoDataFiles) {
    struct Case {
        const char* name;
        void (*prepare)(const std::string& directory);
    };
    const Case cases[] = {
        {"p.dat", [](const std::string& dir) { mkfifo((dir + "/p.dat").c_str(), 0600); }}, // waits for a writer
        {"/dev/zero", nullptr}, // never ends
        {"/dev/null", nullptr},
    };
    // Should /dev/zero be read after all, memory runs out long before the test machine's.
#if defined(__SANITIZE_ADDRESS__)
    const std::optional<unsigned long> address_space; // the sanitizer caps allocations instead
#else
    const std::optional<unsigned long> address_space = 1ul << 30;
#endif
    for (const auto& c : cases) {
        RunResult run = run_clustmat({.input = std::string(c.name) + "\n1\n",
                                      .address_space = address_space,
                                      .environment = {{"ASAN_OPTIONS", "max_allocation_size_mb=256"}},
                                      .prepare = c.prepare});
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("\n\"" + std::string(c.name) + "\" is a device, pipe or socket, not a data file.\n"),
                  std::string::npos) << run.err;
        EXPECT_EQ(run.files.count("p.DIS") + run.files.count(".DIS"), 0u);
    }
}

TEST(Console, AChineseFatalEndKeepsItsEnglishMessage) {
    RunResult run = run_clustmat({.args = {"c"}, .input = "t.dat\n9\n", .files = {{"t.dat", "V Y L B T 1 1 1 1 5\n"}}});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(ends_with(run.out, "NO SUCH case!"));
    EXPECT_TRUE(ends_with(run.err, "\n File has been oppened ! \nNo such case. exit program.\n" + closing_zh));
}

} // namespace
