#include "design/data_file.h"

#include "texts/console_texts.h"

#include <cerrno>
#include <cstring>

std::string data_file_name;
std::FILE* data_stream = nullptr;
FileState data_file_state;

void data_file_unreadable(int error_number) {
    fatal_exit(
        fill(texts::cant_read_data_file, {quoted(data_file_name), std::strerror(error_number)}));
}

bool open_data_file(const std::string& name) {
    data_file_name = name;
    switch (open_for_reading(name.c_str(), data_stream)) {
    case Opening::opened:
        break;
    case Opening::missing:
        return false;
    case Opening::folder:
        data_file_unreadable(EISDIR);
    case Opening::not_a_file:
        fatal_exit(fill(texts::not_a_data_file, {quoted(name)}));
    }
    if (!state_of(data_stream, data_file_state)) data_file_unreadable(errno);
    return true;
}

bool data_file_as_opened() {
    FileState now;
    return state_of(data_stream, now) && now == data_file_state;
}

void close_data_file() {
    std::fclose(data_stream);
    data_stream = nullptr;
}
