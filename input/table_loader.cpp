#include "input/table_loader.h"

#include "base/ascii_case.h"
#include "base/whole_number.h"
#include "input/column_roles.h"
#include "input/levels.h"
#include "input/plain_line.h"
#include "input/plot_set.h"
#include "input/range_pipeline.h"
#include "input/trait_value.h"
#include "texts/console_texts.h"
#include "trial/cube_builder.h"
#include "trial/growing_cells.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace {

constexpr std::size_t design_roles = 4; // variety, year, location, block; then the traits

// The row names met so far. R numbers the rows 1, 2, 3, ... unless they
// were given names: while each is its row's number, none needs keeping.
struct RowNames {
    std::int64_t numbered = 0; // the rows so far, each named by its number
    bool all_numbered = true;
    LevelTable others = {};
};

// One load of a table: what its passes share.
struct TableLoad {
    LoadContext& load;
    DataReader& reader;
    const LoadOptions& options;
    Separator separator;
    DecimalMark decimal_mark;
    std::vector<std::string> header = {};
    std::vector<std::size_t> columns = {};   // the header's column of each role, then of each trait
    std::vector<std::size_t> fields_at = {}; // the field of each in a record
    std::size_t record_fields = 0;           // fields per record: the header's, or one more
    bool trailing_separator = false; // the one more is an empty field after a last separator
    bool row_names_found = false;    // the one more can't be: a last field was not empty
    bool traits_found = false;       // the traits are every column of numbers left
    std::int64_t line_number = 0;    // of the line just read, from the file's first
    std::int64_t records = 0;
    std::int64_t repeated_headers = 0;
    TableLine line = {};
    LevelTable levels[design_roles] = {};
    RowNames row_names = {};
    // Records of a comma-separated table one field longer than its header:
    // bit k, field k and the next read as one number with a decimal comma in
    // every record so far; the first record's line and fields, to show it.
    std::uint64_t decimal_pairs = 0;
    std::int64_t first_record_line = 0;
    std::vector<std::string> first_record = {};
    // The plots the second pass has met: with few blocks, a bit per block
    // in each cell; with more, every plot in a set.
    std::vector<std::uint64_t> blocks_met = {};
    PlotSet plots_met = {};
    std::int64_t repeated_plots = 0;
};

// Whether the record of block level[3] in `cell` names a plot not met
// before, and marks it met.
[[gnu::always_inline]] inline bool new_plot(TableLoad& t, std::int64_t cell,
                                            const std::int64_t level[]) {
    if (t.levels[3].texts.size() > 64)
        return add_plot(t.plots_met,
                        {static_cast<std::int32_t>(level[0]), static_cast<std::int32_t>(level[1]),
                         static_cast<std::int32_t>(level[2]), static_cast<std::int32_t>(level[3])});
    const auto at = static_cast<std::size_t>(cell);
    if (at >= t.blocks_met.size()) t.blocks_met.resize(std::max(at + 1, 2 * t.blocks_met.size()));
    const std::uint64_t bit = std::uint64_t{1} << (level[3] - 1);
    const bool met = (t.blocks_met[at] & bit) != 0;
    t.blocks_met[at] |= bit;
    return !met;
}

[[noreturn]] void refuse_line(TableLoad& t, const std::string& problem) {
    refuse(t.load, compose(texts::line_fault, {{"line", number_text(t.line_number)},
                                               {"file", quoted(t.load.file->name)},
                                               {"fault", problem}}));
}

// The next line that is not blank, without its line end; false at the end
// of the data.
bool next_line(TableLoad& t, std::string_view& line) {
    if (!next_text_line(t.reader, line, t.line_number)) return false;
    if (line.size() > longest_line)
        refuse_line(t, compose(texts::line_overlong, {{"bytes", number_text(longest_line)}}));
    return true;
}

// The next line that holds a field, split into t.line; false at the end of
// the data.
bool next_split_line(TableLoad& t, std::string_view& line) {
    do {
        if (!next_line(t, line)) return false;
        if (!split_line(line, t.separator, t.line)) refuse_line(t, compose(texts::open_quote));
    } while (all_fields_empty(t.line));
    return true;
}

// The header's names with their numbers, so that a user whose terminal
// can't show the header's encoding can pick the columns by number.
[[noreturn]] void refuse_columns(TableLoad& t, const std::string& problem) {
    refuse(t.load, compose(texts::column_fault, {{"file", quoted(t.load.file->name)},
                                                 {"fault", problem},
                                                 {"columns", number_text(t.header.size())},
                                                 {"names", numbered_columns(t.header)}}));
}

bool same_name(std::string_view a, std::string_view b) {
    auto unquote = [](std::string_view name) {
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        return name;
    };
    return same_ignoring_case(unquote(a), unquote(b));
}

// The header's column of a --columns item: a name, or a number from 1.
std::size_t column_named(TableLoad& t, const std::string& wanted) {
    const WholeNumber number = read_whole_number(wanted.c_str());
    if (number.length == wanted.size() && wanted[0] != '-' && wanted[0] != '+') {
        if (!number.exact || number.value < 1 ||
            number.value > static_cast<std::int64_t>(t.header.size()))
            refuse_columns(t, compose(texts::no_column_number, {{"column", wanted}}));
        return static_cast<std::size_t>(number.value - 1);
    }
    std::size_t found = 0, column = 0;
    for (std::size_t i = 0; i < t.header.size(); ++i)
        if (same_name(t.header[i], wanted)) {
            column = i;
            ++found;
        }
    if (found != 1)
        refuse_columns(t, compose(found == 0 ? texts::no_column_named : texts::columns_named,
                                  {{"column", quoted(wanted, token_shown)}}));
    return column;
}

// More than five columns, and none given. Where the header's search found
// no record under the header to fit it, that record is the fault: no
// command would read the file.
[[noreturn]] void too_many_columns(TableLoad& t) {
    HeaderSearch search = t.load.header;
    if (!search.found) {
        search.names = t.header;
        search.line = search.first_line;
        std::string_view line;
        if (!next_split_line(t, line))
            refuse(t.load, compose(texts::no_table_record, {{"file", quoted(t.load.file->name)}}));
        const std::size_t count = t.line.count, named = t.header.size();
        if (count != named && count != named + 1)
            refuse_line(t, compose(texts::fields_not_header, {{"fields", number_text(count)},
                                                              {"named", number_text(named)}}));
        search.first_record.assign(t.line.fields.begin(),
                                   t.line.fields.begin() + static_cast<std::ptrdiff_t>(count));
    }
    refuse(t.load,
           compose(texts::too_many_columns, {{"file", quoted(t.load.file->name)},
                                             {"columns", number_text(t.header.size())},
                                             {"command", reading_command(search, t.load.file->name,
                                                                         false, t.decimal_mark)}}));
}

// Which header column each role takes: the --columns given; else, of five
// columns, those named for the design roles and the fifth as the trait, or
// the five in the classic order when their names don't say. Columns without
// a name beside five named ones are left alone: R's row names under an
// empty name, a spreadsheet's empty columns after the table.
void choose_columns(TableLoad& t) {
    const std::vector<std::string>& given = t.options.columns;
    t.columns.clear();
    const std::vector<std::vector<std::string>>& records = t.load.header.records;
    if (!given.empty()) {
        for (const std::string& wanted : given) t.columns.push_back(column_named(t, wanted));
        // The four design columns alone: every other column of numbers is
        // a trait, and the account names them.
        if (given.size() == design_roles) {
            const std::vector<std::size_t> traits =
                number_columns(records, t.header, t.columns, t.decimal_mark);
            if (traits.empty()) refuse_columns(t, compose(texts::no_trait_column));
            t.columns.insert(t.columns.end(), traits.begin(), traits.end());
            t.traits_found = true;
        }
        return;
    }
    if (t.header.size() < 5)
        refuse_line(t,
                    compose(texts::header_too_short, {{"columns", number_text(t.header.size())}}));
    std::vector<std::size_t> five = {0, 1, 2, 3, 4};
    if (t.header.size() > 5) {
        five.clear();
        for (std::size_t column = 0; column < t.header.size(); ++column)
            if (!t.header[column].empty()) five.push_back(column);
        // Columns named by their roles and one other column of numbers:
        // that one is the trait, whatever else the file holds.
        if (const auto roles = design_columns(t.header); roles && five.size() != 5) {
            std::vector<std::size_t> taken(roles->begin(), roles->end());
            const std::vector<std::size_t> traits =
                number_columns(records, t.header, taken, t.decimal_mark);
            if (traits.size() == 1) {
                taken.push_back(traits[0]);
                five = taken;
            }
        }
        if (five.size() != 5) too_many_columns(t);
    }
    t.columns = five;
    if (const auto twice = role_name_twice(t.header))
        refuse_columns(t,
                       compose(texts::columns_named, {{"column", quoted_token(t.header[*twice])}}));
    if (const auto roles = design_columns(t.header)) {
        std::copy(roles->begin(), roles->end(), t.columns.begin());
        for (std::size_t column : five)
            if (std::find(t.columns.begin(), t.columns.begin() + design_roles, column) ==
                t.columns.begin() + design_roles)
                t.columns[design_roles] = column;
    }
}

// Passes over the lines above the header and the header line, which is
// split into t.line. Above it are the lines --skip names, and where the
// header's search saw it further down, blank lines, a spreadsheet's empty
// rows and the zero bytes of UTF-16 (any other line there is refused): an
// empty row of another separator, split at the file's, would be one field
// that is no empty row, and would be taken for the header.
void read_header(TableLoad& t) {
    const HeaderSearch& search = t.load.header;
    const std::int64_t header_line = search.found ? search.line : search.first_line;
    t.line_number = reader_skip_lines(t.reader, header_line > 0 ? header_line - 1 : t.options.skip);
    std::string_view line;
    if (!next_split_line(t, line))
        refuse(t.load, compose(texts::no_table_record, {{"file", quoted(t.load.file->name)}}));
}

// Reads the header and chooses the columns from it. A table whose header
// has lines above it is refused with the command that skips them: a title
// read as the header would name every column wrongly.
void take_header(TableLoad& t) {
    const HeaderSearch& search = t.load.header;
    if (search.found && search.line != search.first_line) {
        const bool named = t.options.columns.empty() && search.names.size() == 5 &&
                           t.separator != Separator::tab && t.separator != Separator::blanks;
        refuse(t.load, compose(texts::header_below,
                               {{"line", number_text(search.line)},
                                {"file", quoted(t.load.file->name)},
                                {"command", reading_command(search, t.load.file->name, named,
                                                            t.decimal_mark, t.options.columns)}}));
    }
    read_header(t);
    t.header.assign(t.line.fields.begin(),
                    t.line.fields.begin() + static_cast<std::ptrdiff_t>(t.line.count));
    choose_columns(t);
    // A column in two roles would make its values varieties and years at
    // once, or give one trait two matrices.
    for (std::size_t k = 1; k < t.columns.size(); ++k)
        for (std::size_t j = 0; j < k; ++j)
            if (t.columns[j] == t.columns[k])
                refuse_columns(t, compose(texts::column_twice,
                                          {{"column", quoted_token(t.header[t.columns[k]])}}));
}

// Records one field longer than the header either end with a separator
// (a last field empty in every record, which is dropped) or begin with
// row names, as R writes them (a first field to skip). The first record
// takes the first for granted while its last field is empty; a record that
// proves otherwise makes the first pass start again (see first_pass).
void count_fields_first(TableLoad& t, std::size_t count) {
    const std::size_t named = t.header.size();
    if (count != named && count != named + 1)
        refuse_line(t, compose(texts::fields_not_header,
                               {{"fields", number_text(count)}, {"named", number_text(named)}}));
    t.record_fields = count;
    const bool longer = count > named;
    t.trailing_separator = longer && !t.row_names_found && t.line.fields[count - 1].empty();
    t.fields_at = t.columns;
    if (longer && !t.trailing_separator)
        for (std::size_t& at : t.fields_at) ++at;
}

[[noreturn, gnu::cold]] void fields_not_records(TableLoad& t, bool first_pass, std::size_t count) {
    if (!first_pass) file_changed(t.load);
    refuse_line(t, compose(texts::fields_not_records, {{"fields", number_text(count)},
                                                       {"before", number_text(t.record_fields)}}));
}

// Whether the fields just split are the header's names: a copy of the
// header line, from files exported one after another and joined.
[[gnu::noinline]] bool repeats_header(const TableLine& line,
                                      const std::vector<std::string>& header) {
    if (line.count != header.size()) return false;
    for (std::size_t i = 0; i < header.size(); ++i)
        if (line.fields[i] != header[i]) return false;
    return true;
}

// The next record's fields in t.line; false at the end of the data. Where
// the header may be repeated, a copy of it is skipped and counted in
// `repeated`; only a line whose first field is the header's first name is
// compared with the header, which costs a byte or two for nearly every
// record. Inline in the passes' loops, each made for its separator, as the
// quick way through a plain line is.
template <char separator>
[[gnu::always_inline]] inline bool next_record(TableLoad& t, bool first_pass,
                                               bool header_may_repeat, std::string_view first_name,
                                               std::int64_t& repeated) {
    for (;;) {
        std::string_view line;
        if (take_plain_line<separator>(t.reader, t.line))
            ++t.line_number;
        else if (!next_split_line(t, line))
            return false;
        const std::string_view first = t.line.fields[0];
        if (header_may_repeat && first.size() == first_name.size() &&
            (first.empty() || first[0] == first_name[0]) && repeats_header(t.line, t.header)) {
            ++repeated;
            continue;
        }
        const std::size_t count = t.line.count;
        if (t.record_fields == 0) count_fields_first(t, count);
        if (count != t.record_fields) fields_not_records(t, first_pass, count);
        return true;
    }
}

[[noreturn]] void refuse_field(TableLoad& t, std::size_t role, const Message& pattern,
                               std::string_view value) {
    refuse_line(t, compose(pattern, {{"factor", texts::factor_names[role]},
                                     {"column", quoted_token(t.header[t.columns[role]])},
                                     {"token", quoted_token(value)}}));
}

std::string trait_subject(const TableLoad& t, std::size_t trait) {
    return compose(texts::trait_column_subject,
                   {{"column", quoted_token(t.header[t.columns[design_roles + trait]])}});
}

[[noreturn, gnu::cold]] void trait_too_large(TableLoad& t, std::size_t trait,
                                             std::string_view token) {
    refuse_line(t, compose(texts::trait_beyond_float,
                           {{"subject", trait_subject(t, trait)}, {"token", quoted_token(token)}}));
}

// A level is any text the matrix file can hold in a label; blanks alone
// are no more a level than an empty field, nor is a missing value's mark
// (a spreadsheet's failed lookup leaves #N/A in a genotype's cell).
bool level_sound(std::string_view value) {
    if (value.size() > longest_token || is_blank_line(value) || is_missing_form(value))
        return false;
    for (char c : value)
        if (c == '"' || static_cast<unsigned char>(c) < 0x20 || c == '\x7F') return false;
    return true;
}

void check_level(TableLoad& t, std::size_t role, std::string_view value) {
    if (level_sound(value)) return;
    if (value.size() > longest_token)
        refuse_line(t, overlong(texts::factor_names[role], value, true));
    if (is_blank_line(value) || is_missing_form(value))
        refuse_field(t, role, texts::level_missing, value);
    for (char c : value)
        if (c == '"' || static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
            refuse_field(t, role, texts::level_unwritable, value);
}

[[noreturn, gnu::cold]] void refuse_trait(TableLoad& t, std::size_t trait, std::string_view token) {
    refuse_line(t, not_a_number(trait_subject(t, trait), token, t.decimal_mark));
}

// A row name's number: digits without a leading zero, as R writes a row's
// number; -1 for any other name.
std::int64_t row_number(std::string_view name) {
    if (name.empty() || name.size() > 18 || name[0] == '0') return -1;
    std::int64_t number = 0;
    for (char c : name) {
        if (!is_digit(c)) return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

// R gives no two rows one name, and refuses a file that does: a record one
// field longer than the header whose first field repeats is no row-named
// record but one split in the wrong places, as a decimal comma in a file
// separated by commas splits it.
[[gnu::noinline]] void check_row_name(TableLoad& t, std::string_view name) {
    RowNames& names = t.row_names;
    const std::int64_t number = row_number(name);
    if (names.all_numbered && number == names.numbered + 1) {
        ++names.numbered;
        return;
    }
    names.all_numbered = false;
    bool added = true;
    if (number < 1 || number > names.numbered) level_id(names.others, name, added);
    if (!added || (number >= 1 && number <= names.numbered))
        refuse_line(t, compose(texts::row_name_repeats, {{"name", quoted_token(name)}}));
}

// Whether fields k and k + 1, joined by a comma, are a number with a
// decimal comma: a sign or none and digits, then digits. A quoted field was
// split by no comma.
bool decimal_pair(const TableLine& line, std::size_t k) {
    if (k + 1 >= 64 || (line.quoted >> k & 3) != 0) return false;
    std::string_view whole = line.fields[k];
    const std::string_view fraction = line.fields[k + 1];
    if (!whole.empty() && (whole[0] == '-' || whole[0] == '+')) whole.remove_prefix(1);
    auto digits = [](std::string_view part) {
        return !part.empty() &&
               std::all_of(part.begin(), part.end(), [](char c) { return is_digit(c); });
    };
    return digits(whole) && digits(fraction);
}

// A comma-separated record one field longer than the header: the pairs of
// its fields that may be a number its decimal comma split, each where the
// header puts a column other than the design's. Where some pair is one in
// every record, the extra field is no row name. The design's codes are not
// looked at: numbered varieties beside calendar years read as such a
// number in every record, and are never split.
[[gnu::noinline]] void keep_decimal_pairs(TableLoad& t, bool first_record) {
    std::uint64_t pairs = 0;
    for (std::size_t at = 0; at < t.header.size() && at + 1 < 64; ++at) {
        const std::uint64_t bit = std::uint64_t{1} << at;
        if (std::find(t.columns.begin(), t.columns.begin() + design_roles, at) ==
                t.columns.begin() + design_roles &&
            (first_record || (t.decimal_pairs & bit) != 0) && decimal_pair(t.line, at))
            pairs |= bit;
    }
    t.decimal_pairs = pairs;
    if (!first_record) return;
    t.first_record_line = t.line_number;
    t.first_record.assign(t.line.fields.begin(),
                          t.line.fields.begin() + static_cast<std::ptrdiff_t>(t.line.count));
}

[[noreturn, gnu::cold]] void refuse_decimal_commas(TableLoad& t) {
    // The last such pair: the traits are the likeliest to be split.
    std::size_t k = 63;
    while ((t.decimal_pairs >> k & 1) == 0) --k;
    t.line_number = t.first_record_line;
    refuse_line(
        t, compose(texts::decimal_comma_split,
                   {{"fields", number_text(t.record_fields)},
                    {"first", number_text(k + 1)},
                    {"second", number_text(k + 2)},
                    {"number", quoted_token(t.first_record[k] + "," + t.first_record[k + 1])}}));
}

// The loops keep the places of the roles' fields and the fields themselves
// in locals: a level's text is copied in bytes, which could alias any
// memory, and the load's fields would be read again at every field. Each
// pass's loop is a function of its own, as the classic file's are.
// Gives the number of records, or -1 when a record shows that the first
// record's empty last field was no trailing separator.
template <char separator>
[[gnu::noinline]] std::int64_t first_pass_records(TableLoad& t) {
    std::int64_t records = 0;
    std::size_t at[design_roles];
    std::int64_t repeated = 0;
    bool trailing = false, row_names = false;
    std::size_t last_field = 0;
    const std::string_view first_name = t.header[0];
    while (next_record<separator>(t, true, true, first_name, repeated)) {
        if (records++ == 0) {
            std::copy_n(t.fields_at.begin(), design_roles, at);
            trailing = t.trailing_separator;
            last_field = t.record_fields - 1;
            row_names = t.record_fields > t.header.size() && !trailing;
            if (row_names && separator == ',') keep_decimal_pairs(t, true);
        } else if (t.decimal_pairs != 0) {
            keep_decimal_pairs(t, false);
        }
        const std::string_view* const fields = t.line.fields.data();
        if (trailing && !fields[last_field].empty()) return -1;
        if (row_names) check_row_name(t, fields[0]);
        for (std::size_t role = 0; role < design_roles; ++role) {
            const std::string_view value = fields[at[role]];
            bool added;
            level_id(t.levels[role], value, added);
            if (added) check_level(t, role, value);
        }
        for (std::size_t k = design_roles; k < t.fields_at.size(); ++k)
            if (fields[t.fields_at[k]].size() > longest_token)
                refuse_line(
                    t, overlong(texts::field_names[design_roles], fields[t.fields_at[k]], true));
    }
    t.repeated_headers = repeated;
    return records;
}

// Runs a pass's loop made for the file's separator.
template <class Pass>
auto by_separator(Separator separator, Pass pass) {
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

// What the levels take memory for: the design's columns, named.
void levels_memory_use(const TableLoad& t) {
    std::string names[design_roles];
    for (std::size_t role = 0; role < design_roles; ++role)
        names[role] = quoted_token(t.header[t.columns[role]]);
    set_memory_use(compose(
        texts::memory_for_levels,
        {{"variety", names[0]}, {"year", names[1]}, {"location", names[2]}, {"block", names[3]}}));
}

void first_pass(TableLoad& t) {
    t.row_names_found = false;
    levels_memory_use(t);
    for (;;) {
        for (LevelTable& table : t.levels) table = LevelTable{};
        t.row_names = RowNames{};
        t.decimal_pairs = 0;
        t.record_fields = 0;
        read_header(t);
        t.records = by_separator(
            t.separator, [&](auto separator) { return first_pass_records<separator()>(t); });
        if (t.records >= 0) break;
        // Rows named by R, the first of them without a trait value: read
        // again with the first field as the row's name.
        t.row_names_found = true;
        reader_restart(t.reader);
    }
    if (t.decimal_pairs != 0) refuse_decimal_commas(t);
    if (t.reader.text_past_end_mark)
        refuse(t.load, compose(texts::text_past_end_mark, {{"file", quoted(t.load.file->name)},
                                                           {"line", number_text(t.line_number)}}));
    if (t.records == 0)
        refuse(t.load, compose(texts::no_table_record, {{"file", quoted(t.load.file->name)}}));
}

// The counts of a trait while the records pass: in the loop's locals for
// the first trait, the one nearly every run has.
struct Tally {
    double sum = 0;
    std::int64_t values = 0, missing = 0, zeros = 0;
};

// Puts a record's field `token` of trait k into the cell `cell`.
[[gnu::always_inline]] inline void put_trait(TableLoad& t, std::size_t k, std::string_view token,
                                             DecimalMark mark, CellView view, std::int64_t cell,
                                             Tally& tally) {
    if (token.size() > longest_token) file_changed(t.load);
    const TraitReading reading = read_table_trait_quickly(token, mark);
    if (reading.kind != TraitKind::number) {
        if (reading.kind == TraitKind::not_a_number) refuse_trait(t, k, token);
        ++tally.missing;
        return;
    }
    if (beyond_single_precision(reading.value)) trait_too_large(t, k, token);
    observe(view, cell, reading.value, &tally.zeros);
    tally.sum += reading.value;
    ++tally.values;
}

// The first trait's tally and view are the loop's locals, in registers for
// nearly every run; further traits' go through memory.
// The cell of a record's variety, year and location. The blocks of a plot
// follow one another: one cell, its pairs marked once, until they change.
[[gnu::always_inline]] inline void enter_cell(CubeBuilder& cube, bool sparse, std::int64_t v,
                                              std::int64_t y, std::int64_t l, std::int64_t last[3],
                                              std::int64_t& cell, CellView& first_view) {
    if (v == last[0] && y == last[1] && l == last[2]) return;
    if (sparse) {
        cell = sparse_cell(cube, v, y, l);
        first_view = cell_view(cube.traits[0]);
    } else {
        cell = dense_cell(cube.levels, v, y, l);
        mark_pairs(cube.levels, v, y, l);
    }
    last[0] = v, last[1] = y, last[2] = l;
}

template <char separator>
[[gnu::noinline]] void second_pass_records(TableLoad& t, CubeBuilder& cube) {
    std::size_t at[design_roles + 1];
    std::copy_n(t.fields_at.begin(), design_roles + 1, at);
    const DecimalMark mark = t.decimal_mark;
    Tally first;
    CellView first_view = cell_view(cube.traits[0]);
    const bool trailing = t.trailing_separator;
    const std::size_t last_field = t.record_fields - 1;
    const bool sparse = cube.levels.sparse;
    std::int64_t repeated = 0, plots = 0;
    std::int64_t level[design_roles];
    std::int64_t last_cell[3] = {0, 0, 0};
    std::int64_t cell = 0;
    std::vector<Tally> tallies(cube.traits.size());
    const std::size_t traits = cube.traits.size();
    // The first pass found every copy of the header: a file without them
    // needs no look.
    const bool header_repeats = t.repeated_headers > 0;
    const std::string_view first_name = t.header[0];
    while (next_record<separator>(t, false, header_repeats, first_name, repeated)) {
        const std::string_view* const fields = t.line.fields.data();
        if (trailing && !fields[last_field].empty()) file_changed(t.load);
        for (std::size_t role = 0; role < design_roles; ++role)
            if ((level[role] = level_of_value(t.levels[role], fields[at[role]])) == 0)
                file_changed(t.load);
        const std::int64_t v = level[variety_factor], y = level[year_factor],
                           l = level[location_factor];
        enter_cell(cube, sparse, v, y, l, last_cell, cell, first_view);
        plots += !new_plot(t, cell, level);
        put_trait(t, 0, fields[at[design_roles]], mark, first_view, cell, first);
        for (std::size_t k = 1; k < traits; ++k)
            put_trait(t, k, fields[t.fields_at[design_roles + k]], mark, cell_view(cube.traits[k]),
                      cell, tallies[k]);
    }
    t.repeated_plots = plots;
    tallies[0] = first;
    for (std::size_t k = 0; k < tallies.size(); ++k) {
        TraitCells& trait = cube.traits[k];
        trait.sum = tallies[k].sum;
        trait.values = tallies[k].values;
        trait.missing = tallies[k].missing;
        trait.zeros = tallies[k].zeros;
    }
}

// The decimal mark of a table's trait values.
DecimalMark decimal_mark(const LoadOptions& options, Separator separator) {
    return options.decimal.value_or(separator == Separator::semicolon ? DecimalMark::comma
                                                                      : DecimalMark::point);
}

// The levels in order, and the cube made for them.
CubeBuilder make_table_cube(TableLoad& t) {
    CubeLevels levels;
    levels.nVar = finish_levels(t.levels[variety_factor]);
    levels.nYear = finish_levels(t.levels[year_factor]);
    levels.nLoc = finish_levels(t.levels[location_factor]);
    finish_levels(t.levels[3]);
    const std::size_t traits = t.columns.size() - design_roles;
    CubeBuilder cube;
    start_cube(cube, std::move(levels), static_cast<int>(traits), true,
               t.options.cell_means.value_or(true), t.options.cube_form, t.records);
    return cube;
}

// Between the passes: the cube, and the file read again up to its first
// record.
CubeBuilder start_table_cube(TableLoad& t) {
    if (!data_file_as_opened(*t.load.file)) file_changed(t.load);
    CubeBuilder cube = make_table_cube(t);
    reader_rewind(t.reader);
    read_header(t);
    return cube;
}

// After the second pass: the trial, its cubes labelled.
Trial finish_table(TableLoad& t, CubeBuilder&& cube) {
    // The labels go to the cube's levels once nothing looks a value up.
    std::vector<std::string> labels[3];
    const char letters[] = "GYL";
    bool lettered[3];
    for (int f = 0; f < 3; ++f) {
        lettered[f] = t.levels[f].numeric;
        labels[f] = take_labels(t.levels[f], letters[f]);
    }
    Trial trial;
    trial.table = true;
    trial.records = t.records;
    trial.repeated_headers = t.repeated_headers;
    trial.row_names = t.record_fields > t.header.size() && !t.trailing_separator;
    trial.cell_means = t.options.cell_means.value_or(true);
    trial.repeated_plots = t.repeated_plots;
    for (int f = 0; f < 3; ++f) {
        cube.levels.level_labels[f] = std::move(labels[f]);
        cube.levels.lettered[f] = lettered[f];
    }
    trial.traits = finish_cube(std::move(cube));
    return trial;
}

// The ranges of a table shared among threads (see input/range_pipeline.h).
// A line end outside quotes ends a record (no quoted field goes on past
// its line), so every range starts one. The first record, which settles
// how many fields a record has, is read here as the one-thread load reads
// it. A range that holds anything the load would refuse, or that makes it
// read the file otherwise (rows named by R), stops the shared load, and the
// file is read again on one thread, which says what is wrong exactly as
// ever.

// What the threads share of the table, read only.
struct RecordShape {
    Separator separator;
    const std::vector<std::string>& header;
    const std::vector<std::size_t>& fields_at;
    bool header_may_repeat;
    std::size_t record_fields;
    bool trailing;
    DecimalMark mark;
};

// The next record of a range as next_record reads it into `line`: 1; 0 at
// the end of the range; -1 where the load would refuse the line or read
// the file otherwise.
template <char separator>
[[gnu::always_inline]] inline int next_range_record(DataReader& reader, TableLine& line,
                                                    const RecordShape& shape,
                                                    std::int64_t& repeated) {
    for (;;) {
        if (!take_plain_line<separator>(reader, line)) {
            std::string_view text;
            std::int64_t number = 0;
            do {
                if (!next_text_line(reader, text, number)) return 0;
                if (text.size() > longest_line || !split_line(text, shape.separator, line))
                    return -1;
            } while (all_fields_empty(line));
        }
        const std::string_view first = line.fields[0], first_name = shape.header[0];
        if (shape.header_may_repeat && first.size() == first_name.size() &&
            (first.empty() || first[0] == first_name[0]) && repeats_header(line, shape.header)) {
            ++repeated;
            continue;
        }
        if (line.count != shape.record_fields ||
            (shape.trailing && !line.fields[line.count - 1].empty()))
            return -1;
        return 1;
    }
}

// A range's records, counted, and the levels they name in the order they
// first appear in it.
struct RangeLevels {
    bool taken = false;
    std::int64_t records = 0, repeated = 0;
    LevelTable levels[design_roles];
    TableLine line;
};

// A range's own levels look plain numbers up by value only below this:
// sixteen ranges' tables are in memory at once, and years and most codes
// are below it.
constexpr std::uint32_t range_small_numbers = 1 << 14;

// A record's levels in a range's own tables, their ids into `ids`; false
// for a new level that is no level.
[[gnu::always_inline]] inline bool take_range_levels(LevelTable (&levels)[design_roles],
                                                     const std::string_view* fields,
                                                     const std::size_t* at,
                                                     std::int32_t (&ids)[design_roles]) {
    for (std::size_t role = 0; role < design_roles; ++role) {
        const std::string_view value = fields[at[role]];
        bool added;
        ids[role] = level_id(levels[role], value, added, range_small_numbers);
        if (added && !level_sound(value)) return false;
    }
    return true;
}

// A range's levels, in the order they first appear in it, into the file's:
// `ids_of` gives each of the range's ids its id in the file.
void merge_range_levels(LevelTable (&file)[design_roles], const LevelTable (&range)[design_roles],
                        std::vector<std::int32_t> (&ids_of)[design_roles]) {
    for (std::size_t role = 0; role < design_roles; ++role) {
        const std::vector<std::string>& texts = range[role].texts;
        ids_of[role].resize(texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            bool added;
            ids_of[role][i] = add_level(file[role], texts[i], added);
        }
    }
}

// Flattened, as the one-thread loops are inlined: a call per field would
// cost a third more.
template <char separator>
[[gnu::flatten]] void find_range_levels(const RecordShape& shape, char* bytes, std::size_t size,
                                        RangeLevels& out) {
    DataReader reader;
    reader_open_range(reader, bytes, size);
    out.taken = false;
    out.records = out.repeated = 0;
    for (LevelTable& table : out.levels) table = LevelTable{};
    int got;
    while ((got = next_range_record<separator>(reader, out.line, shape, out.repeated)) > 0) {
        const std::string_view* const fields = out.line.fields.data();
        std::int32_t ids[design_roles];
        if (!take_range_levels(out.levels, fields, shape.fields_at.data(), ids)) return;
        for (std::size_t k = design_roles; k < shape.fields_at.size(); ++k)
            if (fields[shape.fields_at[k]].size() > longest_token) return;
        ++out.records;
    }
    out.taken = got == 0;
}

// A range's records as the second pass puts them: the levels of each, and
// its traits' values, NaN for a missing one (no value read is NaN). In a
// dense cube of at most 64 blocks, what does not hang on the file's order
// is done here instead (the cell, its pairs, the plots met, the counts),
// and the applying thread, which no other shares, only adds the values.
struct RangeRecords {
    bool taken = false;
    std::vector<std::int32_t> levels; // design_roles a record; a dense cube's: its cell
    std::vector<double> values;       // a trait's a record
    std::vector<Tally> counts;        // a dense cube's, by trait; their sums are the applier's
    std::int64_t repeated_plots = 0;
    TableLine line;
};

// What the parsing threads of a dense cube mark together: the pairs of
// levels that occur, and the plots met. Order does not matter to either,
// so each is an atomic OR; a run of records of one cell (a plot's blocks
// follow one another) marks its plots at once.
struct DenseMarks {
    CubeLevels* levels = nullptr; // none: the applier finds the cells
    std::uint64_t* blocks_met = nullptr;
};

inline void mark_shared(std::uint64_t& word, std::uint64_t bits) {
    if ((std::atomic_ref<std::uint64_t>(word).load(std::memory_order_relaxed) & bits) != bits)
        std::atomic_ref<std::uint64_t>(word).fetch_or(bits, std::memory_order_relaxed);
}

// The records of a run of one cell that name a plot met before, marking
// the run's plots met.
inline std::int64_t plots_met_again(std::uint64_t& met, std::uint64_t run, std::int64_t records) {
    const std::uint64_t before =
        std::atomic_ref<std::uint64_t>(met).fetch_or(run, std::memory_order_relaxed);
    return records - std::popcount(run & ~before);
}

// A dense cube's cell, its pairs marked; once for a run of records.
[[gnu::noinline]] std::int32_t enter_shared_cell(CubeLevels& cube, std::int64_t v, std::int64_t y,
                                                 std::int64_t l) {
    const std::int64_t pair[3] = {v, y, l};
    for (int f = 0; f < 3; ++f) {
        const std::int64_t bit = cube.pair_bit(f, pair[f], pair[(f + 1) % 3]);
        mark_shared(cube.pair_marks[f][static_cast<std::size_t>(bit >> 6)],
                    std::uint64_t{1} << (bit & 63));
    }
    return static_cast<std::int32_t>(dense_cell(cube, v, y, l));
}

// A trait's field as the load takes it: its value, NaN for a missing one;
// false where the load would refuse it.
inline bool take_trait(std::string_view token, DecimalMark mark, Tally& count, double& value) {
    if (token.size() > longest_token) return false;
    const TraitReading reading = read_table_trait_quickly(token, mark);
    if (reading.kind == TraitKind::not_a_number ||
        (reading.kind == TraitKind::number && beyond_single_precision(reading.value)))
        return false;
    const bool number = reading.kind == TraitKind::number;
    count.missing += !number;
    count.zeros += number && static_cast<float>(reading.value) == 0.0f;
    value = number ? reading.value : std::numeric_limits<double>::quiet_NaN();
    return true;
}

template <char separator>
[[gnu::flatten]] void read_range_records(const RecordShape& shape, const LevelTable* tables,
                                         const DenseMarks& dense, char* bytes, std::size_t size,
                                         RangeRecords& out) {
    DataReader reader;
    reader_open_range(reader, bytes, size);
    out.taken = false;
    out.levels.clear();
    out.values.clear();
    // In locals, as the one-thread loop keeps them: through `out` and
    // `shape` they would be fetched again at every field.
    LastValue last[design_roles];
    std::size_t at[design_roles];
    std::copy_n(shape.fields_at.begin(), design_roles, at);
    const std::size_t* const trait_at = shape.fields_at.data();
    const std::size_t fields_used = shape.fields_at.size();
    CubeLevels* const cube = dense.levels;
    out.counts.assign(fields_used - design_roles, Tally{});
    Tally* const counts = out.counts.data();
    std::int32_t last_cell[3] = {0, 0, 0};
    std::int32_t cell = 0;
    std::uint64_t run = 0; // the blocks met in the run of records of `cell`
    std::int64_t run_records = 0, repeated = 0, plots = 0;
    int got;
    while ((got = next_range_record<separator>(reader, out.line, shape, repeated)) > 0) {
        const std::string_view* const fields = out.line.fields.data();
        std::int32_t level[design_roles];
        for (std::size_t role = 0; role < design_roles; ++role)
            if ((level[role] = level_of_value(tables[role], last[role], fields[at[role]])) == 0)
                return;
        if (!cube) {
            out.levels.insert(out.levels.end(), level, level + design_roles);
        } else {
            const std::int32_t v = level[variety_factor], y = level[year_factor],
                               l = level[location_factor];
            if (v != last_cell[0] || y != last_cell[1] || l != last_cell[2]) [[unlikely]] {
                if (run_records > 0)
                    plots += plots_met_again(dense.blocks_met[cell], run, run_records);
                cell = enter_shared_cell(*cube, v, y, l);
                last_cell[0] = v, last_cell[1] = y, last_cell[2] = l;
                run = 0;
                run_records = 0;
            }
            run |= std::uint64_t{1} << (level[3] - 1);
            ++run_records;
            out.levels.push_back(cell);
        }
        for (std::size_t k = design_roles; k < fields_used; ++k) {
            double value;
            if (!take_trait(fields[trait_at[k]], shape.mark, counts[k - design_roles], value))
                return;
            out.values.push_back(value);
        }
    }
    if (run_records > 0) plots += plots_met_again(dense.blocks_met[cell], run, run_records);
    out.repeated_plots = plots;
    out.taken = got == 0;
}

// Puts a range's records into the cube as second_pass_records does, in the
// file's order.
struct RecordsApplied {
    std::int64_t last_cell[3] = {0, 0, 0};
    std::int64_t cell = 0;
    std::int64_t plots = 0;
    std::vector<Tally> tallies;
};

// The first trait's tally and view in locals, as the one-thread loop keeps
// them: this loop is the one part of the pass no other thread shares.
void apply_records(TableLoad& t, CubeBuilder& cube, const RangeRecords& range,
                   RecordsApplied& applied) {
    const std::size_t traits = cube.traits.size();
    const std::size_t records = range.levels.size() / design_roles;
    const std::int32_t* levels = range.levels.data();
    const double* values = range.values.data();
    const bool sparse = cube.levels.sparse;
    std::int64_t* const last = applied.last_cell;
    std::int64_t cell = applied.cell, plots = applied.plots;
    Tally first = applied.tallies[0];
    CellView first_view = cell_view(cube.traits[0]);
    for (std::size_t r = 0; r < records; ++r, levels += design_roles, values += traits) {
        const std::int64_t level[design_roles] = {levels[0], levels[1], levels[2], levels[3]};
        const std::int64_t v = level[variety_factor], y = level[year_factor],
                           l = level[location_factor];
        enter_cell(cube, sparse, v, y, l, last, cell, first_view);
        plots += !new_plot(t, cell, level);
        if (std::isnan(values[0])) {
            ++first.missing;
        } else {
            observe(first_view, cell, values[0], &first.zeros);
            first.sum += values[0];
            ++first.values;
        }
        for (std::size_t k = 1; k < traits; ++k) {
            Tally& tally = applied.tallies[k];
            if (std::isnan(values[k])) {
                ++tally.missing;
                continue;
            }
            observe(cell_view(cube.traits[k]), cell, values[k], &tally.zeros);
            tally.sum += values[k];
            ++tally.values;
        }
    }
    applied.tallies[0] = first;
    applied.cell = cell;
    applied.plots = plots;
}

// A value into its cell, as observe puts it, its zero counted already.
[[gnu::always_inline]] inline void put_value(CellView view, std::int32_t cell, double value) {
    if (view.sums) {
        view.sums[cell] += value;
        ++view.counts[cell];
    } else {
        const float kept = static_cast<float>(value);
        view.cells[cell] = kept == 0.0f ? 0.0f : kept;
    }
}

// A dense cube's range: only the sums, which must go in the file's order.
void apply_dense_records(CubeBuilder& cube, const RangeRecords& range, RecordsApplied& applied) {
    const std::size_t traits = cube.traits.size();
    const std::size_t records = range.levels.size();
    const std::int32_t* const cells = range.levels.data();
    const double* values = range.values.data();
    for (std::size_t k = 0; k < traits; ++k) {
        Tally& tally = applied.tallies[k];
        tally.values += static_cast<std::int64_t>(records) - range.counts[k].missing;
        tally.missing += range.counts[k].missing;
        tally.zeros += range.counts[k].zeros;
    }
    applied.plots += range.repeated_plots;
    const CellView first_view = cell_view(cube.traits[0]);
    double sum = applied.tallies[0].sum;
    if (traits == 1) {
        for (std::size_t r = 0; r < records; ++r) {
            if (std::isnan(values[r])) continue;
            put_value(first_view, cells[r], values[r]);
            sum += values[r];
        }
        applied.tallies[0].sum = sum;
        return;
    }
    for (std::size_t r = 0; r < records; ++r, values += traits) {
        if (!std::isnan(values[0])) {
            put_value(first_view, cells[r], values[0]);
            sum += values[0];
        }
        for (std::size_t k = 1; k < traits; ++k) {
            if (std::isnan(values[k])) continue;
            put_value(cell_view(cube.traits[k]), cells[r], values[k]);
            applied.tallies[k].sum += values[k];
        }
    }
    applied.tallies[0].sum = sum;
}

// A range read once: its records, counted, the levels they name in the
// order they first appear in it, each record's levels by the range's own
// ids, and its traits' values, NaN for a missing one.
struct RangeOnce {
    bool taken = false;
    std::int64_t records = 0, repeated = 0;
    LevelTable levels[design_roles];
    std::vector<std::int32_t> ids; // design_roles a record
    std::vector<double> values;    // a trait's a record
    std::vector<Tally> counts;     // by trait; their sums are the applier's
    TableLine line;
};

template <char separator>
[[gnu::flatten]] void read_range_once(const RecordShape& shape, char* bytes, std::size_t size,
                                      RangeOnce& out) {
    DataReader reader;
    reader_open_range(reader, bytes, size);
    out.taken = false;
    out.records = out.repeated = 0;
    for (LevelTable& table : out.levels) table = LevelTable{};
    out.ids.clear();
    out.values.clear();
    std::size_t at[design_roles];
    std::copy_n(shape.fields_at.begin(), design_roles, at);
    const std::size_t* const trait_at = shape.fields_at.data();
    const std::size_t fields_used = shape.fields_at.size();
    out.counts.assign(fields_used - design_roles, Tally{});
    Tally* const counts = out.counts.data();
    std::int64_t records = 0, repeated = 0;
    int got;
    while ((got = next_range_record<separator>(reader, out.line, shape, repeated)) > 0) {
        const std::string_view* const fields = out.line.fields.data();
        std::int32_t ids[design_roles];
        if (!take_range_levels(out.levels, fields, at, ids)) return;
        out.ids.insert(out.ids.end(), ids, ids + design_roles);
        for (std::size_t k = design_roles; k < fields_used; ++k) {
            double value;
            if (!take_trait(fields[trait_at[k]], shape.mark, counts[k - design_roles], value))
                return;
            out.values.push_back(value);
        }
        ++records;
    }
    out.records = records;
    out.repeated = repeated;
    out.taken = got == 0;
}

// What the applying thread carries from range to range of a load read once.
struct OnceApplied {
    std::int64_t cell = -1; // of the run of records going on
    std::uint64_t run = 0;  // the blocks the run met
    std::int64_t run_records = 0, plots = 0;
    std::vector<Tally> tallies;
};

// Ends the run of records of one cell: its plots met, and those met again.
inline void end_run(GrowingCells& grown, OnceApplied& applied) {
    if (applied.run_records == 0) return;
    std::uint64_t& met = grown.met[applied.cell];
    applied.plots += applied.run_records - std::popcount(applied.run & ~met);
    grown.entered += met == 0;
    met |= applied.run;
    applied.run = 0;
    applied.run_records = 0;
}

// Puts a record into the cells grown: `ids` its levels' ids (from 0),
// `values` its traits'.
inline void put_once(GrowingCells& grown, OnceApplied& applied, const std::int32_t ids[],
                     const double values[]) {
    const std::int64_t cell = growing_cell(grown.room, ids[0] + 1, ids[1] + 1, ids[2] + 1);
    if (cell != applied.cell) {
        end_run(grown, applied);
        applied.cell = cell;
    }
    applied.run |= std::uint64_t{1} << ids[3];
    ++applied.run_records;
    for (std::size_t k = 0; k < applied.tallies.size(); ++k) {
        const double value = values[k];
        if (std::isnan(value)) continue;
        if (grown.means) {
            grown.sums[k][cell] += value;
            ++grown.counts[k][cell];
        } else {
            const float kept = static_cast<float>(value);
            grown.cells[k][cell] = kept == 0.0f ? 0.0f : kept;
        }
        applied.tallies[k].sum += value;
    }
}

// Puts a range's records into the cells grown, their ids turned into the
// file's. The loop is the one part of the load that no other thread
// shares: what it reads at every record is in its locals, and the common
// single trait takes a loop of its own.
[[gnu::noinline]] void put_range_once(GrowingCells& grown, OnceApplied& applied,
                                      const RangeOnce& range,
                                      const std::vector<std::int32_t> (&ids_of)[design_roles]) {
    const std::int32_t* ids = range.ids.data();
    const double* values = range.values.data();
    const std::int32_t *const of_v = ids_of[0].data(), *const of_y = ids_of[1].data(),
                              *const of_l = ids_of[2].data(), *const of_b = ids_of[3].data();
    if (applied.tallies.size() != 1) {
        for (std::int64_t r = 0; r < range.records; ++r, ids += design_roles) {
            const std::int32_t in_file[design_roles] = {of_v[ids[0]], of_y[ids[1]], of_l[ids[2]],
                                                        of_b[ids[3]]};
            put_once(grown, applied, in_file, values);
            values += applied.tallies.size();
        }
        return;
    }
    const std::int64_t years = grown.room[1], locations = grown.room[2];
    float* const cells = grown.means ? nullptr : grown.cells[0];
    double* const sums = grown.means ? grown.sums[0] : nullptr;
    std::int64_t* const counts = grown.means ? grown.counts[0] : nullptr;
    std::uint64_t* const met = grown.met;
    std::int64_t cell = applied.cell, run_records = applied.run_records, plots = applied.plots,
                 entered = grown.entered;
    std::uint64_t run = applied.run;
    double sum = applied.tallies[0].sum;
    for (std::int64_t r = 0; r < range.records; ++r, ids += design_roles) {
        const std::int64_t at =
            (std::int64_t{of_v[ids[0]]} * years + of_y[ids[1]]) * locations + of_l[ids[2]];
        if (at != cell) {
            if (run_records != 0) {
                plots += run_records - std::popcount(run & ~met[cell]);
                entered += met[cell] == 0;
                met[cell] |= run;
            }
            cell = at;
            run = 0;
            run_records = 0;
        }
        run |= std::uint64_t{1} << of_b[ids[3]];
        ++run_records;
        const double value = values[r];
        if (std::isnan(value)) continue;
        if (cells) {
            const float kept = static_cast<float>(value);
            cells[cell] = kept == 0.0f ? 0.0f : kept;
        } else {
            sums[cell] += value;
            ++counts[cell];
        }
        sum += value;
    }
    applied.cell = cell;
    applied.run = run;
    applied.run_records = run_records;
    applied.plots = plots;
    applied.tallies[0].sum = sum;
    grown.entered = entered;
}

// The table read once, shared among threads, its cells growing with the
// levels met; then read again only to see that its bytes are the same.
// Where the cells would take too much room before the levels are known, or
// more than 64 blocks name plots, the file is read in two passes, the cube
// sized first; where a range says anything is amiss, on one thread.
template <char separator>
Shared load_table_once(TableLoad& t, Trial& trial) {
    reader_restart(t.reader);
    std::vector<ReadPiece> pieces; // for the second read, shared too
    const PieceKeeper keeper(t.reader, pieces);
    t.reader.look_past_end_mark = true;
    levels_memory_use(t);
    read_header(t);
    std::int64_t repeated = 0;
    if (t.reader.encoding != Encoding::bytes ||
        !next_record<separator>(t, true, true, t.header[0], repeated) ||
        (t.record_fields > t.header.size() && !t.trailing_separator))
        return Shared::on_one_thread;
    const std::size_t traits = t.fields_at.size() - design_roles;
    GrowingCells grown;
    grown.traits = static_cast<int>(traits);
    grown.means = t.options.cell_means.value_or(true);
    grown.blocks_met = true;
    grown.budget = t.options.growing_budget;
    OnceApplied applied;
    applied.tallies.resize(traits);
    // The first record, as first_pass_records takes it, and as the ranges'
    // records go in.
    {
        const std::string_view* const fields = t.line.fields.data();
        std::int32_t ids[design_roles];
        for (std::size_t role = 0; role < design_roles; ++role) {
            const std::string_view value = fields[t.fields_at[role]];
            bool added;
            ids[role] = level_id(t.levels[role], value, added);
            if (added) check_level(t, role, value);
        }
        std::vector<double> values(traits);
        for (std::size_t k = 0; k < traits; ++k) {
            const std::string_view token = fields[t.fields_at[design_roles + k]];
            if (token.size() > longest_token)
                refuse_line(t, overlong(texts::field_names[design_roles], token, true));
            if (!take_trait(token, t.decimal_mark, applied.tallies[k], values[k]))
                return Shared::on_one_thread;
            applied.tallies[k].values += !std::isnan(values[k]);
        }
        const std::int64_t first[3] = {1, 1, 1};
        if (!make_room(grown, first)) return Shared::in_two_passes;
        put_once(grown, applied, ids, values.data());
    }
    t.records = 1;
    const RangeSettings settings{t.options.threads, t.options.range_bytes, false};
    const RecordShape shape{t.separator,          t.header,      t.fields_at, true, t.record_fields,
                            t.trailing_separator, t.decimal_mark};
    std::vector<std::int32_t> ids_of[design_roles]; // the range's ids' ids in the file
    std::int64_t ranges = 0;
    bool roomy = true;
    const bool read = run_ranges<RangeOnce>(
        t.reader, settings,
        [&](char* bytes, std::size_t size, RangeOnce& out) {
            read_range_once<separator>(shape, bytes, size, out);
        },
        [&](const RangeOnce& range) {
            if (!range.taken) return false;
            merge_range_levels(t.levels, range.levels, ids_of);
            const std::int64_t largest[3] = {
                static_cast<std::int64_t>(t.levels[variety_factor].texts.size()),
                static_cast<std::int64_t>(t.levels[year_factor].texts.size()),
                static_cast<std::int64_t>(t.levels[location_factor].texts.size())};
            // A new room lays the cells out anew: the run ends in the old.
            end_run(grown, applied);
            applied.cell = -1;
            if (t.levels[3].texts.size() > 64 || !make_room(grown, largest)) return roomy = false;
            ++ranges;
            t.records += range.records;
            repeated += range.repeated;
            for (std::size_t k = 0; k < traits; ++k) {
                Tally& tally = applied.tallies[k];
                tally.values += range.records - range.counts[k].missing;
                tally.missing += range.counts[k].missing;
                tally.zeros += range.counts[k].zeros;
            }
            put_range_once(grown, applied, range, ids_of);
            return true;
        });
    if (!roomy) return Shared::in_two_passes;
    if (!read || t.reader.text_past_end_mark) return Shared::on_one_thread;
    end_run(grown, applied);
    t.repeated_headers = repeated;
    t.repeated_plots = applied.plots;
    if (!data_file_as_opened(*t.load.file)) file_changed(t.load);
    reader_rewind(t.reader);
    if (!reader_same_pieces(t.reader, pieces, t.options.threads)) file_changed(t.load);
    const std::int64_t counts[3] = {
        static_cast<std::int64_t>(t.levels[variety_factor].texts.size()),
        static_cast<std::int64_t>(t.levels[year_factor].texts.size()),
        static_cast<std::int64_t>(t.levels[location_factor].texts.size())};
    close_up(grown, counts);
    CubeBuilder cube = make_table_cube(t);
    const std::int32_t* const level_of[3] = {t.levels[variety_factor].level_of.data(),
                                             t.levels[year_factor].level_of.data(),
                                             t.levels[location_factor].level_of.data()};
    move_into_cube(grown, cube, level_of);
    for (std::size_t k = 0; k < traits; ++k) {
        TraitCells& trait = cube.traits[k];
        trait.sum = applied.tallies[k].sum;
        trait.values = applied.tallies[k].values;
        trait.missing = applied.tallies[k].missing;
        trait.zeros = applied.tallies[k].zeros;
    }
    trial = finish_table(t, std::move(cube));
    trial.ranges = ranges;
    return Shared::loaded;
}

// Both passes shared among threads; nothing when the file must be read on
// one.
template <char separator>
std::optional<Trial> load_in_ranges(TableLoad& t) {
    reader_restart(t.reader);
    t.reader.look_past_end_mark = true;
    levels_memory_use(t);
    read_header(t);
    std::int64_t repeated = 0;
    if (t.reader.encoding != Encoding::bytes ||
        !next_record<separator>(t, true, true, t.header[0], repeated) ||
        (t.record_fields > t.header.size() && !t.trailing_separator))
        return std::nullopt;
    // The first record, as first_pass_records takes it.
    const std::string_view* const fields = t.line.fields.data();
    for (std::size_t role = 0; role < design_roles; ++role) {
        const std::string_view value = fields[t.fields_at[role]];
        bool added;
        level_id(t.levels[role], value, added);
        if (added) check_level(t, role, value);
    }
    for (std::size_t k = design_roles; k < t.fields_at.size(); ++k)
        if (fields[t.fields_at[k]].size() > longest_token)
            refuse_line(t,
                        overlong(texts::field_names[design_roles], fields[t.fields_at[k]], true));
    t.records = 1;
    const RangeSettings settings{t.options.threads, t.options.range_bytes, false};
    RecordShape shape{t.separator,          t.header,      t.fields_at, true, t.record_fields,
                      t.trailing_separator, t.decimal_mark};
    std::vector<std::int32_t> ids_of[design_roles];
    const bool found = run_ranges<RangeLevels>(
        t.reader, settings,
        [&](char* bytes, std::size_t size, RangeLevels& out) {
            find_range_levels<separator>(shape, bytes, size, out);
        },
        [&](const RangeLevels& range) {
            if (!range.taken) return false;
            t.records += range.records;
            repeated += range.repeated;
            merge_range_levels(t.levels, range.levels, ids_of);
            return true;
        });
    if (!found || t.reader.text_past_end_mark) return std::nullopt;
    t.repeated_headers = repeated;
    CubeBuilder cube = start_table_cube(t);
    shape.header_may_repeat = t.repeated_headers > 0;
    RecordsApplied applied;
    applied.tallies.resize(cube.traits.size());
    // The threads find a dense cube's cells where each fits an int32.
    DenseMarks dense;
    const std::int64_t cells =
        std::int64_t{cube.levels.nVar} * cube.levels.nYear * cube.levels.nLoc;
    if (!cube.levels.sparse && t.levels[3].texts.size() <= 64 &&
        cells <= std::numeric_limits<std::int32_t>::max()) {
        t.blocks_met.assign(static_cast<std::size_t>(cells), 0);
        dense = {&cube.levels, t.blocks_met.data()};
    }
    std::int64_t ranges = 0;
    const bool filled = run_ranges<RangeRecords>(
        t.reader, settings,
        [&](char* bytes, std::size_t size, RangeRecords& out) {
            read_range_records<separator>(shape, t.levels, dense, bytes, size, out);
        },
        [&](const RangeRecords& range) {
            if (!range.taken) return false;
            ++ranges;
            if (dense.levels)
                apply_dense_records(cube, range, applied);
            else
                apply_records(t, cube, range, applied);
            return true;
        });
    if (!filled) return std::nullopt;
    if (!reader_read_same_bytes(t.reader)) file_changed(t.load);
    t.repeated_plots = applied.plots;
    for (std::size_t k = 0; k < applied.tallies.size(); ++k) {
        TraitCells& trait = cube.traits[k];
        trait.sum = applied.tallies[k].sum;
        trait.values = applied.tallies[k].values;
        trait.missing = applied.tallies[k].missing;
        trait.zeros = applied.tallies[k].zeros;
    }
    Trial trial = finish_table(t, std::move(cube));
    trial.ranges = ranges;
    return trial;
}

} // namespace

TableHeader read_table_header(LoadContext& load, const LoadOptions& options, Separator separator) {
    TableLoad t{load, load.reader, options, separator, decimal_mark(options, separator)};
    take_header(t);
    return {std::move(t.header), std::move(t.columns), t.traits_found};
}

Trial load_table_file(LoadContext& load, const LoadOptions& options, Separator separator,
                      const TableHeader& header) {
    const DecimalMark mark = decimal_mark(options, separator);
    if (options.threads > 1 && load.file->state.size >= options.parallel_from) {
        Shared shared = Shared::in_two_passes;
        if (options.growing_budget != 0 && options.cube_form != CubeForm::sparse) {
            TableLoad t{load, load.reader, options, separator, mark, header.names, header.columns};
            Trial trial;
            shared = by_separator(separator,
                                  [&](auto each) { return load_table_once<each()>(t, trial); });
            if (shared == Shared::loaded) return trial;
        }
        if (shared == Shared::in_two_passes) {
            TableLoad t{load, load.reader, options, separator, mark, header.names, header.columns};
            std::optional<Trial> trial =
                by_separator(separator, [&](auto each) { return load_in_ranges<each()>(t); });
            if (trial) return std::move(*trial);
        }
    }
    TableLoad t{load, load.reader, options, separator, mark, header.names, header.columns};
    reader_restart(t.reader);
    t.reader.look_past_end_mark = true;
    first_pass(t);
    CubeBuilder cube = start_table_cube(t);
    by_separator(t.separator, [&](auto each) { second_pass_records<each()>(t, cube); });
    if (!reader_read_same_bytes(t.reader)) file_changed(load);
    return finish_table(t, std::move(cube));
}
