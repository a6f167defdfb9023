// Whole or nothing: whatever happens during a run, a matrix or a template
// file is either complete under its name or not there, and what stood under
// that name before is replaced only by a complete file.
#include "run_program.h"
#include "table_reference.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string data = data_header + "1 1 1 1 3\n2 1 1 1 5\n";
const std::string matrix = "ClustID\tG1\tG2\nY1+L1\t-1\t1\n";
const std::string old_matrix = "ClustID\tG1\nY1+L1\t0\n";
// The matrix file can't be opened, and the reason why.
std::string cant_open(const std::string& reason) {
    return "Can't Open Mat File. Quit Analysis! \n" + reason + "\n" + closing_en;
}

// A year layout of 20000 rows: far more than the file-size limit below.
std::string long_data() {
    std::string text = data_header;
    for (int location = 1; location <= 20000; ++location)
        text += "1 1 " + std::to_string(location) + " 1 5\n";
    return text;
}

std::string repeated(const std::string& text, int times) {
    std::string all;
    while (times-- > 0) all += text;
    return all;
}

// Takes every write permission away: on Windows, sets the read-only attribute.
void protect(const std::string& path) {
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
}

TEST(FileSafety, TheMatrixReplacesWhatStoodUnderItsNameOnlyWhenComplete) {
    // d.dat analysed, with d.DIS as `prepare` leaves it.
    auto run = [](void (*prepare)(const std::string&), RunSetup setup = {}) {
        setup.input = setup.input.empty() ? "d.dat\n1\n" : setup.input;
        setup.files.emplace("d.dat", data);
        setup.prepare = prepare;
        return setup;
    };
    auto kept = [](const std::string& message, const std::string& name, const std::string& bytes) {
        return Expected{1, message, {{"d.dat", data}, {name, bytes}}, true};
    };
    expect_runs({
        {"a file-size limit below the matrix",
         {.input = "e.dat\n2\n",
          .files = {{"e.dat", long_data()}, {"e.DIS", old_matrix}},
          .file_size = 1 << 16},
         {255,
          "\nThe matrix file \"e.DIS\" could not be written in full (File too large). Its "
          "unfinished copy has been removed; \"e.DIS\" is as it was before the run.\n",
          {{"e.DIS", old_matrix}, {"e.dat", long_data()}},
          true}},
        // A new matrix gets the usual mode; a link's target lends it nothing.
        {"a symbolic link is replaced, its target left alone",
         run(
             [](const std::string& dir) {
                 EXPECT_EQ(symlink("e.DIS", (dir + "/d.DIS").c_str()), 0);
                 std::filesystem::permissions(dir + "/e.DIS", std::filesystem::perms(0600));
             },
             {.files = {{"e.DIS", old_matrix}}, .only_on = System::posix}),
         {.status = 0,
          .files = {{"d.DIS", matrix}, {"e.DIS", old_matrix}},
          .modes = {{"d.DIS", 0644}, {"e.DIS", 0600}}}},
        {"a matrix kept private stays private",
         run(
             [](const std::string& dir) {
                 std::filesystem::permissions(dir + "/d.DIS", std::filesystem::perms(0600));
             },
             {.files = {{"d.DIS", old_matrix}}}),
         {.status = 0, .files = {{"d.DIS", matrix}}, .modes = {{"d.DIS", 0600}}}},
        {"a FIFO is replaced, never waited on",
         run([](const std::string& dir) { mkfifo((dir + "/d.DIS").c_str(), 0600); },
             {.only_on = System::posix}),
         {0, "", {{"d.DIS", matrix}}}},
        {"a protected matrix file is kept",
         run([](const std::string& dir) { protect(dir + "/d.DIS"); },
             {.files = {{"d.DIS", old_matrix}}}),
         kept(cant_open(this_system == System::windows
                            ? "\"d.DIS\" is read-only. If it may be replaced, clear Read-only in "
                              "its Properties (or attrib -r d.DIS) and run again."
                            : "\"d.DIS\" is read-only. If it may be replaced, make it writable "
                              "(chmod u+w d.DIS) and run again."),
              "d.DIS", old_matrix)},
        {"a folder under the name",
         run([](const std::string& dir) { std::filesystem::create_directory(dir + "/d.DIS"); }),
         kept(cant_open("\"d.DIS\" is a folder. Move it away, or name the matrix file with "
                        "--output."),
              "d.dat", data)},
        {"a folder this user may not write", run(protect, {.unprivileged = true}),
         kept(cant_open("The folder of \"d.DIS\" can't be written. Run clustmat where you may "
                        "write, or name the matrix file with --output."),
              "d.dat", data)},
        // A spreadsheet holds the file it shows without sharing its deletion.
        {"a matrix file open in a spreadsheet",
         run(nullptr, {.files = {{"d.DIS", old_matrix}}, .held = "d.DIS"}),
         kept("\nThe matrix file \"d.DIS\" is open in another program (a spreadsheet, perhaps). "
              "Close it there, then run clustmat again. Nothing was written.\n",
              "d.DIS", old_matrix)},
        {"a matrix file opened in a spreadsheet during the run",
         run(nullptr, {.args = {"--output", "d.DIS", "d.dat"},
                       .input = " ",
                       .files = {{"d.DIS", old_matrix}},
                       .cue = RunSetup::Cue{" Input 3 for Location, and Variety * Year\n", 0,
                                            "d.DIS", "1\n"}}),
         {255,
          "\nThe matrix file \"d.DIS\" could not be written in full (another program opened it "
          "during the run; close it there and run again). Its unfinished copy has been removed; "
          "\"d.DIS\" is as it was before the run.\n",
          {{"d.dat", data}, {"d.DIS", old_matrix}},
          true}},
        // The temporary name, 8 bytes longer, must still be one the system takes.
        {"a name of 251 bytes",
         {.args = {"--layout", "1", std::string(247, 'n') + ".dat"},
          .files = {{std::string(247, 'n') + ".dat", data}}},
         {0, "", {{std::string(247, 'n') + ".DIS", matrix}}}},
        // A tree's file name is longer than the matrix's: each is checked first.
        {"a name of 252 bytes with a tree",
         run(nullptr, {.args = {"--tree", "--layout", "1", std::string(248, 'n') + ".dat"},
                       .files = {{std::string(248, 'n') + ".dat", data}}}),
         kept("\nThe file name \"" + std::string(248, 'n') +
                  ".groups.tsv\" is too long: this system takes at most 255 " +
                  (this_system == System::windows ? "characters" : "bytes") +
                  " for a name in a folder. Choose a shorter name for the data file, the trait's "
                  "column or --output. Nothing was written.\n",
              std::string(248, 'n') + ".dat", data)},
        {"a trait's name of 250 bytes",
         {.args = {"--columns", "1,2,3,4,5,6", "--layout", "1", "t.csv"},
          .files = {{"t.csv", "g,y,l,b," + std::string(250, 't') + ",u\n1,1,1,1,1,2\n"}}},
         {1, "\nThe file name \"t." + std::string(250, 't') + ".DIS\" is too long"}},
        {"a name too long with its folders",
         run(nullptr,
             {.args = {"--output", repeated("x/", 2050) + "m.DIS", "--layout", "1", "d.dat"}}),
         kept(" for a name with its folders. Choose a shorter name, or a folder nearer the top. "
              "Nothing was written.\n",
              "d.dat", data)},
        {"a folder that does not exist",
         run(nullptr, {.args = {"--output", "no/such/d.DIS", "--layout", "1", "d.dat"}}),
         // Named on the command line: without the dialogue's closing lines.
         kept("Can't Open Mat File. Quit Analysis! \n\"no/such/d.DIS\": No such file or "
              "directory.\n",
              "d.dat", data)},
        {"the data file under the matrix's name",
         run(nullptr, {.input = "d.DIS\n1\n", .files = {{"d.DIS", data}}}),
         kept("would replace the data file \"d.DIS\"", "d.DIS", data)},
        {"a hard link to the data file under the matrix's name", run([](const std::string& dir) {
             EXPECT_EQ(link((dir + "/d.dat").c_str(), (dir + "/d.DIS").c_str()), 0);
         }),
         kept("would replace the data file \"d.dat\"", "d.DIS", data)},
        {"the data file under the matrix's name in other letters",
         run(nullptr,
             {.input = "d.dis\n1\n", .files = {{"d.dis", data}}, .only_on = System::windows}),
         kept("would replace the data file \"d.dis\"", "d.dis", data)},
    });
}

TEST(FileSafety, ATemplateIsWholeWhateverTheConsoleStreams) {
    const std::string answers = "t.dat\ny\n1\n1\n1\n2\n1\n";
    const std::string made = data_header + "1 1 1 1 1\n1 1 1 2 2\n";
    expect_runs({
        {"standard output closed",
         {.input = answers, .closed_descriptors = {1}},
         {0, "", {{"t.dat", made}, {"t.DIS", "ClustID\tG1\nY1+L1\t0.5\n"}}, true}},
        {"standard error closed",
         {.input = answers, .closed_descriptors = {2}},
         {0, "", {{"t.dat", made}}}},
        {"a folder this user may not write",
         {.input = answers, .unprivileged = true, .prepare = protect},
         {1, "Can't create the data file \"t.dat\": Permission denied", {}, true}},
    });
}

// Every signal that ends the run, while it waits at a prompt and while it
// writes a file: the temporary file goes with the run, and what stood under
// the final name stays as it was.
TEST(Interruption, EverySignalThatEndsTheRunTakesItsTemporaryFileWithIt) {
    const std::string waiting = "\n Input Numbers for Variety.  ";
    // Two traits: a set of two matrices that take their names one by one.
    const std::string two_traits = "gen,year,loc,rep,a,b\ng1,2020,L1,1,1,2\ng2,2020,L1,1,4,5\n";
    const std::string a_matrix = reference_matrix(
        {{"g1", "2020", "L1", "1", "1"}, {"g2", "2020", "L1", "1", "4"}}, 1, false);
    const std::string b_matrix = reference_matrix(
        {{"g1", "2020", "L1", "1", "2"}, {"g2", "2020", "L1", "1", "5"}}, 1, false);
    std::vector<RunCase> cases;
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGALRM, SIGTERM, SIGUSR1, SIGUSR2,
                       SIGVTALRM, SIGPROF, SIGXCPU, SIGPOLL, SIGSYS}) {
        const std::string name = strsignal(signal);
        cases.push_back({name + " at the size prompt",
                         {.input = "t.dat\ny\n",
                          .files = {{"t.DIS", old_matrix}},
                          .cue = RunSetup::Cue{waiting, signal},
                          .only_on = System::posix},
                         {.status = -1,
                          .files = {{"t.DIS", old_matrix}},
                          .nothing_else = true,
                          .signal = signal}});
        cases.push_back({name + " while the matrix is written",
                         {.input = "d.dat\n1\n",
                          .files = {{"d.dat", data}, {"d.DIS", old_matrix}},
                          .environment = {{"FAULT_SIGNAL", std::to_string(signal) + ":.d.DIS."}},
                          .with_faults = true},
                         {.status = -1,
                          .files = {{"d.dat", data}, {"d.DIS", old_matrix}},
                          .nothing_else = true,
                          .signal = signal}});
        // Held until the last file has its name: the whole set is new.
        cases.push_back(
            {name + " between the set's renames",
             {.args = {"--columns", "1,2,3,4,5,6", "--layout", "1", "t.csv"},
              .files = {{"t.csv", two_traits}, {"t.a.DIS", old_matrix}, {"t.b.DIS", old_matrix}},
              .environment = {{"FAULT_SIGNAL_AFTER_RENAME", std::to_string(signal) + ":t.a.DIS"}},
              .with_faults = true},
             {.status = -1,
              .files = {{"t.csv", two_traits}, {"t.a.DIS", a_matrix}, {"t.b.DIS", b_matrix}},
              .nothing_else = true,
              .signal = signal}});
    }
    cases.push_back({"a template interrupted while it is written",
                     {.input = "t.dat\ny\n2\n2\n2\n2\n1\n",
                      .environment = {{"FAULT_SIGNAL", std::to_string(SIGTERM) + ":.t.dat."}},
                      .with_faults = true},
                     {.status = -1, .nothing_else = true, .signal = SIGTERM}});
    // Started with nohup, the run goes on when its terminal closes.
    cases.push_back({"a signal ignored from the start stays ignored",
                     {.input = "t.dat\ny\n",
                      .cue = RunSetup::Cue{waiting, SIGHUP},
                      .ignored_signals = {SIGHUP}},
                     {1, "The number of varieties was not given", {}, true}});
    expect_runs(cases);
}

// Runs killed by SIGKILL, SIGINT and SIGTERM at moments spread over a whole
// run: every file left holds what it held before or what a whole run writes;
// only SIGKILL may leave an unfinished copy (a dot file) behind.
TEST(Interruption, LeavesTheOldFileOrTheNewOneWhole) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "where a kill lands says nothing about memory errors";
#endif
    if (this_system != System::posix) GTEST_SKIP() << "signals are POSIX";
    // A template, then its matrix over an earlier one: 160000 records and as
    // many cells, long enough to write that kills land in every stage.
    const RunSetup setup{.input = "t.dat\ny\n400\n20\n20\n1\n1\n",
                         .files = {{"t.DIS", old_matrix}}};
    auto start = std::chrono::steady_clock::now();
    const RunResult whole = run_clustmat(setup);
    const long duration = std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::steady_clock::now() - start)
                              .count();
    ASSERT_EQ(whole.status, 0) << whole.err;
    for (int signal : {SIGKILL, SIGINT, SIGTERM})
        for (long i = 0; i < 20; ++i) {
            RunSetup killed = setup;
            killed.interrupt = {{signal, duration * i / 20}};
            RunResult run = run_clustmat(killed);
            SCOPED_TRACE("signal " + std::to_string(signal) + " after " +
                         std::to_string(killed.interrupt->second) + " us");
            EXPECT_TRUE(run.signal == signal || run.status == 0) << run.err;
            for (const auto& [name, bytes] : run.files) {
                auto before = setup.files.find(name);
                bool old = before != setup.files.end() && bytes == before->second;
                bool made = whole.files.count(name) && bytes == whole.files.at(name);
                EXPECT_TRUE(old || made || (signal == SIGKILL && name[0] == '.')) << name;
            }
        }
}

} // namespace
