// The design template: created only as a new file, written exactly, loaded at once.
#include "run_program.h"

#include <gtest/gtest.h>

namespace {

TEST(Template, IsWrittenAndAnalysedInTheSameRun) {
    const std::string two_of_each =
        data_header + "1 1 1 1 1\n1 1 1 2 2\n1 1 2 1 3\n1 1 2 2 4\n1 2 1 1 5\n1 2 1 2 6\n"
                      "1 2 2 1 7\n1 2 2 2 8\n2 1 1 1 9\n2 1 1 2 10\n2 1 2 1 11\n2 1 2 2 12\n"
                      "2 2 1 1 13\n2 2 1 2 14\n2 2 2 1 15\n2 2 2 2 16\n";
    const std::string one = data_header + "1 1 1 1 1\n";
    const struct {
        const char* what;
        std::string input;
        Expected expected;
    } cases[] = {
        {"one of each",
         "t.dat\ny\n1\n1\n1\n1\n3\n",
         {0, "", {{"t.dat", data_header + "1 1 1 1 1\n"}, {"t.DIS", "ClustID\tL1\nG1+Y1\t0\n"}}}},
        // Every cell holds its block-2 serial; the grand mean is 8.5.
        {"two of each",
         "t.dat\nY\n2\n2\n2\n2 and the rest of this line\n1\n",
         {0,
          "",
          {{"t.dat", two_of_each},
           {"t.DIS", "ClustID\tG1\tG2\nY1+L1\t-6.5\t1.5\nY1+L2\t-4.5\t3.5\n"
                     "Y2+L1\t-2.5\t5.5\nY2+L2\t-0.5\t7.5\n"}}}},
        {"sizes as %d reads them",
         "t.dat\ny\n 1 2\t1\n+1\n\n2\n",
         {0, "", {{"t.dat", data_header + "1 1 1 1 1\n1 2 1 1 2\n"}}}},
        {"a size of 0 gives the header only",
         "t.dat\ny\n0\n1\n1\n1\n",
         {1, "holds no complete record", {{"t.dat", data_header}}}},
        {"so does a negative size", "t.dat\ny\n3\n-2\n1\n1\n", {1, "", {{"t.dat", data_header}}}},
        {"the largest sizes beside a 0 are not counted through",
         "t.dat\ny\n2147483647\n2147483647\n2147483647\n0\n",
         {1, "", {{"t.dat", data_header}}}},
        {"a word",
         "t.dat\ny\n2\nabc\n",
         {1, "number of years must be a whole number", {{"t.dat", std::nullopt}}}},
        {"a fraction is named whole, for its own size",
         "t.dat\ny\n2.5\n2\n",
         {1,
          "number of varieties must be a whole number from -2147483648 to 2147483647, not "
          "\"2.5\". No",
          {{"t.dat", std::nullopt}}}},
        {"hexadecimal",
         "t.dat\ny\n2 0x10 2 2\n",
         {1, "of years must be a whole number from "
             "-2147483648 to 2147483647, not \"0x10\""}},
        {"letters after the last size",
         "t.dat\ny\n1\n1\n1\n3a\n1\n",
         {1,
          "number of blocks must be a whole number from -2147483648 to 2147483647, not \"3a\"",
          {{"t.dat", std::nullopt}}}},
        {"a yes typed as a word", "t.dat\nyes\n1\n1\n1\n1\n1\n", {0, "", {{"t.dat", one}}}},
        {"Yes and the sizes on one line", "t.dat\nYes 1 1 1 1\n1\n", {0, "", {{"t.dat", one}}}},
        {"y and the sizes on one line", "t.dat\ny 1 1 1 1\n1\n", {0, "", {{"t.dat", one}}}},
        {"beyond int",
         "t.dat\ny\n99999999999\n",
         {1, "number of varieties must be a whole number", {{"t.dat", std::nullopt}}}},
        {"input ends",
         "t.dat\ny\n2\n2\n",
         {1, "number of locations was not given", {{"t.dat", std::nullopt}}}},
        {"too many records",
         "t.dat\ny\n2000\n2000\n2000\n1\n",
         {1, "too large", {{"t.dat", std::nullopt}}}},
        {"a folder that does not exist",
         "no/such/t.dat\ny\n",
         {1, "Can't create the data file \"no/such/t.dat\""}},
    };
    for (const auto& c : cases) expect_run(c.what, {.input = c.input}, c.expected);
}

TEST(Template, AFailedWriteEndsItAtOnce) {
    // Two billion records would fill the disk long before they were all
    // formatted; here the disk is full after one megabyte.
    expect_run("file size limit",
               {.input = "t.dat\ny\n46340\n46340\n1\n1\n",
                .file_size = 1 << 20,
                .environment = {{"FAULT_WRITE_AFTER_FAILURE", "abort"}},
                .with_faults = true},
               {1,
                "Can't write the template into \"t.dat\": File too large. The unfinished file has "
                "been removed.",
                {{"t.dat", std::nullopt}}});
}

TEST(Template, IsNeverCreatedThroughAnExistingName) {
    // A link whose target is missing can't be opened for reading, but it
    // exists: creating through it would write somewhere else entirely.
    expect_run(
        "dangling link",
        {.input = "t.dat\ny\n1\n1\n1\n1\n1\n",
         .prepare =
             [](const std::string& dir) { make_symlink(dir + "/target.dat", dir + "/t.dat"); }},
        {1, "Can't create the data file \"t.dat\"", {{"target.dat", std::nullopt}}});
}

} // namespace
