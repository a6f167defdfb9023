#include "app/data_file_dialogue.h"

#include "app/console_input.h"
#include "app/console_texts.h"
#include "design/template_generator.h"

#include <cerrno>
#include <cstring>
#include <string>

char data_file_name[data_name_capacity];
std::FILE* data_stream = nullptr;
FileState data_file_state;

void select_language(int argc, char** argv) {
    chinese_mode = 0;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "c" || arg == "C") chinese_mode = 1;
    }
}

static void read_data_file_name() {
    put_in_language(stdout, texts::name_prompt_en, texts::name_prompt_zh);
    auto line = read_console_line(data_name_capacity - 1);
    if (!line)
        fatal_exit("\nThe file name is longer than 31 characters. Rename or move the file so "
                   "that its name is shorter.");
    // A NUL typed into the name ends it, as it would for the system's calls.
    std::strncpy(data_file_name, line->c_str(), data_name_capacity - 1);
}

[[noreturn]] static void unreadable(int error_number) {
    fatal_exit(std::string("Can't read the data file \"") + data_file_name +
               "\": " + std::strerror(error_number));
}

// Gives false when there is nothing to open under the name. A FIFO would
// keep the run waiting for a writer and a device such as /dev/zero never
// ends: only files are read.
static bool open_existing_file() {
    switch (open_for_reading(data_file_name, data_stream)) {
    case Opening::opened:
        return true;
    case Opening::missing:
        return false;
    case Opening::folder:
        unreadable(EISDIR);
    case Opening::not_a_file:
        break;
    }
    fatal_exit(std::string("\n\"") + data_file_name +
               "\" is a device, pipe or socket, not a data file.");
}

void open_data_file() {
    read_data_file_name();
    if (open_existing_file()) {
        put_text(stderr, texts::opened_notice);
    } else {
        put_in_language(stderr, texts::create_question_en, texts::create_question_zh);
        int answer = read_console_char();
        if (answer != 'y' && answer != 'Y') {
            read_console_char(); // normally the line end
            fatal_exit(texts::refusal);
        }
        // A yes typed as a word (yes, Yes) ends with its word: whatever
        // follows on the line is the first size.
        discard_console_word();

        make_template();
        // The template is read back from its final name, exactly as a data
        // file that existed before.
        if (!open_existing_file()) unreadable(errno);
        discard_console_line();
    }

    if (!state_of(data_stream, data_file_state)) unreadable(errno);
}
