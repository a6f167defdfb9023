#include "design/template_generator.h"

#include "app/console_input.h"
#include "app/console_texts.h"
#include "app/data_file_dialogue.h"
#include "platform/platform.h"
#include "storage/checked_size.h"
#include "storage/staged_file.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>

[[noreturn]] static void cant_create(int error_number) {
    fatal_exit(std::string("\nCan't create the data file \"") + data_file_name +
               "\": " + std::strerror(error_number));
}

// A name that exists but could not be opened for reading (a file without
// read permission, a link to nothing) is never replaced by a template, and
// a folder where it can't be written is found before the sizes are asked.
static void stage_template_file() {
    if (use_of_name(data_file_name) != NameUse::free) cant_create(EEXIST);
    data_stream = stage_file(data_file_name);
    if (!data_stream) cant_create(errno);
}

static const char* const size_names[] = {"varieties", "years", "locations", "blocks"};

static int read_template_size(int which) {
    put_text(stdout, texts::template_prompts[which]);
    ConsoleInt answer = read_console_whole_number();
    if (answer.ok) return answer.value;
    std::string message = "\nThe number of ";
    message += size_names[which];
    if (answer.bad_token.empty() && std::feof(stdin)) {
        message += " was not given: the input ended.";
    } else {
        message += " must be a whole number from -2147483648 to 2147483647, not \"";
        message += answer.bad_token;
        message += "\".";
    }
    message += " No template was written.";
    fatal_exit(message);
}

[[noreturn]] static void template_write_failed() {
    std::string message = "\nCan't write the template into \"";
    message += data_file_name;
    message += "\": ";
    message += std::strerror(errno);
    message += ". The unfinished file has been removed.";
    fatal_exit(message);
}

// A template may run to billions of records: the first write that fails (a
// full disk) ends it, rather than the formatting of all the rest.
static void write_block(const char* block, std::size_t size) {
    if (std::fwrite(block, 1, size, data_stream) != size) template_write_failed();
}

// Formats one record line; buffer space for five ints and separators.
static char* put_record(char* out, int v, int y, int l, int b, int n) {
    const int fields[5] = {v, y, l, b, n};
    for (int i = 0; i < 5; ++i) {
        out = std::to_chars(out, out + 11, fields[i]).ptr;
        *out++ = i < 4 ? ' ' : '\n';
    }
    return out;
}

void make_template() {
    stage_template_file();
    int sizes[4];
    for (int i = 0; i < 4; ++i) sizes[i] = read_template_size(i);
    const int nv = sizes[0], ny = sizes[1], nl = sizes[2], nb = sizes[3];
    // A size of 0 or less means no record at all; the other sizes may still
    // be large enough that merely counting through them would never end.
    const bool any_records = nv > 0 && ny > 0 && nl > 0 && nb > 0;

    if (any_records) {
        // The serial number is an int, and so is every record count that
        // reads the file back.
        int records;
        bool too_many = !multiply_checked(nv, ny, records) ||
                        !multiply_checked(records, nl, records) ||
                        !multiply_checked(records, nb, records);
        if (too_many)
            fatal_exit("\nA template of " + std::to_string(nv) + " x " + std::to_string(ny) +
                       " x " + std::to_string(nl) + " x " + std::to_string(nb) +
                       " records is too large: at most 2147483647 records are possible. "
                       "No template was written.");
    }

    static char buffer[1 << 16];
    constexpr std::size_t longest_line = 5 * 12;
    std::size_t used = 0;
    const char header[] = "Var Year Loca Blk Trait\n";
    std::memcpy(buffer, header, sizeof header - 1);
    used = sizeof header - 1;

    int serial = 0;
    for (int v = 1; any_records && v <= nv; ++v)
        for (int y = 1; y <= ny; ++y)
            for (int l = 1; l <= nl; ++l)
                for (int b = 1; b <= nb; ++b) {
                    if (used + longest_line > sizeof buffer) {
                        write_block(buffer, used);
                        used = 0;
                    }
                    used = put_record(buffer + used, v, y, l, b, ++serial) - buffer;
                }
    write_block(buffer, used);
    data_stream = nullptr;
    if (!commit_staged_file(false)) {
        // Another run, or someone else, created the name meanwhile.
        if (errno == EEXIST) cant_create(errno);
        template_write_failed();
    }
}
