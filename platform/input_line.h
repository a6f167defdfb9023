// A typed line as bytes, as both systems read a name from a pipe or a file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Reads standard input up to its next line end, and gives the line without
// it and without a CR before it. At most `kept` bytes are held: the rest of
// a longer line is read and dropped, so that it is not left for the shell,
// and `cut` is set.
inline std::string read_input_line(std::size_t kept, bool& cut) {
    std::string line;
    cut = false;
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') {
        if (line.size() < kept)
            line.push_back(static_cast<char>(c));
        else
            cut = true;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}
