// Whole or nothing: whatever happens during a run, a matrix or a template
// file is either complete under its name or not there, and what stood under
// that name before is replaced only by a complete file.
#include "run_program.h"

#include <filesystem>
#include <gtest/gtest.h>

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

// Takes every write permission away: on Windows, sets the read-only attribute.
void protect(const std::string& path) {
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
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
          .prepare = [](const std::string& dir) { make_symlink("target.txt", dir + "/d.DIS"); }},
         {0, "", {{"d.DIS", matrix}, {"target.txt", old_matrix}}}},
        {"a FIFO is replaced, never waited on",
         {.input = "d.dat\n1\n",
          .files = {{"d.dat", data}},
          .prepare = [](const std::string& dir) { make_fifo(dir + "/d.DIS"); }},
         {0, "", {{"d.DIS", matrix}}}},
        {"a protected matrix file is kept",
         {.input = "d.dat\n1\n",
          .files = {{"d.dat", data}, {"d.DIS", old_matrix}},
          .prepare = [](const std::string& dir) { protect(dir + "/d.DIS"); }},
         {1, cant_open, {{"d.DIS", old_matrix}, {"d.dat", data}}, true}},
        {"a folder under the name",
         {.input = "d.dat\n1\n",
          .files = {{"d.dat", data}},
          .prepare =
              [](const std::string& dir) { std::filesystem::create_directory(dir + "/d.DIS"); }},
         {1, cant_open, {{"d.dat", data}}, true}},
        {"a folder this user may not write",
         {.input = "d.dat\n1\n",
          .files = {{"d.dat", data}},
          .unprivileged = true,
          .prepare = protect},
         {1, cant_open, {{"d.dat", data}}, true}},
        {"the data file under the matrix's name",
         {.input = "run1.DIS\n1\n", .files = {{"run1.DIS", data}}},
         {1, "would replace the data file \"run1.DIS\"", {{"run1.DIS", data}}, true}},
        {"a hard link to the data file under the matrix's name",
         {.input = "t.dat\n1\n",
          .files = {{"t.dat", data}},
          .prepare =
              [](const std::string& dir) { make_hard_link(dir + "/t.dat", dir + "/t.DIS"); }},
         {1, "would replace the data file \"t.dat\"", {{"t.dat", data}, {"t.DIS", data}}, true}},
        {"the data file under the matrix's name, spelled in other letters (Windows)",
         {.input = "t1.dis\n1\n", .files = {{"t1.dis", data}}, .only_on = System::windows},
         {1, "would replace the data file \"t1.dis\"", {{"t1.dis", data}}, true}},
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
         {.input = answers, .unprivileged = true, .prepare = protect},
         {1, "Can't create the data file \"t.dat\": Permission denied", {}, true}},
    };
    for (const auto& c : cases) expect_run(c.what, c.setup, c.expected);
}

} // namespace
