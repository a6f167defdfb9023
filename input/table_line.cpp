#include "input/table_line.h"

#include <algorithm>

// The line-by-line splitting, which defines what a table's line holds; the
// plain lines of a trial take the quick way of input/plain_line.h.

// Reads the quoted field that starts at `at` (its opening quote) into
// `field`; gives the place after the closing quote, or nullptr when there is
// none on the line.
static const char* take_quoted(const char* at, const char* end, std::string_view& field,
                               std::string& unquoted) {
    const char* const first = at + 1;
    const char* close = std::find(first, end, '"');
    if (close == end) return nullptr;
    // Most quoted fields hold no "": a view into the line does.
    if (close + 1 == end || close[1] != '"') {
        field = std::string_view(first, static_cast<std::size_t>(close - first));
        return close + 1;
    }
    // Fields that held "" never need more room than the line: views into
    // `unquoted` stay valid while it fills. A word may be read from any of
    // its bytes (see input/levels.h).
    const std::size_t needed = static_cast<std::size_t>(end - first) + unquoted.size() + 8;
    if (unquoted.capacity() < needed) unquoted.reserve(2 * needed);
    const std::size_t start = unquoted.size();
    const char* from = first;
    for (;;) {
        unquoted.append(from, close);
        if (close + 1 < end && close[1] == '"') {
            unquoted.push_back('"');
            from = close + 2;
            close = std::find(from, end, '"');
            if (close == end) return nullptr;
            continue;
        }
        field = std::string_view(unquoted).substr(start);
        return close + 1;
    }
}

// The field about to be added was in quotes.
static void mark_quoted(TableLine& line) {
    if (line.count < 64) line.quoted |= std::uint64_t{1} << line.count;
}

// The end of the unquoted field at p: the separator (a blank or a tab for
// runs of them) or the line's end.
template <char separator>
static const char* field_end(const char* p, const char* end) {
    while (p < end && *p != separator && !(separator == ' ' && *p == '\t')) ++p;
    return p;
}

// Fields between single separators (a comma, a semicolon or a tab), blanks
// around them not part of them; an empty field where two separators meet.
template <char separator>
static bool split_at(std::string_view line, TableLine& out) {
    const char* p = line.data();
    const char* const end = p + line.size();
    for (;;) {
        while (p < end && is_padding<separator>(*p)) ++p;
        std::string_view field;
        if (p < end && *p == '"') {
            if (!(p = take_quoted(p, end, field, out.unquoted))) return false;
            mark_quoted(out);
            while (p < end && is_padding<separator>(*p)) ++p;
            if (p < end && *p != separator) return false;
        } else {
            const char* const first = p;
            p = field_end<separator>(p, end);
            const char* last = p;
            while (last > first && is_padding<separator>(last[-1])) --last;
            field = std::string_view(first, static_cast<std::size_t>(last - first));
        }
        add_field(out, field);
        if (p == end) return true;
        if (++p == end) {
            add_field(out, {}); // a separator at the end leaves an empty field
            return true;
        }
    }
}

// Fields separated by runs of blanks and tabs.
static bool split_at_blanks(std::string_view line, TableLine& out) {
    const char* p = line.data();
    const char* const end = p + line.size();
    for (;;) {
        while (p < end && is_padding<' '>(*p)) ++p;
        if (p == end) return true;
        std::string_view field;
        if (*p == '"') {
            if (!(p = take_quoted(p, end, field, out.unquoted))) return false;
            mark_quoted(out);
            // Text straight after the closing quote belongs to no field.
            if (p < end && !is_padding<' '>(*p)) return false;
        } else {
            const char* const first = p;
            p = field_end<' '>(p, end);
            field = std::string_view(first, static_cast<std::size_t>(p - first));
        }
        add_field(out, field);
    }
}

bool split_line(std::string_view line, Separator separator, TableLine& out) {
    out.count = 0;
    out.quoted = 0;
    out.unquoted.clear();
    switch (separator) {
    case Separator::comma:
        return split_at<','>(line, out);
    case Separator::semicolon:
        return split_at<';'>(line, out);
    case Separator::tab:
        return split_at<'\t'>(line, out);
    case Separator::blanks:
        break;
    }
    return split_at_blanks(line, out);
}

bool is_blank_line(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

bool next_text_line(DataReader& reader, std::string_view& line, std::int64_t& number) {
    for (;;) {
        if (!reader_next_line(reader, line)) return false;
        ++number;
        if (line.starts_with(byte_order_mark)) line.remove_prefix(byte_order_mark.size());
        if (line.size() > longest_line) return true;
        if (!line.empty() && line[0] != ' ' && line[0] != '\t') return true;
        if (!is_blank_line(line)) return true;
    }
}
