#include "design/table_line.h"

#include <algorithm>

static bool is_space(char c, Separator separator) {
    return c == ' ' || (c == '\t' && separator != Separator::tab);
}

// Reads the quoted field that starts at line[at] (its opening quote) into
// `field`; gives the place after the closing quote, or npos when there is
// none on the line.
static std::size_t take_quoted(std::string_view line, std::size_t at, std::string_view& field,
                               std::string& unquoted) {
    const std::size_t first = at + 1;
    std::size_t close = line.find('"', first);
    // Most quoted fields hold no "": a view into the line does.
    if (close == std::string_view::npos) return close;
    if (close + 1 >= line.size() || line[close + 1] != '"') {
        field = line.substr(first, close - first);
        return close + 1;
    }
    const std::size_t start = unquoted.size();
    std::size_t from = first;
    for (;;) {
        unquoted.append(line.substr(from, close - from));
        if (close + 1 < line.size() && line[close + 1] == '"') {
            unquoted.push_back('"');
            from = close + 2;
            close = line.find('"', from);
            if (close == std::string_view::npos) return close;
            continue;
        }
        field = std::string_view(unquoted).substr(start);
        return close + 1;
    }
}

bool split_line(std::string_view line, Separator separator, TableLine& out) {
    out.fields.clear();
    out.unquoted.clear();
    // Fields that held "" never need more room than the line: views into
    // `unquoted` stay valid while it fills.
    out.unquoted.reserve(line.size());
    const bool blanks = separator == Separator::blanks;
    const char sep = separator == Separator::comma ? ',' : '\t';
    std::size_t at = 0;
    for (;;) {
        while (at < line.size() && is_space(line[at], separator)) ++at;
        if (blanks && at == line.size()) return true;
        std::string_view field;
        if (at < line.size() && line[at] == '"') {
            at = take_quoted(line, at, field, out.unquoted);
            if (at == std::string_view::npos) return false;
            const std::size_t closed = at;
            while (at < line.size() && is_space(line[at], separator)) ++at;
            if (at < line.size() && (blanks ? at == closed : line[at] != sep)) return false;
        } else {
            std::size_t end = at;
            if (blanks) {
                while (end < line.size() && !is_space(line[end], separator)) ++end;
            } else {
                end = std::min(line.find(sep, at), line.size());
            }
            field = line.substr(at, end - at);
            while (!field.empty() && is_space(field.back(), separator)) field.remove_suffix(1);
            at = end;
        }
        out.fields.push_back(field);
        if (at >= line.size()) return true;
        if (!blanks && ++at == line.size()) {
            out.fields.emplace_back(); // a separator at the end leaves an empty field
            return true;
        }
    }
}

Separator separator_of(std::string_view first_line) {
    TableLine line;
    if (split_line(first_line, Separator::comma, line) && line.fields.size() >= 5)
        return Separator::comma;
    return first_line.find('\t') != std::string_view::npos ? Separator::tab : Separator::blanks;
}

bool is_blank_line(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}
