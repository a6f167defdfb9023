// The design template: created only as a new file, written exactly, loaded at once.
#include "run_program.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const std::string header = "Var Year Loca Blk Trait\n";

TEST(Template, IsWrittenRecordByRecordWithSerialTraitValues) {
    struct Case {
        std::string sizes;
        std::string file;
    };
    const Case cases[] = {
        {"1\n1\n1\n1\n", header + "1 1 1 1 1\n"},
        {"2\n2\n2\n2\n", header + "1 1 1 1 1\n1 1 1 2 2\n1 1 2 1 3\n1 1 2 2 4\n1 2 1 1 5\n"
                                  "1 2 1 2 6\n1 2 2 1 7\n1 2 2 2 8\n2 1 1 1 9\n2 1 1 2 10\n"
                                  "2 1 2 1 11\n2 1 2 2 12\n2 2 1 1 13\n2 2 1 2 14\n2 2 2 1 15\n"
                                  "2 2 2 2 16\n"},
        {" 1 2\t1\n+1\n", header + "1 1 1 1 1\n1 2 1 1 2\n"}, // "%d" skips any white space
    };
    for (const auto& c : cases) {
        RunResult run = run_clustmat({.input = "t.dat\ny\n" + c.sizes + "\n3\n"});
        SCOPED_TRACE(c.sizes);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.files["t.dat"], c.file);
        EXPECT_EQ(run.out.find("\n Input Numbers for Variety.  \n Input Number for Year.  "
                               "\n Input Numbers for Location.  \n Input Number for Blocks.  "),
                  std::string("\n Input Name of Your Data File:  ").size());
        EXPECT_EQ(run.files.count("t.DIS"), 1u);
    }
}

TEST(Template, OfTwoOfEachIsAnalysedInTheSameRun) {
    // Every cell ends with its block-2 serial; the grand mean is 8.5.
    RunResult run = run_clustmat({.input = "t.dat\nY\n2\n2\n2\n2 and the rest of this line\n1\n"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.files["t.DIS"], "ClustID\tG1\tG2\n"
                                  "Y1+L1\t-6.5\t1.5\n"
                                  "Y1+L2\t-4.5\t3.5\n"
                                  "Y2+L1\t-2.5\t5.5\n"
                                  "Y2+L2\t-0.5\t7.5\n");
}

TEST(Template, SizesOfZeroOrLessGiveTheHeaderOnly) {
    // The largest sizes beside a 0 must not be counted through either.
    for (const char* sizes : {"0\n1\n1\n1\n", "3\n-2\n1\n1\n", "1\n1\n1\n0\n",
                              "2147483647\n2147483647\n2147483647\n0\n"}) {
        RunResult run = run_clustmat({.input = std::string("t.dat\ny\n") + sizes + "\n1\n"});
        SCOPED_TRACE(sizes);
        EXPECT_EQ(run.files["t.dat"], header);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("holds no complete record"), std::string::npos);
    }
}

TEST(Template, BadAnswersEndTheRunAndLeaveNoFile) {
    struct Case {
        std::string sizes;
        std::string message;
    };
    const Case cases[] = {
        {"2\nabc\n", "number of years must be a whole number"},
        {"2\n2.5\n2\n2\n", "number of locations must be a whole number"}, // ".5" is left over
        {"2\n2\n", "number of locations was not given"},
        {"99999999999\n", "number of varieties must be a whole number"},
        {"2000\n2000\n2000\n1\n", "too large"},
        {"", "number of varieties was not given"},
    };
    for (const auto& c : cases) {
        RunResult run = run_clustmat({.input = "t.dat\ny\n" + c.sizes});
        SCOPED_TRACE(c.sizes);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.files.empty());
    }
}

TEST(Template, AFailedWriteEndsItAtOnce) {
    // Two billion records would fill the disk long before they were all
    // formatted; here the disk is full after one megabyte.
    RunResult run = run_clustmat({.input = "t.dat\ny\n46340\n46340\n1\n1\n",
                                  .file_size = 1 << 20,
                                  .environment = {{"FAULT_WRITE_AFTER_FAILURE", "abort"}},
                                  .with_faults = true});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Can't write the template into \"t.dat\": File too large. The "
                           "unfinished file has been removed."),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(run.files.empty());
}

TEST(Template, NeverReplacesOrCreatesThroughAnExistingName) {
    // A link whose target is missing can't be opened for reading, but it
    // exists: creating through it would write somewhere else entirely.
    RunResult run = run_clustmat({.input = "t.dat\ny\n1\n1\n1\n1\n\n1\n", .prepare = [](const std::string& dir) {
                                if (symlink((dir + "/target.dat").c_str(), (dir + "/t.dat").c_str())) {}
                            }});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Can't create the data file \"t.dat\""), std::string::npos);
    EXPECT_TRUE(run.files.empty());

    RunResult missing_folder = run_clustmat({.input = "no/such/t.dat\ny\n"});
    EXPECT_EQ(missing_folder.status, 1);
    EXPECT_NE(missing_folder.err.find("Can't create the data file \"no/such/t.dat\""), std::string::npos);
}

} // namespace
