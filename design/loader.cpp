#include "design/loader.h"

#include "app/console_texts.h"
#include "app/data_file_dialogue.h"
#include "design/data_reader.h"
#include "design/decimal.h"
#include "design/plain_record.h"
#include "design/trait_value.h"
#include "storage/checked_size.h"
#include "storage/offset_arrays.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>

int nVar = 1;
int nYear = 1;
int nLoc = 1;
float*** trait_cube = nullptr;
float grand_mean = 0.0f;
std::size_t read_block_size = 1 << 20;

static constexpr int fields_per_record = 5;
static const char* const field_names[] = {"variety code", "year code", "location code",
                                          "block code", "trait value"};

static float largest_block = 1.0f;    // largest block code seen, at least 1
static std::int64_t record_count = 0; // records counted by the first pass
static std::int64_t cell_count = 0;   // nVar x nLoc x nYear x largest block
static DataReader reader;
static bool reading_again; // the second pass has begun

// A token as a message shows it: long ones cut short, and control bytes (a
// NUL, the start of a terminal's escape sequence) written as \xNN, so that a
// damaged file can neither garble nor drive the console.
static std::string quoted(std::string_view token) {
    constexpr std::size_t shown = 40;
    constexpr char hex[] = "0123456789abcdef";
    std::string text = "\"";
    for (char c : token.substr(0, shown)) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            text += c;
        } else {
            text += "\\x";
            text += hex[byte >> 4];
            text += hex[byte & 0xF];
        }
    }
    if (token.size() > shown) text += "...";
    return text + "\"";
}

// The advice matters more than the detail: what the two passes saw can't be
// trusted, but the file may well be complete and sound once its writer is done.
[[noreturn]] static void file_changed() {
    fatal_exit(std::string("\"") + data_file_name +
               "\" changed while it was being read. Run the analysis again once the file is "
               "complete.");
}

// Whether the data file is still the one, and as it was, when it was opened.
static bool file_as_opened() {
    FileState now;
    return state_of(data_stream, now) && now == data_file_state;
}

// Ends the run on a fault in the file through fatal_exit. A half-written
// file shows faults that its finished form won't have: when the file changed
// since it was opened, that is what the message says.
[[noreturn]] static void refuse(const std::string& message) {
    if (!file_as_opened()) file_changed();
    fatal_exit(message);
}

[[noreturn]] static void refuse_record(std::int64_t record, const std::string& problem) {
    refuse("Record " + std::to_string(record) + " of \"" + data_file_name + "\": " + problem);
}

// A fault in what the first pass has read already. The first pass found none
// (it would have ended the run), so on the second pass it means that the
// file changed in between, whatever its times say.
[[noreturn]] static void bad_record(std::int64_t record, const std::string& problem) {
    if (reading_again) file_changed();
    refuse_record(record, problem);
}

static const std::string overlong = " is longer than " + std::to_string(longest_token) +
                                    " bytes; the file is damaged or is not a design data file.";

// The next token of a record; a record cut short by the end of the file is
// an error rather than a record of guessed values.
static std::string_view record_token(std::int64_t record, int field) {
    std::string_view token = reader_peek_token(reader);
    if (token.empty())
        bad_record(record, "the record is incomplete: the file ends before its " +
                               std::string(field_names[field]) + ".");
    if (token.size() > longest_token)
        bad_record(record,
                   "the " + std::string(field_names[field]) + " " + quoted(token) + overlong);
    return token;
}

[[noreturn]] static void bad_code(std::int64_t record, int field, std::string_view token,
                                  const char* problem) {
    bad_record(record, "the " + std::string(field_names[field]) + " " + quoted(token) + problem);
}

// Reads a code as "%d ch" would: an optional sign and decimal digits, ended
// by white space, the end of the file, or the 'c' that the field format
// swallows. Anything else ("1.5", "2e3", "x") is not a code.
static int read_code(std::int64_t record, int field) {
    std::string_view token = record_token(record, field);
    std::size_t length = (token[0] == '+' || token[0] == '-') ? 1 : 0;
    while (length < token.size() && is_digit(token[length])) ++length;
    if (length == 0 || !is_digit(token[length - 1]) ||
        (length < token.size() && token[length] != 'c'))
        bad_code(record, field, token, " is not a whole number.");
    int value = 0;
    const char* first = token.data() + (token[0] == '+' ? 1 : 0);
    if (std::from_chars(first, token.data() + length, value).ec != std::errc())
        bad_code(record, field, token, " is too large.");
    reader_consume(reader, length);
    reader_finish_field(reader);
    return value;
}

// Passes over a token as "%s ch" would.
static void skip_name(std::int64_t record, int field) {
    std::string_view token = record_token(record, field);
    reader_consume(reader, token.size());
    reader_finish_field(reader);
}

// Trait values are first converted on the second pass: this fault is the
// file's, unless the file changed.
[[noreturn]] static void trait_too_large(std::int64_t record, std::string_view token) {
    refuse_record(record, "the trait value " + quoted(token) +
                              " is too large for single precision (at most 3.40282e+38).");
}

// A cell holds single precision; a value beyond it would become an infinity
// and make every centred value of the matrix meaningless.
static void check_trait(std::int64_t record, double value, std::string_view token) {
    if (std::fabs(value) > FLT_MAX) trait_too_large(record, token);
}

// Reads the trait token as "%s ch" would and gives its value. The token is
// converted before the field is finished: finishing may refill the buffer
// over the token's bytes.
static double read_trait(std::int64_t record) {
    std::string_view token = record_token(record, 4);
    double value = convert_trait(token);
    check_trait(record, value, token);
    reader_consume(reader, token.size());
    reader_finish_field(reader);
    return value;
}

static void skip_header() {
    for (int i = 0; i < fields_per_record; ++i) {
        std::string_view token = reader_peek_token(reader);
        if (token.empty()) break;
        if (token.size() > longest_token) {
            if (reading_again) file_changed();
            refuse(std::string("The header of \"") + data_file_name + "\": the column name " +
                   quoted(token) + overlong);
        }
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
            bad_record(record, "the " + std::string(field_names[field]) + " " +
                                   std::to_string(design_codes[field]) +
                                   " is below 1; codes are numbered from 1.");
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
    skip_name(record, 4);
    return true;
}

// The largest codes of the first pass, each at least 1, and the record that
// first reached each of them (variety, year, location, block; 0 when no
// record reached the 1 it starts from). The second pass must find the same.
static RecordCodes first_pass_largest;
static std::int64_t largest_first_at[4];

static void widen(int& largest, int code, std::int64_t& first_at, std::int64_t record) {
    if (code > largest) {
        largest = code;
        first_at = record;
    }
}

// The sizes are kept in locals while the records stream past: the globals
// would have to be written back around every call into the reader.
static void first_pass() {
    RecordCodes largest{1, 1, 1, 1};
    std::int64_t first_at[4] = {};
    std::int64_t records = 0;
    skip_header();
    RecordCodes codes;
    while (scan_record(records + 1, codes)) {
        ++records;
        widen(largest.variety, codes.variety, first_at[0], records);
        widen(largest.year, codes.year, first_at[1], records);
        widen(largest.location, codes.location, first_at[2], records);
        widen(largest.block, codes.block, first_at[3], records);
    }
    if (records == 0)
        refuse(std::string("\"") + data_file_name +
               "\" holds no complete record after its five header names.");
    nVar = largest.variety;
    nYear = largest.year;
    nLoc = largest.location;
    largest_block = static_cast<float>(largest.block);
    first_pass_largest = largest;
    std::copy_n(first_at, 4, largest_first_at);
    record_count = records;
}

// The work tables exist only so that a trial too large for this machine's
// memory is refused with the allocation failure texts; they are never read.
static void allocate_storage() {
    // A count beyond int64 is as impossible to allocate as the largest one.
    cell_count = 1;
    for (std::int64_t factor : {std::int64_t{nVar}, std::int64_t{nLoc}, std::int64_t{nYear},
                                static_cast<std::int64_t>(largest_block)})
        if (!multiply_checked(cell_count, factor, cell_count)) {
            cell_count = INT64_MAX;
            break;
        }

    trait_cube = f3tensor(1, nVar, 1, nYear, 1, nLoc);
    imatrix(0, 4, 1, cell_count);
    imatrix(0, 4, 1, cell_count);
    // f3tensor has refused a cube whose size can't be represented.
    std::fill_n(&trait_cube[1][1][1], std::int64_t{nVar} * nYear * nLoc, 0.0f);
}

// A code beyond the largest of the first pass means the file changed in
// between; the cube has no cell for it.
static void check_unchanged(const RecordCodes& codes) {
    if (codes.variety > nVar || codes.year > nYear || codes.location > nLoc ||
        codes.block > first_pass_largest.block)
        file_changed();
}

// With no code beyond them, the second pass finds the first pass's largest
// codes when the records that first reached them still hold them: a check at
// four records instead of a maximum at every one. Takes the checkpoints in
// record order; gives the next one.
static const std::int64_t* check_largest(std::int64_t record, const RecordCodes& codes,
                                         const std::int64_t* checkpoint) {
    const int found[] = {codes.variety, codes.year, codes.location, codes.block};
    const int wanted[] = {first_pass_largest.variety, first_pass_largest.year,
                          first_pass_largest.location, first_pass_largest.block};
    for (int field = 0; field < 4; ++field)
        if (largest_first_at[field] == record && found[field] != wanted[field]) file_changed();
    while (*checkpoint == record) ++checkpoint;
    return checkpoint;
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
    double value = convert_trait_quickly(plain.trait);
    check_trait(record, value, plain.trait);
    return value;
}

// Fills the cube from exactly the records the first pass counted, and ends
// the run through fatal_exit when they are not the same records.
static void second_pass() {
    // In single precision the sum drifts (by 0.7 % over a million yields of
    // 6.05) and then stops growing altogether; a double sum of values below
    // FLT_MAX can't overflow before 2^900 of them.
    double sum = 0.0;
    std::int64_t count = 0;
    // The records that first reached the largest codes, in file order; a 0
    // stands for none.
    std::int64_t checkpoints[5];
    std::copy_n(largest_first_at, 4, checkpoints);
    checkpoints[4] = INT64_MAX;
    std::sort(checkpoints, checkpoints + 4);
    const std::int64_t* checkpoint = checkpoints;
    while (*checkpoint == 0) ++checkpoint;
    skip_header();
    RecordCodes codes;
    float*** const cube = trait_cube;
    for (std::int64_t record = 1; record <= record_count; ++record) {
        double value = fill_record(record, codes);
        if (record == *checkpoint) checkpoint = check_largest(record, codes, checkpoint);
        if (value == 0.0) continue;
        cube[codes.variety][codes.year][codes.location] = static_cast<float>(value);
        sum += value;
        ++count;
    }
    if (!reader_peek_token(reader).empty()) file_changed();
    // Rounded once, at the end. With no value at all the mean is never
    // printed: every cell is empty.
    grand_mean = count > 0 ? static_cast<float>(sum / static_cast<double>(count)) : 0.0f;
}

void load_trait_cube() {
    reading_again = false;
    reader_open(reader, data_stream, data_file_name, read_block_size);
    first_pass();
    // Before the sizes found are taken for the cube's.
    if (!file_as_opened()) file_changed();
    allocate_storage();
    reader_rewind(reader);
    reading_again = true;
    second_pass();
    if (!file_as_opened()) file_changed();
    std::fclose(data_stream);
    data_stream = nullptr;
}
