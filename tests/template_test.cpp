// The design template: created only as a new file, written exactly, loaded at once.
#include "run_program.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(Template, IsWrittenAndAnalysedInTheSameRun) {
    const std::string one = data_header + "1 1 1 1 1\n";
    const std::string two_of_each =
        data_header + "1 1 1 1 1\n1 1 1 2 2\n1 1 2 1 3\n1 1 2 2 4\n1 2 1 1 5\n1 2 1 2 6\n"
                      "1 2 2 1 7\n1 2 2 2 8\n2 1 1 1 9\n2 1 1 2 10\n2 1 2 1 11\n2 1 2 2 12\n"
                      "2 2 1 1 13\n2 2 1 2 14\n2 2 2 1 15\n2 2 2 2 16\n";
    auto answers = [](std::string input) { return RunSetup{.input = "t.dat\n" + input}; };
    auto made = [](const std::string& data) { return Expected{0, "", {{"t.dat", data}}}; };
    auto header_only = Expected{1, "holds no complete record", {{"t.dat", data_header}}};
    auto refused = [](const std::string& message) {
        return Expected{1, message + " No template was written.", {}, true};
    };
    const std::string not_whole = "must be a whole number from -2147483648 to 2147483647, not \"";
    expect_runs({
        {"one of each",
         answers("y\n1\n1\n1\n1\n3\n"),
         {0, "", {{"t.dat", one}, {"t.DIS", "ClustID\tL1\nG1+Y1\t0\n"}}}},
        // Every cell holds its block-2 serial; the grand mean is 8.5.
        {"two of each",
         answers("Y\n2\n2\n2\n2 and the rest of this line\n1\n"),
         {0,
          "",
          {{"t.dat", two_of_each},
           {"t.DIS", "ClustID\tG1\tG2\nY1+L1\t-6.5\t1.5\nY1+L2\t-4.5\t3.5\n"
                     "Y2+L1\t-2.5\t5.5\nY2+L2\t-0.5\t7.5\n"}}}},
        {"sizes as %d reads them", answers("y\n 1 2\t1\n+1\n\n2\n"),
         made(data_header + "1 1 1 1 1\n1 2 1 1 2\n")},
        {"a yes typed as a word", answers("Yes 1 1 1 1\n1\n"), made(one)},
        {"a size of 0 gives the header only", answers("y\n0\n1\n1\n1\n"), header_only},
        {"the largest sizes beside a 0 are not counted through",
         answers("y\n2147483647\n2147483647\n2147483647\n0\n"), header_only},
        {"a fraction, named whole for its own size", answers("y\n2.5\n2\n"),
         refused("number of varieties " + not_whole + "2.5\".")},
        {"a fraction as the input's last word", answers("y\n2\n2.5"),
         refused("number of years " + not_whole + "2.5\".")},
        {"beyond int", answers("y\n99999999999\n"),
         refused("varieties " + not_whole + "99999999999\".")},
        {"input ends", answers("y\n2\n2\n"),
         refused("number of locations was not given: the input ended.")},
        {"too many records", answers("y\n2000\n2000\n2000\n1\n"),
         refused("is too large: at most 2147483647 records are possible.")},
        {"too many records in years and locations", answers("y\n1\n50000\n50000\n1\n"),
         refused("A template of 1 x 50000 x 50000 x 1 records is too large: at most 2147483647 "
                 "records are possible.")},
        {"an empty name",
         {.input = "\ny\n1\n1\n1\n1\n1\n"},
         {1, "\nA template needs a name", {}, true}},
        {"a folder that does not exist",
         {.input = "no/such/t.dat\ny\n"},
         {1, "Can't create the data file \"no/such/t.dat\"", {}, true}},
        // A link whose target is missing can't be opened for reading, but it
        // exists: creating through it would write somewhere else entirely.
        {"a link to nothing",
         {.input = "t.dat\ny\n1\n1\n1\n1\n1\n",
          .prepare =
              [](const std::string& folder) {
                  EXPECT_EQ(symlink("target.dat", (folder + "/t.dat").c_str()), 0);
              },
          .only_on = System::posix},
         {1, "Can't create the data file \"t.dat\": File exists", {}, true}},
        // Two billion records would fill the disk long before they were all
        // formatted; the first failed write must end the run.
        {"a full disk",
         {.input = "t.dat\ny\n46340\n46340\n1\n1\n",
          .file_size = 1 << 20,
          .environment = {{"FAULT_WRITE_AFTER_FAILURE", "abort"}},
          .with_faults = true},
         {1,
          "Can't write the template into \"t.dat\": File too large. The unfinished file has been "
          "removed.",
          {},
          true}},
        // Killed as it tells of the full disk: the unfinished file was gone
        // before the message said so.
        {"a full disk, the run killed at its message",
         {.input = "t.dat\ny\n46340\n46340\n1\n1\n",
          .file_size = 1 << 20,
          .environment = {{"FAULT_SIGNAL_AT_TEXT", "9:Can't write the template"}},
          .with_faults = true,
          .only_on = System::posix},
         {.status = -1, .nothing_else = true, .signal = 9}},
    });
}

} // namespace
