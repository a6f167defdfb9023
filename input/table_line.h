// The lines of a table file as spreadsheets and R write them: fields
// separated by commas, by semicolons (where the comma is the decimal mark),
// by tabs, or by runs of blanks; a field in double quotes may hold blanks,
// tabs and the separator, with "" standing for one ".
#pragma once

#include "input/data_reader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class Separator { comma, semicolon, tab, blanks };

// What spreadsheets on Windows put before a UTF-8 file's first line; no
// part of the line.
inline constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

// The blanks around a field, which are not part of it: a blank, and a tab
// where tabs don't separate fields.
template <char separator>
inline bool is_padding(char c) {
    return c == ' ' || (separator != '\t' && c == '\t');
}

// The fields of one line, reused from line to line so that a table of
// millions of lines allocates nothing after its first.
struct TableLine {
    std::vector<std::string_view> fields; // the first `count`: into the line, or into `unquoted`
    std::size_t count = 0;
    std::string unquoted; // quoted fields that held ""
    // Bit k: field k, of the first 64, was in double quotes; no separator
    // split it.
    std::uint64_t quoted = 0;
};

// Adds a field. The vector only grows, and is never cleared: a field costs
// no more than a store and one comparison.
inline void add_field(TableLine& line, std::string_view field) {
    if (line.count == line.fields.size()) line.fields.resize(2 * line.count + 16);
    line.fields.data()[line.count++] = field;
}

// Splits `line` (without its line end) into fields: the quotes of a quoted
// field and the blanks around a field are not part of it. False when a
// quoted field is not closed before the end of the line, or text other than
// blanks follows its closing quote.
bool split_line(std::string_view line, Separator separator, TableLine& out);

// Whether a line holds nothing but blanks and tabs.
bool is_blank_line(std::string_view line);

// The next line that is not blank, without its line end and without a
// byte-order mark at its start (files joined one after another may have
// one at the start of any line); `number` counts every line read, blank
// ones included. False at the end of the data. A line longer than
// longest_line is given as its first longest_line + 1 bytes: the caller
// refuses it. The one way the header's search and a table's load take lines.
bool next_text_line(DataReader& reader, std::string_view& line, std::int64_t& number);

// Whether every field of a split line is empty: a blank line, or a
// spreadsheet's empty row (",,,,", a line of tabs). Such lines are skipped.
inline bool all_fields_empty(const TableLine& line) {
    for (std::size_t i = 0; i < line.count; ++i)
        if (!line.fields[i].empty()) return false;
    return true;
}
