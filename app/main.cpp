// clustmat: turns a multi-environment trial's data file into a cluster
// matrix file. The run: the command line, the dialogue, the template (for a
// new file), the load, the layout, the matrix file.

#include "app/command_line.h"
#include "app/dialogue.h"
#include "design/loader.h"
#include "design/template_generator.h"
#include "matrix/matrix_file.h"
#include "platform/platform.h"
#include "texts/console_texts.h"

// Tells which file now holds the matrix and how large it is, so that a
// breeder finds it and can check it against the trial.
static void announce_matrix(const MatrixFile& matrix) {
    const std::string fields[3] = {matrix.name, decimal(matrix.rows), decimal(matrix.columns)};
    for (std::size_t i = 0; i < 4; ++i) {
        // The name goes out as names do (platform/platform.h), the text
        // around it in the console's language.
        put_in_language(stderr, texts::matrix_written_en[i], texts::matrix_written_zh[i]);
        if (i < 3) put_text(stderr, fields[i]);
    }
}

// A number and its English word: "1 record", "2 records".
static std::string counted(std::int64_t number, const std::array<std::string_view, 2>& words) {
    return decimal(number) + " " + std::string(words[number == 1 ? 0 : 1]);
}

// Tells what a table's load read, so that a breeder sees at once whether
// the file was read as meant: how many records and levels, and how many
// trait values were observations, missing or zero.
static void account_for(const LoadAccount& account) {
    if (!account.table) return;
    const std::string records = decimal(account.records), varieties = decimal(nVar),
                      years = decimal(nYear), locations = decimal(nLoc),
                      repeated = decimal(account.repeated_headers);
    std::string read =
        chinese_mode == 1
            ? fill(texts::account_read_zh, {records, varieties, years, locations})
            : fill(texts::account_read_en,
                   {counted(account.records, texts::record_words),
                    counted(nVar, texts::variety_words), counted(nYear, texts::year_words),
                    counted(nLoc, texts::location_words)});
    if (account.repeated_headers > 0)
        read += chinese_mode == 1 ? fill(texts::account_repeated_zh, {repeated})
                                  : fill(texts::account_repeated_en,
                                         {counted(account.repeated_headers, texts::header_words)});
    const std::string values = decimal(account.values), missing = decimal(account.missing),
                      zeros = decimal(account.zeros);
    std::string trait =
        chinese_mode == 1
            ? fill(texts::account_trait_zh, {values, missing})
            : fill(texts::account_trait_en, {counted(account.values, texts::value_words), missing});
    if (account.zeros > 0)
        trait += chinese_mode == 1
                     ? fill(texts::account_zeros_zh, {zeros})
                     : fill(texts::account_zeros_en, {counted(account.zeros, texts::zero_words)});
    // The trait's name goes out as names do (platform/platform.h), the
    // text around it in the console's language.
    put_gbk_text(stderr, read + ".\n");
    put_text(stderr, escaped(account.trait, token_shown));
    put_gbk_text(stderr, trait + ".\n");
}

int main(int argc, char** argv) {
    prepare_standard_streams();
    const CommandLine line = read_command_line(command_line_arguments(argc, argv));
    if (line.request != Request::run) return answer_request(line);
    hold_console_at_exit();
    install_interrupt_handling();
    chinese_mode = line.chinese ? 1 : 0;
    // A script names the data file; the banner is for whoever is asked.
    scripted_run = line.data_file.has_value();
    if (!line.data_file || !line.layout) print_banner();

    if (std::optional<TemplateSizes> sizes = ask_for_data_file(line.data_file)) {
        make_template(*sizes);
        open_template();
    }
    // A matrix file named on the command line is checked before the data are
    // read, the derived one once the layout is known: either way before
    // anything is written.
    std::string matrix_name = line.output ? choose_matrix_file(line.output) : "";
    load_trait_cube(line.load);
    account_for(load_account);
    const Layout layout = ask_for_layout(line.layout);
    if (!line.output) matrix_name = choose_matrix_file({});
    const MatrixFile matrix = write_matrix_file(matrix_name, layout);
    if (!matrix.written) return exit_unwritten;
    announce_matrix(matrix);
    return exit_written;
}
