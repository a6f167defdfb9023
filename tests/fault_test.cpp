// Whole runs in which the system fails where no input can make it fail: each
// failure must end the run with its own message, leave no new file behind
// and leave an earlier matrix as it was; and the end of a run reached from
// several threads at once.
#include "run_program.h"
#include "texts/console_texts.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

TEST(InjectedFault, EndsTheRunWithItsMessageAndNoNewFile) {
    // Variety 1000, year 3, location 7, block 11: the cube needs 8008 bytes of
    // row pointers, 24008 of plane pointers and 84004 of cells; each work
    // table 5 row pointers and rows of 231000 integers.
    const std::string large = "V Y L B T\n1000 3 7 11 5\n";
    const std::string small = "V Y L B T\n1 1 1 1 3\n2 1 1 1 5\n";
    const std::string block_2 = "V Y L B T\n1 1 1 1 3\n2 1 1 2 5\n";
    const std::string table = "g,y,l,b,t\nA,1,L,1,3\nB,1,L,1,5\n";
    // Files of a megabyte, which threads load: each pass's ranges are read
    // through the one reader and its checksum.
    std::string large_classic = "V Y L B T\n", large_table = "g,y,l,b,t\n";
    for (int r = 0; r < 120000; ++r) {
        large_classic += "1 1 1 " + std::to_string(r % 9 + 1) + " 3\n";
        large_table += "A,1,L," + std::to_string(r % 9 + 1) + ",3\n";
    }
    const std::string old_matrix = "ClustID\tG1\nY1+L1\t0\n";
    const std::string too_big = "\n\n You Data Is Too Big for Runing in DOS System.\n";
    const std::string unwritten = "\nThe matrix file \"d.DIS\" could not be written in full (";
    const std::string kept = "). Its unfinished copy has been removed; \"d.DIS\" is as it was "
                             "before the run.\n";
    const std::string no_template = "\nCan't write the template into \"t.dat\": Input/output "
                                    "error. The unfinished file has been removed.\n";
    const std::string template_answers = "t.dat\ny\n1\n1\n1\n1\n1\n";
    const std::string changed = "\"d.dat\" changed while it was being read. Run the analysis "
                                "again once the file is complete.";
    const struct {
        const char* variable;
        const char* value;
        const std::string& data;
        int status;
        std::string message;
        const std::string& input = "d.dat\n1\n";
    } cases[] = {
        // The system would grant more than it has, then kill the run.
        {"FAULT_MEMORY", "30000", large, 1, "allocation failure 2 in f3tensor()" + too_big},
        {"FAULT_MEMORY", "100000", large, 1, "allocation failure 3 in f3tensor()" + too_big},
        {"FAULT_FFLUSH", ".d.DIS.", small, 255, unwritten + "No space left on device" + kept},
        {"FAULT_FSYNC", ".d.DIS.", small, 255, unwritten + "Input/output error" + kept},
        {"FAULT_FCLOSE", ".d.DIS.", small, 255, unwritten + "Input/output error" + kept},
        {"FAULT_RENAME", "d.DIS", small, 255, unwritten + "Input/output error" + kept},
        {"FAULT_FSYNC", ".t.dat.", small, 1, no_template, template_answers},
        {"FAULT_RENAME", "t.dat", small, 1, no_template, template_answers},
        // Between the passes: caught by the file's state, and by what the
        // second pass reads where the state does not show the change.
        {"FAULT_REWRITE", "V Y L B T\n1 1 1 1 3\n2 1 1 1 5\n1 1 1 2 4\n", small, 1, changed},
        {"FAULT_REWRITE", "V Y L B T\n1 1 1 1 3\n2 1", small, 1, changed},
        {"FAULT_REWRITE", "V Y L B T\n1 1 1 1 3\n2 1 1 1 5\n\n\n", small, 1, changed},
        {"FAULT_REWRITE", "V Y L B T\n1 1 1 1 3\n2 1 1 1 5e39\n", small, 1, changed},
        {"FAULT_REWRITE_UNSEEN", "V Y L B T\n1 1 1 1 3\n2 1 1 1 5\n1 1 1 2 4\n", small, 1, changed},
        {"FAULT_REWRITE_UNSEEN", "V Y L B T\n1 1 1 1 3\n2 1", small, 1, changed},
        {"FAULT_REWRITE_UNSEEN", "V Y L B T\n1 1 1 1 3\n1 1 1 1 5\n", small, 1, changed},
        {"FAULT_REWRITE_UNSEEN", "V Y L B T\n1 1 1 1 3\n2 1 1 2 5\n", small, 1, changed},
        {"FAULT_REWRITE_UNSEEN", "V Y L B T\n1 1 1 1 3\n2 1 1 1 5\n", block_2, 1, changed},
        // Same size, same codes, same times: only the bytes tell.
        {"FAULT_REWRITE_UNSEEN", "V Y L B T\n1 1 1 1 3\n2 1 1 1 6\n", small, 1, changed},
        {"FAULT_REWRITE_UNSEEN", "g,y,l,b,t\nA,1,L,1,3\nB,1,L,1,6\n", table, 1, changed},
        // A code far beyond the cube of the first pass: never written there.
        {"FAULT_REWRITE_UNSEEN", "V Y L B T\n1 1 1 1 3\n99999999 1 1 1 5\n1 1 1 1 3\n", small, 1,
         changed},
        {"FAULT_REWRITE_UNSEEN", "V Y L B T\n1 1 1 1 3\n2 1 1 1 5e39\n", small, 1, changed},
        {"FAULT_REWRITE_UNSEEN", "V Y L B T\n1 1 1 1 3\n", large_classic, 1, changed},
        {"FAULT_REWRITE", "V Y L B T\n1 1 1 1 3\n", large_classic, 1, changed},
        {"FAULT_REWRITE_UNSEEN", "g,y,l,b,t\nA,1,L,1,3\n", large_table, 1, changed},
    };
    std::vector<RunCase> runs;
    for (const auto& c : cases) {
        // A rewrite leaves the data file as the other program wrote it.
        const std::string data_after =
            std::string(c.variable).starts_with("FAULT_REWRITE") ? c.value : c.data;
        runs.push_back(
            {std::string(c.variable) + "=" + c.value,
             {.args = {"--threads", "4"},
              .input = c.input,
              .files = {{"d.dat", c.data}, {"d.DIS", old_matrix}},
              .environment = {{c.variable, c.value}},
              .with_faults = true},
             {c.status, c.message, {{"d.dat", data_after}, {"d.DIS", old_matrix}}, true}});
    }
    expect_runs(runs);
}

// Threads that share a load may meet a fault at once: the run ends with
// the message said once.
TEST(FatalExitDeathTest, SaysItsMessageOnceWhateverTheThreads) {
    EXPECT_EXIT(
        {
            std::atomic<bool> go{false};
            std::vector<std::thread> threads;
            for (int i = 0; i < 8; ++i)
                threads.emplace_back([&] {
                    while (!go.load()) {
                    }
                    fatal_exit(std::string_view("QQQ"));
                });
            go.store(true);
            for (std::thread& thread : threads) thread.join();
        },
        ::testing::ExitedWithCode(1), "^[^Q]*QQQ[^Q]*$");
}

} // namespace
