// Whole or nothing: whatever happens during a run, a matrix or a template
// file is either complete under its name or not there, and what stood under
// that name before is replaced only by a complete file.
#include "run_program.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string data = data_header + "1 1 1 1 3\n2 1 1 1 5\n";
const std::string matrix = "ClustID\tG1\tG2\nY1+L1\t-1\t1\n";
const std::string old_matrix = "ClustID\tG1\nY1+L1\t0\n";
const std::string cant_open = "Can't Open Mat File. Quit Analysis! \n" + closing_en;

// A year layout of 20000 rows: far more than the file-size limit below.
std::string long_data() {
    std::string text = data_header;
    for (int location = 1; location <= 20000; ++location)
        text += "1 1 " + std::to_string(location) + " 1 5\n";
    return text;
}

void in_dir(const std::string& dir, const char* name, int (*make)(const char*, const char*)) {
    if (make("target.txt", (dir + "/" + name).c_str())) {
    }
}

TEST(FileSafety, TheMatrixReplacesWhatStoodUnderItsNameOnlyWhenComplete) {
    const struct {
        const char* what;
        RunSetup setup;
        Expected expected;
    } cases[] = {
        {"a file-size limit below the matrix",
         {.input = "d.dat\n2\n",
          .files = {{"d.dat", long_data()}, {"d.DIS", old_matrix}},
          .file_size = 1 << 16},
         {255,
          "\nThe matrix file \"d.DIS\" could not be written in full (File too large). Its "
          "unfinished copy has been removed; \"d.DIS\" is as it was before the run.\n",
          {{"d.DIS", old_matrix}, {"d.dat", long_data()}},
          true}},
        {"a symbolic link is replaced, its target left alone",
         {.input = "d.dat\n1\n",
          .files = {{"d.dat", data}, {"target.txt", old_matrix}},
          .prepare = [](const std::string& dir) { in_dir(dir, "d.DIS", symlink); }},
         {0, "", {{"d.DIS", matrix}, {"target.txt", old_matrix}}}},
        {"a FIFO is replaced, never waited on",
         {.input = "d.dat\n1\n",
          .files = {{"d.dat", data}},
          .prepare = [](const std::string& dir) { mkfifo((dir + "/d.DIS").c_str(), 0600); }},
         {0, "", {{"d.DIS", matrix}}}},
        {"a protected matrix file is kept",
         {.input = "d.dat\n1\n",
          .files = {{"d.dat", data}, {"d.DIS", old_matrix}},
          .prepare = [](const std::string& dir) { chmod((dir + "/d.DIS").c_str(), 0444); }},
         {1, cant_open, {{"d.DIS", old_matrix}, {"d.dat", data}}, true}},
        {"a folder under the name",
         {.input = "d.dat\n1\n",
          .files = {{"d.dat", data}},
          .prepare = [](const std::string& dir) { mkdir((dir + "/d.DIS").c_str(), 0700); }},
         {1, cant_open, {{"d.dat", data}}, true}},
        {"a folder this user may not write",
         {.input = "d.dat\n1\n",
          .files = {{"d.dat", data}},
          .unprivileged = true,
          .prepare = [](const std::string& dir) { chmod(dir.c_str(), 0555); }},
         {1, cant_open, {{"d.dat", data}}, true}},
        {"the data file under the matrix's name",
         {.input = "run1.DIS\n1\n", .files = {{"run1.DIS", data}}},
         {1, "would replace the data file \"run1.DIS\"", {{"run1.DIS", data}}, true}},
        {"a hard link to the data file under the matrix's name",
         {.input = "t.dat\n1\n",
          .files = {{"t.dat", data}},
          .prepare =
              [](const std::string& dir) {
                  if (link((dir + "/t.dat").c_str(), (dir + "/t.DIS").c_str())) {
                  }
              }},
         {1, "would replace the data file \"t.dat\"", {{"t.dat", data}, {"t.DIS", data}}, true}},
    };
    for (const auto& c : cases) expect_run(c.what, c.setup, c.expected);
}

TEST(FileSafety, ATemplateIsWholeWhateverTheConsoleStreams) {
    const std::string answers = "t.dat\ny\n1\n1\n1\n2\n1\n";
    const std::string made = data_header + "1 1 1 1 1\n1 1 1 2 2\n";
    const struct {
        const char* what;
        RunSetup setup;
        Expected expected;
    } cases[] = {
        {"standard output closed",
         {.input = answers, .closed_descriptors = {1}},
         {0, "", {{"t.dat", made}, {"t.DIS", "ClustID\tG1\nY1+L1\t0.5\n"}}, true}},
        {"standard error closed",
         {.input = answers, .closed_descriptors = {2}},
         {0, "", {{"t.dat", made}}}},
        {"a folder this user may not write",
         {.input = answers,
          .unprivileged = true,
          .prepare = [](const std::string& dir) { chmod(dir.c_str(), 0555); }},
         {1, "Can't create the data file \"t.dat\": Permission denied", {}, true}},
    };
    for (const auto& c : cases) expect_run(c.what, c.setup, c.expected);
}

// A trial of 200 varieties, 20 years and 40 locations: long enough to write
// that kills land while it loads, writes, syncs and renames.
std::string trial(int offset) {
    std::string text = data_header;
    for (int v = 1; v <= 200; ++v)
        for (int y = 1; y <= 20; ++y)
            for (int l = 1; l <= 40; ++l)
                text += std::to_string(v) + ' ' + std::to_string(y) + ' ' + std::to_string(l) +
                        " 1 " + std::to_string(offset + (v * 7 + y * 3 + l) % 101) + ".25\n";
    return text;
}

// Runs killed by SIGKILL, SIGINT and SIGTERM at moments spread over a whole
// run: every name holds what it held before or what a whole run writes, each
// complete; only SIGKILL may leave a temporary file (a dot file) behind.
TEST(FileSafety, AKilledRunLeavesTheOldFileOrTheNewOneWhole) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "where a kill lands says nothing about memory errors";
#endif
    const struct {
        const char* what;
        RunSetup setup;
        std::vector<std::string> names;
    } cases[] = {
        {"a matrix replacing an earlier one",
         {.input = "d.dat\n1\n", .files = {{"d.dat", trial(0)}, {"d.DIS", trial(1)}}},
         {"d.DIS"}},
        {"a template and its matrix",
         {.input = "t.dat\ny\n100\n40\n10\n5\n3\n"},
         {"t.dat", "t.DIS"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto start = std::chrono::steady_clock::now();
        const RunResult whole = run_clustmat(c.setup);
        const auto duration = std::chrono::duration_cast<std::chrono::microseconds>(
                                  std::chrono::steady_clock::now() - start)
                                  .count();
        ASSERT_EQ(whole.status, 0) << whole.err;
        for (int signal : {SIGKILL, SIGINT, SIGTERM})
            for (int i = 0; i < 20; ++i) {
                RunSetup setup = c.setup;
                setup.interrupt = Interrupt{signal, static_cast<long>(duration * i / 20)};
                RunResult run = run_clustmat(setup);
                SCOPED_TRACE("signal " + std::to_string(signal) + " after " +
                             std::to_string(setup.interrupt->microseconds) + " us");
                if (run.signal != 0) {
                    EXPECT_EQ(run.signal, signal);
                }
                for (const auto& [name, bytes] : run.files) {
                    bool named = std::find(c.names.begin(), c.names.end(), name) != c.names.end();
                    auto before = c.setup.files.find(name);
                    if (named) {
                        EXPECT_TRUE(bytes == whole.files.at(name) ||
                                    (before != c.setup.files.end() && bytes == before->second))
                            << name << " is neither the old nor the new file";
                    } else if (before == c.setup.files.end()) {
                        EXPECT_TRUE(signal == SIGKILL && name[0] == '.') << "left behind: " << name;
                    }
                }
            }
    }
}

} // namespace
