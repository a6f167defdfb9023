// A table file: a header line naming the columns, then one record per line,
// as spreadsheets and R write them. Five of its columns are the variety,
// year, location, block and trait value; the levels of a factor are the
// values that occur in its column.
#include "base/ascii_case.h"
#include "base/whole_number.h"
#include "design/column_roles.h"
#include "design/data_file.h"
#include "design/levels.h"
#include "design/loading.h"
#include "design/plain_line.h"
#include "design/trait_value.h"
#include "platform/platform.h"
#include "texts/console_texts.h"

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

static constexpr int trait_role = 4; // variety, year, location, block, then the trait

static DataReader& reader = data_reader;
static Separator separator;
static DecimalMark decimal_mark;
static std::vector<std::string> header;
static std::size_t columns[5];     // the header's column of each role
static std::size_t record_fields;  // fields per record: the header's, or one more
static bool trailing_separator;    // the one more is an empty field after a last separator
static bool row_names_found;       // the one more can't be: a last field was not empty
static std::size_t fields_at[5];   // the field of each role in a record
static std::int64_t line_number;   // of the line just read, from 1
static std::int64_t skipped_lines; // before the table, by --skip
static TableLine line_fields;
static LevelTable levels[4]; // variety, year, location, block

[[noreturn]] static void refuse_line(const std::string& problem) {
    refuse(fill(texts::line_fault, {decimal(line_number), quoted(data_file_name), problem}));
}

// The next line that is not blank, without its line end; false at the end
// of the data. A UTF-8 byte-order mark is no part of a line: files joined
// one after another may have one at the start of any line.
static bool next_line(std::string_view& line) {
    for (;;) {
        if (!reader_next_line(reader, line)) return false;
        ++line_number;
        if (line.starts_with(byte_order_mark)) line.remove_prefix(byte_order_mark.size());
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

// The next line that holds a field, split into line_fields; false at the
// end of the data.
static bool next_split_line(std::string_view& line) {
    do {
        if (!next_line(line)) return false;
        split(line);
    } while (all_fields_empty(line_fields));
    return true;
}

// The header's names with their numbers, so that a user whose terminal
// can't show the header's encoding can pick the columns by number.
[[noreturn]] static void refuse_columns(const std::string& problem) {
    refuse(fill(texts::column_fault, {quoted(data_file_name), problem, decimal(header.size()),
                                      numbered_columns(header)}));
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
// number from 1); else, of five columns, those named for the design roles
// and the fifth as the trait, or the five in the classic order when their
// names don't say.
static void choose_columns(const LoadOptions& options) {
    if (options.columns.empty()) {
        if (header.size() > 5)
            refuse(fill(texts::too_many_columns,
                        {quoted(data_file_name), decimal(header.size()),
                         reading_command(header_search, data_file_name, false, decimal_mark)}));
        for (std::size_t role = 0; role < 5; ++role) columns[role] = role;
        const auto roles = design_columns(header);
        if (roles[0] && roles[1] && roles[2] && roles[3]) {
            bool taken[5] = {};
            for (std::size_t role = 0; role < 4; ++role) taken[columns[role] = *roles[role]] = true;
            columns[trait_role] =
                static_cast<std::size_t>(std::find(taken, taken + 5, false) - taken);
        }
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

// Reads the header line, after the lines --skip names; on the first pass,
// chooses the columns from it. A table whose header has lines above it is
// refused with the command that skips them: a title read as the header
// would name every column wrongly.
static void read_header(const LoadOptions* options) {
    line_number = reader_skip_lines(reader, skipped_lines);
    std::string_view line;
    const HeaderSearch& search = header_search;
    if (options && search.found && search.line != search.first_line)
        refuse(
            fill(texts::header_below,
                 {decimal(search.line), quoted(data_file_name),
                  reading_command(search, data_file_name,
                                  options->columns.empty() && search.names.size() == 5 &&
                                      separator != Separator::tab && separator != Separator::blanks,
                                  decimal_mark, options->columns)}));
    if (!next_split_line(line)) refuse(fill(texts::no_table_record, {quoted(data_file_name)}));
    if (!options) return;
    header.assign(line_fields.fields.begin(), line_fields.fields.begin() + line_fields.count);
    choose_columns(*options);
    record_fields = 0;
}

// Records one field longer than the header either end with a separator
// (a last field empty in every record, which is dropped) or begin with
// row names, as R writes them (a first field to skip). The first record
// takes the first for granted while its last field is empty; a record that
// proves otherwise makes the first pass start again (see first_pass).
static void count_fields_first(std::size_t count) {
    if (count != header.size() && count != header.size() + 1)
        refuse_line(fill(texts::fields_not_header,
                         {decimal(count), decimal(header.size()), decimal(header.size())}));
    record_fields = count;
    const bool longer = count > header.size();
    trailing_separator = longer && !row_names_found && line_fields.fields[count - 1].empty();
    for (int role = 0; role < 5; ++role)
        fields_at[role] = columns[role] + (longer && !trailing_separator ? 1 : 0);
}

[[noreturn, gnu::cold]] static void fields_not_records(bool first_pass, std::size_t count) {
    if (!first_pass) file_changed();
    refuse_line(fill(texts::fields_not_records, {decimal(count), decimal(record_fields)}));
}

// Whether the fields just split are the header's names: a copy of the
// header line, from files exported one after another and joined.
[[gnu::noinline]] static bool repeats_header() {
    if (line_fields.count != header.size()) return false;
    for (std::size_t i = 0; i < header.size(); ++i)
        if (line_fields.fields[i] != header[i]) return false;
    return true;
}

// The next record's fields in line_fields; false at the end of the data.
// Where the header may be repeated, a copy of it is skipped and counted in
// `repeated`; only a line whose first field is the header's first name is
// compared with the header, which costs a byte or two for nearly every
// record. Inline in the passes' loops, each made for its separator, as the
// quick way through a plain line is.
template <char separator>
[[gnu::always_inline]] static inline bool next_record(bool first_pass, bool header_may_repeat,
                                                      std::string_view first_name,
                                                      std::int64_t& repeated) {
    for (;;) {
        std::string_view line;
        if (take_plain_line<separator>(reader, line_fields))
            ++line_number;
        else if (!next_split_line(line))
            return false;
        const std::string_view first = line_fields.fields[0];
        if (header_may_repeat && first.size() == first_name.size() &&
            (first.empty() || first[0] == first_name[0]) && repeats_header()) {
            ++repeated;
            continue;
        }
        const std::size_t count = line_fields.count;
        if (record_fields == 0) count_fields_first(count);
        if (count != record_fields) fields_not_records(first_pass, count);
        return true;
    }
}

[[noreturn]] static void refuse_field(int role, std::string_view pattern, std::string_view value) {
    refuse_line(fill(pattern, {texts::factor_names[role], quoted_token(header[columns[role]]),
                               quoted_token(value)}));
}

[[noreturn, gnu::cold]] static void trait_too_large(std::string_view token) {
    refuse_line(fill(texts::trait_beyond_float, {quoted_token(token)}));
}

// A level is any text the matrix file can hold in a label; blanks alone
// are no more a level than an empty field.
static void check_level(int role, std::string_view value) {
    if (value.size() > longest_token) refuse_line(overlong(texts::factor_names[role], value));
    if (is_blank_line(value) || value == "NA") refuse_field(role, texts::level_missing, value);
    for (char c : value)
        if (c == '"' || static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
            refuse_field(role, texts::level_unwritable, value);
}

[[noreturn, gnu::cold]] static void refuse_trait(std::string_view token) {
    refuse_line(
        not_a_number(fill(texts::trait_column_subject, {quoted_token(header[columns[trait_role]])}),
                     token, decimal_mark));
}

// The loops keep the places of the roles' fields and the fields themselves
// in locals: a level's text is copied in bytes, which could alias any
// global, and the globals would be read again at every field.
// Gives the number of records, or -1 when a record shows that the first
// record's empty last field was no trailing separator.
template <char separator>
static std::int64_t first_pass_records() {
    std::int64_t records = 0;
    std::size_t at[5];
    std::int64_t& repeated = load_account.repeated_headers;
    bool trailing = false;
    std::size_t last_field = 0;
    const std::string_view first_name = header[0];
    while (next_record<separator>(true, true, first_name, repeated)) {
        if (records++ == 0) {
            std::copy_n(fields_at, 5, at);
            trailing = trailing_separator;
            last_field = record_fields - 1;
        }
        const std::string_view* const fields = line_fields.fields.data();
        if (trailing && !fields[last_field].empty()) return -1;
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
    case Separator::semicolon:
        return pass(std::integral_constant<char, ';'>());
    case Separator::tab:
        return pass(std::integral_constant<char, '\t'>());
    case Separator::blanks:
        break;
    }
    return pass(std::integral_constant<char, ' '>());
}

static void first_pass(const LoadOptions& options) {
    row_names_found = false;
    std::int64_t records;
    for (;;) {
        for (LevelTable& table : levels) table = LevelTable{};
        load_account.repeated_headers = 0;
        read_header(&options);
        records = by_separator([](auto separator) { return first_pass_records<separator()>(); });
        if (records >= 0) break;
        // Rows named by R, the first of them without a trait value: read
        // again with the first field as the row's name.
        row_names_found = true;
        reader_restart(reader);
    }
    if (records == 0) refuse(fill(texts::no_table_record, {quoted(data_file_name)}));
    load_account.records = records;
    nVar = finish_levels(levels[variety_factor], 'G');
    nYear = finish_levels(levels[year_factor], 'Y');
    nLoc = finish_levels(levels[location_factor], 'L');
    finish_levels(levels[3], 'B');
}

// The account's counts are kept in locals: a level's text is copied in
// bytes, which could alias any memory, and counts in memory would be
// stored at every record.
template <char separator>
static void second_pass_records(double& sum, LoadAccount& account) {
    std::int64_t values = 0, missing = 0, zeros = 0;
    float*** const cube = trait_cube;
    std::size_t at[5];
    std::copy_n(fields_at, 5, at);
    const bool trailing = trailing_separator;
    const std::size_t last_field = record_fields - 1;
    const DecimalMark mark = decimal_mark;
    std::int64_t repeated = 0;
    std::int64_t level[3];
    std::int64_t last_cell[3] = {0, 0, 0};
    // The first pass found every copy of the header: a file without them
    // needs no look.
    const bool header_repeats = account.repeated_headers > 0;
    const std::string_view first_name = header[0];
    while (next_record<separator>(false, header_repeats, first_name, repeated)) {
        const std::string_view* const fields = line_fields.fields.data();
        if (trailing && !fields[last_field].empty()) file_changed();
        // The block's level has no use here: its value was checked on the
        // first pass, and the checksum of both passes finds any change.
        for (int role = 0; role < 3; ++role)
            if ((level[role] = level_of_value(levels[role], fields[at[role]])) == 0) file_changed();
        const std::int64_t v = level[variety_factor], y = level[year_factor],
                           l = level[location_factor];
        // The blocks of a plot follow one another: one cell, its pairs marked.
        if (v != last_cell[0] || y != last_cell[1] || l != last_cell[2]) {
            mark_pair(variety_factor, v, y);
            mark_pair(year_factor, y, l);
            mark_pair(location_factor, l, v);
            last_cell[0] = v, last_cell[1] = y, last_cell[2] = l;
        }
        const std::string_view token = fields[at[trait_role]];
        if (token.size() > longest_token) file_changed();
        const TraitReading reading = read_table_trait_quickly(token, mark);
        if (reading.kind != TraitKind::number) {
            if (reading.kind == TraitKind::not_a_number) refuse_trait(token);
            ++missing;
            continue;
        }
        if (beyond_single_precision(reading.value)) trait_too_large(token);
        observe(cube, v, y, l, reading.value, &zeros);
        sum += reading.value;
        ++values;
    }
    account.values = values;
    account.missing = missing;
    account.zeros = zeros;
}

static void second_pass() {
    double sum = 0.0;
    read_header(nullptr);
    LoadAccount account = load_account;
    by_separator([&](auto separator) { second_pass_records<separator()>(sum, account); });
    if (!reader_read_same_bytes(reader)) file_changed();
    load_account = account;
    finish_cube(sum, account.values);
}

void load_table_file(const LoadOptions& options, Separator chosen) {
    separator = chosen;
    skipped_lines = options.skip;
    decimal_mark = options.decimal.value_or(separator == Separator::semicolon ? DecimalMark::comma
                                                                              : DecimalMark::point);
    first_pass(options);
    load_account.table = true;
    load_account.trait = file_text(header[columns[trait_role]]);
    if (!data_file_as_opened()) file_changed();
    allocate_cube(static_cast<std::int64_t>(levels[3].labels.size()));
    start_pair_marks();
    reader_rewind(reader);
    second_pass();
    for (int f = 0; f < 3; ++f) level_labels[f] = std::move(levels[f].labels);
}
