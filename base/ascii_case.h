// Names that Windows and spreadsheets treat alike whatever their case: device
// names, column names. Only ASCII letters fold, so that a byte of a GBK or
// UTF-8 name is never taken for another.
#pragma once

#include <cstddef>
#include <string_view>

inline char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}
