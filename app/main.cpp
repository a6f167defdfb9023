// clustmat: turns a multi-environment trial's data file into cluster matrix
// files, one a trait, and with --tree the trees of their columns. The run:
// the command line, the dialogue, the template (for a new file), the load,
// the layout, the matrix files and the trees' files.

#include "app/command_line.h"
#include "app/dialogue.h"
#include "app/file_encoding.h"
#include "app/notices.h"
#include "app/template_generator.h"
#include "input/loader.h"
#include "matrix/matrix_file.h"
#include "matrix/output_name.h"
#include "platform/platform.h"
#include "texts/console_texts.h"
#include "tree/tree_files.h"

int main(int argc, char** argv) {
    prepare_standard_streams();
    end_on_running_out_of_memory();
    const std::vector<std::string> arguments = command_line_arguments(argc, argv);
    // The language before anything is said in it: a c after a faulty option
    // still has its usage error told in Chinese, and c --help is answered so.
    chinese_mode = read_command_line(arguments).chinese ? 1 : 0;
    set_memory_use(compose(texts::memory_to_start));
    const CommandLine line = read_command_line(arguments);
    if (line.request != Request::run) return answer_request(line);
    hold_console_at_exit();
    install_interrupt_handling();
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
    // anything is written. The matrices of several traits are named after
    // them, and checked once the header names them; a tree's files with
    // their matrices.
    std::vector<std::string> matrix_names;
    std::vector<TreeFileNames> tree_names;
    if (line.output && !line.several_traits) matrix_names = {choose_matrix_file(line.output, data)};
    LoadPlan plan = plan_load(data, line.load);
    if (line.several_traits) matrix_names = choose_matrix_files(line.output, data, plan.traits);
    if (line.tree && !matrix_names.empty()) tree_names = choose_tree_files(matrix_names, data);
    // Whenever the rest is checked, every name the run may write fits the
    // system and is a file of its own before the data are read.
    check_run_names(matrix_names.empty() ? std::vector{matrix_file_name(data.name)} : matrix_names,
                    line.tree, plan.traits);
    // The data file read into one trait cube a trait; the load closes it.
    // Its names' code page is known once all are read.
    Trial trial = load_trait_cube(plan, line.load);
    const TextEncoding encoding = file_encoding(trial, line.encoding);
    show_trait_names(trial, encoding);
    account_for(trial);
    const Layout layout = ask_for_layout(line.layout);
    if (matrix_names.empty()) {
        matrix_names = {choose_matrix_file({}, data)};
        if (line.tree) tree_names = choose_tree_files(matrix_names, data);
    }
    // Each cube's matrix columns clustered, when a tree is asked for.
    const std::vector<TraitTree> trees =
        line.tree ? grow_trees(trial, layout, line.tree_options) : std::vector<TraitTree>();
    // Every file written staged, and all put in place together; a trait
    // without a tree now loses an earlier run's tree with them.
    const std::vector<std::string> older = older_tree_files(tree_names, trees);
    const std::vector<std::string> names = output_names(matrix_names, tree_names, trees, older);
    set_memory_use(compose(texts::memory_for_matrix));
    const std::optional<std::vector<MatrixFile>> matrices =
        stage_matrix_files(matrix_names, trial, layout, names);
    if (!matrices) return exit_unwritten;
    // Unset, a table's cells are block means and a classic file's the last value.
    const bool cell_means = line.load.cell_means.value_or(trial.table);
    if (!stage_tree_files(tree_names, trees,
                          {data.name, trial, layout, line.tree_options, cell_means, encoding},
                          older, names) ||
        !commit_output_files(names))
        return exit_unwritten;
    for (const MatrixFile& matrix : *matrices) announce_matrix(matrix);
    announce_trees(matrix_names, trees, layout, line.tree_options, older);
    return exit_written;
}
