#include "matrix/analysis_choice.h"

#include "app/console_input.h"
#include "app/console_texts.h"
#include "app/data_file_dialogue.h"
#include "design/loader.h"
#include "matrix/matrix_writer.h"
#include "matrix/output_name.h"
#include "platform/platform.h"
#include "storage/staged_file.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>

static Layout read_layout_choice() {
    put_text(stdout, texts::analysis_menu);
    ConsoleInt answer = read_console_int();
    if (!answer.ok || answer.value < 1 || answer.value > 3) {
        put_text(stdout, texts::bad_choice_notice);
        std::fflush(stdout);
        fatal_exit(texts::bad_choice);
    }
    return static_cast<Layout>(answer.value);
}

// A data file named like run1.DIS (or reached through a link under that
// name) would be replaced by its own matrix.
static void refuse_to_overwrite_data(const std::string& output_name) {
    FileIdentity identity;
    if (identity_of(output_name.c_str(), identity) && identity == data_file_state.identity)
        fatal_exit("\nThe matrix file \"" + output_name + "\" would replace the data file \"" +
                   data_file_name + "\". Rename the data file so that it does not end in .DIS.");
}

// A folder, or a file someone protected from writing, is not replaced; a
// link, a pipe or any other file under the name is replaced, never written
// through.
static std::FILE* open_matrix_file(const std::string& output_name) {
    NameUse use = use_of_name(output_name.c_str());
    std::FILE* out = use == NameUse::folder || use == NameUse::protected_file
                         ? nullptr
                         : stage_file(output_name);
    if (!out) fatal_exit(texts::output_open_failure);
    return out;
}

static void report_failed_write(const std::string& output_name, int error_number) {
    put_text(stderr, "\nThe matrix file \"" + output_name + "\" could not be written in full (" +
                         std::strerror(error_number) +
                         "). Its unfinished copy has been removed; \"" + output_name +
                         "\" is as it was before the run.\n");
}

static std::string decimal(std::int64_t number) {
    char digits[24];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

// Tells which file now holds the matrix and how large it is, so that a
// breeder finds it and can check it against the trial. The counts leave out
// the header and the row labels; a row count of two large factors exceeds int.
static void announce_matrix(const std::string& output_name, Layout layout) {
    // The analysed factor's levels are the columns, every pair of the other
    // two factors' levels a row.
    const std::int64_t levels[3] = {nVar, nYear, nLoc};
    const int k = static_cast<int>(layout) - 1;
    const std::int64_t columns = levels[k], rows = levels[(k + 1) % 3] * levels[(k + 2) % 3];
    const std::string fields[3] = {output_name, decimal(rows), decimal(columns)};
    for (std::size_t i = 0; i < 4; ++i) {
        put_in_language(stderr, texts::matrix_written_en[i], texts::matrix_written_zh[i]);
        if (i < 3) put_text(stderr, fields[i]);
    }
}

int run_analysis() {
    Layout layout = read_layout_choice();
    std::string output_name = matrix_file_name(data_file_name);
    refuse_to_overwrite_data(output_name);

    std::FILE* out = open_matrix_file(output_name);
    errno = 0;
    if (!write_cluster_matrix(out, layout)) {
        int error_number = errno != 0 ? errno : EIO;
        discard_staged_file();
        report_failed_write(output_name, error_number);
        return -1;
    }
    if (!commit_staged_file(true)) {
        report_failed_write(output_name, errno);
        return -1;
    }
    announce_matrix(output_name, layout);
    return 0;
}
