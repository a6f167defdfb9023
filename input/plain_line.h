// The quick way through a table file. Nearly every line of a trial is plain:
// fields without quotes and a LF or CR LF line end; such a line is split
// straight from the reader's buffer in one walk over its bytes, without
// looking for its end first. Anything else (a quote, a NUL, a line that
// runs to the end of the buffered bytes, a line whose fields are all empty,
// a byte-order mark) is left to the line-by-line reading that defines the
// behaviour. Inline, so that it joins the loader's loops.
#pragma once

#include "input/data_reader.h"
#include "input/table_line.h"

#include <array>

namespace plain_line_detail {

enum : unsigned char { field_byte = 0, separates = 1, stops = 2 };

// What each byte is on a plain line: part of a field, a separator (blanks
// and tabs for runs of them), or a byte that ends the line or makes it other
// than plain (a line end, a CR, a NUL, a quote).
template <char separator>
inline constexpr auto classes = [] {
    std::array<unsigned char, 256> table{};
    for (unsigned char c : {'\n', '\r', '\0', '"'}) table[c] = stops;
    table[static_cast<unsigned char>(separator)] = separates;
    if (separator == ' ') table['\t'] = separates;
    return table;
}();

} // namespace plain_line_detail

// Splits the next line into `out` when it is plain, and consumes it with
// its line end; otherwise gives false and consumes nothing. `separator` is
// ',', ';' or '\t' (single separators), or ' ' (runs of blanks and tabs). The
// fields are counted in a local, not in `out`: a store through a field
// could alias the count, which would then go through memory at every field.
template <char separator>
inline bool take_plain_line(DataReader& reader, TableLine& out) {
    using namespace plain_line_detail;
    const auto& kind = classes<separator>;
    if (out.fields.size() < 64) out.fields.resize(64);
    std::string_view* const fields = out.fields.data();
    const std::size_t room = out.fields.size();
    std::size_t count = 0;
    const char* const start = reader.buffer + reader.begin;
    // A byte-order mark starts with this byte, which no plain line does.
    if (*start == '\xEF') return false;
    const char* p = start;
    if (separator == ' ')
        while (kind[static_cast<unsigned char>(*p)] == separates) ++p;
    unsigned char ended;
    do {
        if (separator != ' ')
            while (is_padding<separator>(*p)) ++p;
        const char* const first = p;
        // Two bytes a round: most fields are a few bytes long.
        for (;; p += 2) {
            if ((ended = kind[static_cast<unsigned char>(p[0])]) != field_byte) break;
            if ((ended = kind[static_cast<unsigned char>(p[1])]) != field_byte) {
                ++p;
                break;
            }
        }
        // In runs of blanks, a field ends at a blank: at anything else
        // straight after the blanks, the line ends.
        if (separator == ' ' && p == first) break;
        const char* last = p;
        if (separator != ' ')
            while (last > first && is_padding<separator>(last[-1])) --last;
        // More fields than room: the line-by-line reading makes more.
        if (count == room) return false;
        fields[count++] = std::string_view(first, static_cast<std::size_t>(last - first));
        if (ended == separates) {
            ++p;
            if (separator == ' ')
                while (kind[static_cast<unsigned char>(*p)] == separates) ++p;
        }
    } while (ended == separates);
    // The buffer's NUL after its bytes ends the walk too: the line may go on
    // beyond them.
    if (*p == '\r') ++p;
    if (*p != '\n' || count == 0 || static_cast<std::size_t>(p - start) > longest_line)
        return false;
    // An empty row's fields are all empty; a record's first field rarely is.
    if (fields[0].empty()) {
        std::size_t i = 1;
        while (i < count && fields[i].empty()) ++i;
        if (i == count) return false;
    }
    out.count = count;
    out.quoted = 0;
    reader.begin = static_cast<std::size_t>(p + 1 - reader.buffer);
    return true;
}
