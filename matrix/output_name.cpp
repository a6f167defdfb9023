#include "matrix/output_name.h"

#include "platform/platform.h"

// Removes `count` characters of `text` at `position`.
static void str_delete(std::string& text, std::size_t position, std::size_t count) {
    text.erase(position, count);
}

std::string matrix_file_name(std::string_view data_name) {
    std::string name(name_as_opened(data_name));
    const std::size_t base = name_proper_start(name);
    if (name.size() - base >= 4) str_delete(name, name.size() - 4, 4);
    return name + ".DIS";
}
