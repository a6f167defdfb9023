#include "matrix/analysis_choice.h"

#include "app/console_input.h"
#include "app/console_texts.h"
#include "app/data_file_dialogue.h"
#include "matrix/matrix_writer.h"
#include "matrix/output_name.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>

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
// name) would be overwritten by its own matrix.
static void refuse_to_overwrite_data(const std::string& output_name) {
    struct stat info;
    if (stat(output_name.c_str(), &info) == 0 && info.st_dev == data_file_device &&
        info.st_ino == data_file_inode)
        fatal_exit("\nThe matrix file \"" + output_name + "\" would replace the data file \"" +
                   data_file_name + "\". Rename the data file so that it does not end in .DIS.");
}

// Removes a matrix file that could not be written in full, so that no
// truncated matrix is ever taken for a whole one. Only a regular file is
// removed: a name that leads to a device or a link target is left alone.
static void discard_incomplete(const std::string& output_name, int error_number) {
    std::string message = "\nThe matrix file \"" + output_name + "\" could not be written in full";
    if (error_number != 0) message += std::string(" (") + std::strerror(error_number) + ")";
    struct stat info;
    if (lstat(output_name.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        std::remove(output_name.c_str()) == 0)
        message += " and has been removed";
    else
        message += "; it is incomplete";
    message += ".\n";
    put_text(stderr, message);
}

int run_analysis() {
    Layout layout = read_layout_choice();
    std::string output_name = matrix_file_name(data_file_name, data_name_length);
    refuse_to_overwrite_data(output_name);

    std::FILE* out = std::fopen(output_name.c_str(), "w");
    if (!out) fatal_exit(texts::output_open_failure);

    errno = 0;
    bool written = write_cluster_matrix(out, layout) && std::fflush(out) == 0;
    int write_error = errno;
    bool closed = std::fclose(out) == 0;
    if (written && closed) return 0;
    discard_incomplete(output_name, write_error ? write_error : errno);
    return -1;
}
