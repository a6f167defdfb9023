#include "app/data_file_dialogue.h"

#include "app/console_input.h"
#include "app/console_texts.h"
#include "design/template_generator.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>

char data_file_name[data_name_capacity];
std::size_t data_name_length = 0;
std::FILE* data_stream = nullptr;
dev_t data_file_device = 0;
ino_t data_file_inode = 0;

void select_language(int argc, char** argv) {
    chinese_mode = 0;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "c" || arg == "C") chinese_mode = 1;
    }
}

static void read_data_file_name() {
    put_text(stdout, in_language(texts::name_prompt_en, texts::name_prompt_zh));
    auto line = read_console_line(data_name_capacity - 1);
    if (!line)
        fatal_exit("\nThe file name is longer than 31 characters. Rename or move the file so "
                   "that its name is shorter.");
    // A NUL typed into the name ends it, as it would for the system's calls.
    std::strncpy(data_file_name, line->c_str(), data_name_capacity - 1);
}

// Creates the named file for a template. Exclusive creation: a file that
// exists but could not be opened for reading is never emptied.
static std::FILE* create_template_file() {
    std::FILE* stream = std::fopen(data_file_name, "w+x");
    if (!stream) {
        std::string message = "\nCan't create the data file \"";
        message += data_file_name;
        message += "\": ";
        message += std::strerror(errno);
        fatal_exit(message);
    }
    return stream;
}

// A FIFO would keep the open waiting for a writer, and a device such as
// /dev/zero never ends: only files and folders (whose read fails with a
// clear message) are opened.
static void refuse_special_file() {
    struct stat info;
    if (stat(data_file_name, &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        fatal_exit(std::string("\n\"") + data_file_name +
                   "\" is a device, pipe or socket, not a data file.");
}

void open_data_file() {
    read_data_file_name();
    refuse_special_file();

    data_stream = std::fopen(data_file_name, "r");
    if (data_stream) {
        put_text(stderr, texts::opened_notice);
    } else {
        put_text(stderr, in_language(texts::create_question_en, texts::create_question_zh));
        int answer = read_console_char();
        read_console_char(); // normally the line end
        if (answer != 'y' && answer != 'Y') fatal_exit(texts::refusal);

        data_stream = create_template_file();
        make_template();
        std::rewind(data_stream);
        discard_console_line();
    }

    struct stat info;
    if (fstat(fileno(data_stream), &info) == 0) {
        data_file_device = info.st_dev;
        data_file_inode = info.st_ino;
    }
    data_name_length = std::strlen(data_file_name);
}
