// Whole runs in which the system fails where no input can make it fail: each
// failure must end the run with its own message and leave no matrix behind.
#include "run_program.h"

#include <gtest/gtest.h>

namespace {

TEST(InjectedFault, EndsTheRunWithItsMessageAndNoMatrix) {
    // Variety 1000, year 3, location 7, block 11: the cube needs 8008 bytes of
    // row pointers, 24008 of plane pointers and 84004 of cells; each work
    // table 5 row pointers and rows of 231000 integers.
    const std::string large = "V Y L B T\n1000 3 7 11 5\n";
    const std::string small = "V Y L B T\n1 1 1 1 3\n2 1 1 1 5\n";
    const std::string too_big = "\n\n You Data Is Too Big for Runing in DOS System.\n";
    const std::string changed = "\"d.dat\" changed while it was being read. Run the analysis "
                                "again once the file is complete.";
    struct Case {
        const char* variable;
        const char* value;
        const std::string& data;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"FAULT_MALLOC", "8008", large, 1, "allocation failure 1 in f3tensor()" + too_big},
        {"FAULT_MALLOC", "24008", large, 1, "allocation failure 2 in f3tensor()" + too_big},
        {"FAULT_MALLOC", "84004", large, 1, "allocation failure 3 in f3tensor()" + too_big},
        {"FAULT_CALLOC", "5x8", large, 1, "allocation failure 1 in imatrix()" + too_big},
        {"FAULT_CALLOC", "231000x4", large, 1, "allocation failure 2 in imatrix()" + too_big},
        {"FAULT_MALLOC", "1048577", small, 1, "Not enough memory to read the data file."},
        // The system would grant more than it has, then kill the run.
        {"FAULT_MEMORY", "30000", large, 1, "allocation failure 2 in f3tensor()" + too_big},
        {"FAULT_MEMORY", "100000", large, 1, "allocation failure 3 in f3tensor()" + too_big},
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
        {"FAULT_REWRITE_UNSEEN", "V Y L B T\n1 1 1 1 3\n2 1 1 1 5e39\n", small, 1,
         "Record 2 of \"d.dat\": the trait value \"5e39\" is too large"},
        {"FAULT_FCLOSE", ".DIS", small, 255,
         "The matrix file \"d.DIS\" could not be written in full (Input/output error). Its "
         "unfinished copy has been removed; \"d.DIS\" is as it was before the run."},
    };
    for (const auto& c : cases) {
        RunResult run = run_clustmat({.input = "d.dat\n1\n",
                                      .files = {{"d.dat", c.data}},
                                      .environment = {{c.variable, c.value}},
                                      .with_faults = true});
        SCOPED_TRACE(std::string(c.variable) + "=" + c.value);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.files.size(), 1u); // the data file alone
    }
}

TEST(InjectedFault, NoneAskedForRunsAsUsual) {
    RunResult run = run_clustmat({.input = "d.dat\n2\n",
                                  .files = {{"d.dat", "V Y L B T 1 1 1 1 3\n"}},
                                  .with_faults = true});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.files["d.DIS"], "ClustID\tY1\nL1+G1\t3\n");
}

} // namespace
