// The classic design file: white-space separated tokens, five header names,
// then records of five fields: variety, year, location and block codes and
// a trait value, read as the field formats "%d ch" and "%s ch" read them.
#include "base/whole_number.h"
#include "design/column_roles.h"
#include "design/data_file.h"
#include "design/loading.h"
#include "design/plain_record.h"
#include "design/trait_value.h"
#include "texts/console_texts.h"

#include <algorithm>
#include <string>

static constexpr int fields_per_record = 5;
static constexpr int trait_field = 4;

static std::int64_t record_count = 0;  // records counted by the first pass
static int largest_block = 1;          // the largest block code of the first pass
static bool decimal_comma = false;     // "7,80" is 7.8
static std::int64_t skipped_lines = 0; // before the header, by --skip

// A title or notes above a table make its first records wrong: refused
// within these, a file whose header is further down is told how to be read.
static constexpr std::int64_t first_records = 20;

// How to read the file as a table instead, where it seems to be one: its
// header further down, or codes that are names under a header that names
// the design's columns. Empty where nothing says so.
static std::string table_hint(std::int64_t record, bool names_for_codes) {
    const HeaderSearch& search = header_search;
    if (!search.found) return {};
    const std::string command = reading_command(search, data_file_name, false, DecimalMark::point);
    if (search.line != search.first_line && record <= first_records)
        return fill(texts::header_below_hint, {decimal(search.line), command});
    const auto roles = design_columns(search.names);
    if (names_for_codes && roles[0] && roles[1] && roles[2] && roles[3])
        return fill(texts::as_table_hint, {command});
    return {};
}
static DataReader& reader = data_reader;

// Rare, and kept out of the records' loops.
[[noreturn, gnu::cold]] static void refuse_record(std::int64_t record, const std::string& problem) {
    refuse(fill(texts::record_fault, {decimal(record), quoted(data_file_name), problem}) +
           table_hint(record, false));
}

// The next token of a record; a record cut short by the end of the file is
// an error rather than a record of guessed values.
static std::string_view record_token(std::int64_t record, int field) {
    std::string_view token = reader_peek_token(reader);
    if (token.empty())
        refuse_record(record, fill(texts::record_incomplete, {texts::field_names[field]}));
    if (token.size() > longest_token)
        refuse_record(record, overlong(texts::field_names[field], token));
    return token;
}

// A code that is no whole number: a name, as in a table, or a token too
// many or too few before it.
[[noreturn, gnu::cold]] static void not_whole(std::int64_t record, int field,
                                              std::string_view token) {
    std::string message =
        fill(texts::record_fault,
             {decimal(record), quoted(data_file_name),
              fill(texts::field_not_whole, {texts::field_names[field], quoted_token(token)})});
    const std::string hint = table_hint(record, true);
    refuse(message + (hint.empty() ? std::string(texts::codes_as_names) : hint));
}

// Reads a code as "%d ch" would: an optional sign and decimal digits, ended
// by white space, the end of the file, or the 'c' that the field format
// swallows. Anything else ("1.5", "2e3", "x") is not a code.
static int read_code(std::int64_t record, int field) {
    std::string_view token = record_token(record, field);
    // A token in the buffer is followed by white space or the buffer's NUL.
    WholeNumber code = read_whole_number(token.data());
    if (code.length == 0 || (code.length < token.size() && token[code.length] != 'c'))
        not_whole(record, field, token);
    if (!code.fits_int())
        refuse_record(
            record, fill(texts::field_too_large, {texts::field_names[field], quoted_token(token)}));
    reader_consume(reader, code.length);
    reader_finish_field(reader);
    return static_cast<int>(code.value);
}

// Passes over a token as "%s ch" would.
static void skip_name(std::int64_t record, int field) {
    std::string_view token = record_token(record, field);
    reader_consume(reader, token.size());
    reader_finish_field(reader);
}

[[noreturn, gnu::cold]] static void trait_too_large(std::int64_t record, std::string_view token) {
    refuse_record(record, fill(texts::trait_beyond_float, {quoted_token(token)}));
}

[[noreturn, gnu::cold]] static void trait_not_number(std::int64_t record, std::string_view token) {
    refuse_record(record, not_a_number(std::string(texts::trait_subject), token,
                                       decimal_comma ? DecimalMark::comma : DecimalMark::point));
}

// The value of a trait token: 0 for a missing one, which the cube can't
// tell from an empty cell. Inline in both of its callers: a call per record
// costs a twentieth of the load.
[[gnu::always_inline]] static inline double trait_value(std::int64_t record,
                                                        std::string_view token) {
    const TraitReading reading = read_classic_trait_quickly(token, decimal_comma);
    if (reading.kind == TraitKind::not_a_number) trait_not_number(record, token);
    if (beyond_single_precision(reading.value)) trait_too_large(record, token);
    return reading.value;
}

// Reads the trait token as "%s ch" would and gives its value. The token is
// converted before the field is finished: finishing may refill the buffer
// over the token's bytes.
static double read_trait(std::int64_t record) {
    std::string_view token = record_token(record, trait_field);
    const double value = trait_value(record, token);
    reader_consume(reader, token.size());
    reader_finish_field(reader);
    return value;
}

static void skip_header() {
    reader_skip_lines(reader, skipped_lines);
    for (int i = 0; i < fields_per_record; ++i) {
        std::string_view token = reader_peek_token(reader);
        if (token.empty()) break;
        if (token.size() > longest_token)
            refuse(fill(texts::header_overlong,
                        {quoted(data_file_name), quoted_token(token), decimal(longest_token)}));
        reader_consume(reader, token.size());
        reader_finish_field(reader);
    }
}

static RecordCodes read_codes(std::int64_t record) {
    RecordCodes codes{};
    codes.variety = read_code(record, 0);
    codes.year = read_code(record, 1);
    codes.location = read_code(record, 2);
    codes.block = read_code(record, 3);
    // Codes index the cube from 1; block codes never index anything.
    const int design_codes[] = {codes.variety, codes.year, codes.location};
    for (int field = 0; field < 3; ++field)
        if (design_codes[field] < 1)
            refuse_record(record, fill(texts::code_below_one,
                                       {texts::field_names[field], decimal(design_codes[field])}));
    return codes;
}

// The next record's codes in the first pass; false at the end of the data.
static bool scan_record(std::int64_t record, RecordCodes& codes) {
    PlainRecord plain;
    if (take_plain_record(reader, plain)) {
        codes = plain.codes;
        return true;
    }
    if (reader_peek_token(reader).empty()) return false;
    codes = read_codes(record);
    skip_name(record, trait_field);
    return true;
}

// The sizes are kept in locals while the records stream past: the globals
// would have to be written back around every call into the reader.
static void first_pass() {
    RecordCodes largest{1, 1, 1, 1};
    std::int64_t records = 0;
    skip_header();
    RecordCodes codes;
    while (scan_record(records + 1, codes)) {
        ++records;
        largest.variety = std::max(largest.variety, codes.variety);
        largest.year = std::max(largest.year, codes.year);
        largest.location = std::max(largest.location, codes.location);
        largest.block = std::max(largest.block, codes.block);
    }
    if (records == 0) refuse(fill(texts::no_record, {quoted(data_file_name)}));
    nVar = largest.variety;
    nYear = largest.year;
    nLoc = largest.location;
    largest_block = largest.block;
    record_count = records;
}

// A code beyond the largest of the first pass means the file changed in
// between; the cube has no cell for it.
static void check_unchanged(const RecordCodes& codes) {
    if (codes.variety > nVar || codes.year > nYear || codes.location > nLoc ||
        codes.block > largest_block)
        file_changed();
}

// The next record's codes and trait value in the second pass.
static double fill_record(std::int64_t record, RecordCodes& codes) {
    PlainRecord plain;
    if (!take_plain_record(reader, plain)) {
        codes = read_codes(record);
        check_unchanged(codes);
        return read_trait(record);
    }
    codes = plain.codes;
    check_unchanged(codes);
    return trait_value(record, plain.trait);
}

// Fills the cube from exactly the records the first pass counted, and ends
// the run through fatal_exit when they are not the same records.
static void second_pass() {
    // In single precision the sum drifts (by 0.7 % over a million yields of
    // 6.05) and then stops growing altogether; a double sum of values below
    // FLT_MAX can't overflow before 2^900 of them.
    double sum = 0.0;
    std::int64_t count = 0;
    skip_header();
    RecordCodes codes;
    float*** const cube = trait_cube;
    for (std::int64_t record = 1; record <= record_count; ++record) {
        const double value = fill_record(record, codes);
        if (!observe(cube, codes.variety, codes.year, codes.location, value, nullptr)) continue;
        sum += value;
        ++count;
    }
    if (!reader_read_same_bytes(reader)) file_changed();
    finish_cube(sum, count);
}

void load_classic_file(const LoadOptions& options) {
    decimal_comma = options.decimal == DecimalMark::comma;
    skipped_lines = options.skip;
    first_pass();
    // Before the sizes found are taken for the cube's.
    if (!data_file_as_opened()) file_changed();
    allocate_cube(largest_block);
    reader_rewind(reader);
    second_pass();
}
