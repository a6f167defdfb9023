// clustmat: turns a multi-environment trial's data file into a cluster
// matrix file. The run: the command line, the dialogue, the template (for a
// new file), the load, the layout, the matrix file.

#include "app/command_line.h"
#include "app/dialogue.h"
#include "app/notices.h"
#include "design/loader.h"
#include "design/template_generator.h"
#include "matrix/matrix_file.h"
#include "platform/platform.h"
#include "texts/console_texts.h"

int main(int argc, char** argv) {
    prepare_standard_streams();
    end_on_running_out_of_memory();
    const CommandLine line = read_command_line(command_line_arguments(argc, argv));
    if (line.request != Request::run) return answer_request(line);
    hold_console_at_exit();
    install_interrupt_handling();
    chinese_mode = line.chinese ? 1 : 0;
    // A script names the data file; the banner is for whoever is asked.
    scripted_run = line.data_file.has_value();
    if (!line.data_file || !line.layout) print_banner();

    // The data file: named, or asked for; a new one made from a template.
    DataFileAnswer answer = ask_for_data_file(line.data_file);
    if (!answer.file) {
        make_template(answer.template_name, answer.sizes);
        answer.file = open_template(answer.template_name);
    }
    DataFile& data = *answer.file;
    // A matrix file named on the command line is checked before the data are
    // read, the derived one once the layout is known: either way before
    // anything is written.
    std::string matrix_name = line.output ? choose_matrix_file(line.output, data) : "";
    // The data file read into a trait cube, which it closes.
    const Trial trial = load_trait_cube(data, line.load);
    account_for(trial);
    // The cube written as the matrix of the layout chosen.
    const Layout layout = ask_for_layout(line.layout);
    if (!line.output) matrix_name = choose_matrix_file({}, data);
    set_memory_use(texts::memory_for_matrix);
    const MatrixFile matrix = write_matrix_file(matrix_name, trial.traits.front(), layout);
    if (!matrix.written) return exit_unwritten;
    announce_matrix(matrix);
    return exit_written;
}
