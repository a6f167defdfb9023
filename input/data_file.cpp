#include "input/data_file.h"

#include "texts/console_texts.h"

#include <cerrno>
#include <cstring>

void data_file_unreadable(std::string_view name, int error_number) {
    fatal_exit(fill(texts::cant_read_data_file, {quoted(name), std::strerror(error_number)}));
}

std::optional<DataFile> open_data_file(const std::string& name) {
    DataFile file;
    file.name = name;
    switch (open_for_reading(name.c_str(), file.stream)) {
    case Opening::opened:
        break;
    case Opening::missing:
        return std::nullopt;
    case Opening::folder:
        data_file_unreadable(name, EISDIR);
    case Opening::not_a_file:
        fatal_exit(fill(texts::not_a_data_file, {quoted(name)}));
    }
    if (!state_of(file.stream, file.state)) data_file_unreadable(name, errno);
    return file;
}

bool data_file_as_opened(const DataFile& file) {
    FileState now;
    return state_of(file.stream, now) && now == file.state;
}

void close_data_file(DataFile& file) {
    std::fclose(file.stream);
    file.stream = nullptr;
}
