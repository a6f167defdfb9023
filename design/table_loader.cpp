// A table file: a header line naming the columns, then one record per line,
// as spreadsheets and R write them. Five of its columns are the variety,
// year, location, block and trait value; the levels of a factor are the
// values that occur in its column.
#include "app/console_texts.h"
#include "base/ascii_case.h"
#include "base/whole_number.h"
#include "design/data_file.h"
#include "design/levels.h"
#include "design/loading.h"
#include "design/plain_line.h"
#include "design/trait_value.h"
#include "platform/platform.h"

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

static constexpr int trait_role = 4; // variety, year, location, block, then the trait

static DataReader& reader = data_reader;
static Separator separator;
static std::vector<std::string> header;
static std::size_t columns[5];    // the header's column of each role
static std::size_t record_fields; // fields per record: the header's, one more with row names
static std::size_t fields_at[5];  // the field of each role in a record
static std::int64_t line_number;  // of the line just read, from 1
static TableLine line_fields;
static LevelTable levels[4]; // variety, year, location, block

[[noreturn]] static void refuse_line(const std::string& problem) {
    refuse(fill(texts::line_fault, {decimal(line_number), quoted(data_file_name), problem}));
}

// The next line that is not blank, without its line end; false at the end
// of the data. A UTF-8 byte-order mark before the first line is no part of it.
static bool next_line(std::string_view& line) {
    for (;;) {
        if (!reader_next_line(reader, line)) return false;
        if (++line_number == 1 && line.starts_with(byte_order_mark))
            line.remove_prefix(byte_order_mark.size());
        if (line.size() > longest_line)
            refuse_line(fill(texts::line_overlong, {decimal(longest_line)}));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && line[0] != ' ' && line[0] != '\t') return true;
        if (!is_blank_line(line)) return true;
    }
}

static void split(std::string_view line) {
    if (!split_line(line, separator, line_fields)) refuse_line(std::string(texts::open_quote));
}

// The header's names, each quoted and listed, for a message that asks the
// user to pick from them.
static std::string header_list() {
    std::string list;
    for (const std::string& name : header) {
        if (!list.empty()) list += ", ";
        list += quoted_token(name);
    }
    return list;
}

[[noreturn]] static void refuse_columns(const std::string& problem) {
    refuse(fill(texts::column_fault,
                {quoted(data_file_name), problem, decimal(header.size()), header_list()}));
}

static bool same_name(std::string_view a, std::string_view b) {
    auto unquote = [](std::string_view name) {
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        return name;
    };
    return same_ignoring_case(unquote(a), unquote(b));
}

// Which header column each role takes: the --columns given (a name, or a
// number from 1), or else the first five in the classic order.
static void choose_columns(const LoadOptions& options) {
    if (options.columns.empty()) {
        if (header.size() > 5) {
            std::string example;
            for (std::size_t i = 0; i < 5; ++i) {
                if (i > 0) example += ',';
                example += file_text(header[i]);
            }
            refuse(fill(texts::too_many_columns,
                        {quoted(data_file_name), decimal(header.size()), header_list(), example}));
        }
        for (std::size_t role = 0; role < 5; ++role) columns[role] = role;
        return;
    }
    for (std::size_t role = 0; role < 5; ++role) {
        const std::string& wanted = options.columns[role];
        const WholeNumber number = read_whole_number(wanted.c_str());
        if (number.length == wanted.size() && wanted[0] != '-' && wanted[0] != '+') {
            if (!number.exact || number.value < 1 ||
                number.value > static_cast<std::int64_t>(header.size()))
                refuse_columns(fill(texts::no_column_number, {wanted}));
            columns[role] = static_cast<std::size_t>(number.value - 1);
            continue;
        }
        std::size_t found = 0;
        for (std::size_t i = 0; i < header.size(); ++i)
            if (same_name(header[i], wanted)) {
                columns[role] = i;
                ++found;
            }
        if (found != 1)
            refuse_columns(fill(found == 0 ? texts::no_column_named : texts::columns_named,
                                {quoted(wanted, token_shown)}));
    }
}

// Reads the header line; on the first pass, chooses the columns from it.
static void read_header(const LoadOptions* options) {
    line_number = 0;
    std::string_view line;
    if (!next_line(line)) refuse(fill(texts::no_table_record, {quoted(data_file_name)}));
    if (!options) return;
    split(line);
    header.assign(line_fields.fields.begin(), line_fields.fields.begin() + line_fields.count);
    choose_columns(*options);
    record_fields = 0;
}

// The first record tells whether records begin with row names (R's first
// column): a header one field shorter than every record.
static void count_fields_first(std::size_t count) {
    if (count != header.size() && count != header.size() + 1)
        refuse_line(fill(texts::fields_not_header,
                         {decimal(count), decimal(header.size()), decimal(header.size() + 1)}));
    record_fields = count;
    for (int role = 0; role < 5; ++role)
        fields_at[role] = columns[role] + (record_fields - header.size());
}

[[noreturn, gnu::cold]] static void fields_not_records(bool first_pass, std::size_t count) {
    if (!first_pass) file_changed();
    refuse_line(fill(texts::fields_not_records, {decimal(count), decimal(record_fields)}));
}

// The next record's fields in line_fields; false at the end of the data.
// The loops that call it are made for each separator, so that the quick
// way through a plain line joins them.
template <char separator>
static bool next_record(bool first_pass) {
    if (take_plain_line<separator>(reader, line_fields)) {
        ++line_number;
    } else {
        std::string_view line;
        if (!next_line(line)) return false;
        split(line);
    }
    const std::size_t count = line_fields.count;
    if (record_fields == 0) count_fields_first(count);
    if (count != record_fields) fields_not_records(first_pass, count);
    return true;
}

[[noreturn]] static void refuse_field(int role, std::string_view pattern, std::string_view value) {
    refuse_line(fill(pattern, {texts::factor_names[role], quoted_token(header[columns[role]]),
                               quoted_token(value)}));
}

[[noreturn, gnu::cold]] static void trait_too_large(std::string_view token) {
    refuse_line(fill(texts::trait_beyond_float, {quoted_token(token)}));
}

// A level is any text the matrix file can hold in a label.
static void check_level(int role, std::string_view value) {
    if (value.size() > longest_token) refuse_line(overlong(texts::factor_names[role], value));
    if (value.empty() || value == "NA") refuse_field(role, texts::level_missing, value);
    for (char c : value)
        if (c == '"' || static_cast<unsigned char>(c) < 0x20)
            refuse_field(role, texts::level_unwritable, value);
}

// The loops keep the places of the roles' fields and the fields themselves
// in locals: a level's text is copied in bytes, which could alias any
// global, and the globals would be read again at every field.
template <char separator>
static std::int64_t first_pass_records() {
    std::int64_t records = 0;
    std::size_t at[5];
    while (next_record<separator>(true)) {
        if (records++ == 0) std::copy_n(fields_at, 5, at);
        const std::string_view* const fields = line_fields.fields.data();
        for (int role = 0; role < trait_role; ++role) {
            const std::string_view value = fields[at[role]];
            bool added;
            level_id(levels[role], value, added);
            if (added) check_level(role, value);
        }
        if (fields[at[trait_role]].size() > longest_token)
            refuse_line(overlong(texts::field_names[trait_role], fields[at[trait_role]]));
    }
    return records;
}

// Runs a pass's loop made for the file's separator.
template <class Pass>
static auto by_separator(Pass pass) {
    switch (separator) {
    case Separator::comma:
        return pass(std::integral_constant<char, ','>());
    case Separator::tab:
        return pass(std::integral_constant<char, '\t'>());
    case Separator::blanks:
        break;
    }
    return pass(std::integral_constant<char, ' '>());
}

static void first_pass(const LoadOptions& options) {
    for (LevelTable& table : levels) table = LevelTable{};
    read_header(&options);
    const std::int64_t records =
        by_separator([](auto separator) { return first_pass_records<separator()>(); });
    if (records == 0) refuse(fill(texts::no_table_record, {quoted(data_file_name)}));
    nVar = finish_levels(levels[variety_factor]);
    nYear = finish_levels(levels[year_factor]);
    nLoc = finish_levels(levels[location_factor]);
    finish_levels(levels[3]);
}

template <char separator>
static void second_pass_records(double& sum, std::int64_t& count) {
    float*** const cube = trait_cube;
    std::size_t at[5];
    std::copy_n(fields_at, 5, at);
    std::int64_t level[3];
    std::int64_t last_cell[3] = {0, 0, 0};
    while (next_record<separator>(false)) {
        const std::string_view* const fields = line_fields.fields.data();
        // The block's level has no use here: its value was checked on the
        // first pass, and the checksum of both passes finds any change.
        for (int role = 0; role < 3; ++role)
            if ((level[role] = level_of_value(levels[role], fields[at[role]])) == 0) file_changed();
        const std::string_view token = fields[at[trait_role]];
        if (token.size() > longest_token) file_changed();
        const double value = convert_trait_quickly(token);
        if (beyond_single_precision(value)) trait_too_large(token);
        const std::int64_t v = level[variety_factor], y = level[year_factor],
                           l = level[location_factor];
        // The blocks of a plot follow one another: one cell, its pairs marked.
        if (v != last_cell[0] || y != last_cell[1] || l != last_cell[2]) {
            mark_pair(variety_factor, v, y);
            mark_pair(year_factor, y, l);
            mark_pair(location_factor, l, v);
            last_cell[0] = v, last_cell[1] = y, last_cell[2] = l;
        }
        if (!observe(cube, v, y, l, value)) continue;
        sum += value;
        ++count;
    }
}

static void second_pass() {
    double sum = 0.0;
    std::int64_t count = 0;
    read_header(nullptr);
    by_separator([&](auto separator) { second_pass_records<separator()>(sum, count); });
    if (!reader_read_same_bytes(reader)) file_changed();
    finish_cube(sum, count);
}

void load_table_file(const LoadOptions& options, Separator chosen) {
    separator = chosen;
    first_pass(options);
    if (!data_file_as_opened()) file_changed();
    allocate_cube(static_cast<std::int64_t>(levels[3].labels.size()));
    start_pair_marks();
    reader_rewind(reader);
    second_pass();
    for (int f = 0; f < 3; ++f) level_labels[f] = std::move(levels[f].labels);
}
