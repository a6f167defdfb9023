#include "matrix/output_name.h"

#include <cstring>

void str_delete(char* text, std::size_t position, std::size_t count) {
    std::memmove(text + position, text + position + count,
                 std::strlen(text + position + count) + 1);
}

std::string matrix_file_name(const char* data_name, std::size_t data_name_length) {
    constexpr std::size_t capacity = 32;
    char name[capacity + 4] = {};
    std::strncpy(name, data_name, capacity - 1);
    if (data_name_length >= 4) str_delete(name, data_name_length - 4, 4);
    return std::string(name) + ".DIS";
}
