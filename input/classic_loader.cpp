#include "input/classic_loader.h"

#include "base/whole_number.h"
#include "input/column_roles.h"
#include "input/plain_record.h"
#include "input/range_pipeline.h"
#include "input/trait_value.h"
#include "texts/console_texts.h"
#include "trial/cube_builder.h"
#include "trial/growing_cells.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int fields_per_record = 5;
constexpr int trait_field = 4;

// A title or notes above a table make its first records wrong: refused
// within these, a file whose header is further down is told how to be read.
constexpr std::int64_t first_records = 20;

// One load of a classic file.
struct ClassicLoad {
    LoadContext& load;
    DataReader& reader;
    bool decimal_comma;         // "7,80" is 7.8
    std::int64_t skipped_lines; // before the header, by --skip
    std::int64_t records = 0;   // counted by the first pass
    RecordCodes largest{1, 1, 1, 1};
    std::string trait_name{}; // the header's fifth name
};

// How to read the file as a table instead, where it seems to be one: its
// header further down, or codes that are names under a header that names
// the design's columns. Empty where nothing says so.
std::string table_hint(const ClassicLoad& c, std::int64_t record, bool names_for_codes) {
    const HeaderSearch& search = c.load.header;
    if (!search.found) return {};
    const std::string command =
        reading_command(search, c.load.file->name, false, DecimalMark::point);
    if (search.line != search.first_line && record <= first_records)
        return compose(texts::header_below_hint,
                       {{"line", number_text(search.line)}, {"command", command}});
    if (names_for_codes && design_columns(search.names))
        return compose(texts::as_table_hint, {{"command", command}});
    return {};
}

// "Record N of the file: problem", with the line of the token at fault
// where it is not line N + 1, so that an editor finds it at once.
std::string record_fault(ClassicLoad& c, std::int64_t record, const std::string& problem) {
    const std::uint64_t position = reader_position(c.reader);
    // The second pass's bytes are checked before the file is read again.
    if (c.reader.rewound && !reader_read_same_bytes(c.reader)) file_changed(c.load);
    const std::int64_t line = reader_line_at(c.reader, position);
    if (line == record + 1)
        return compose(texts::record_fault, {{"record", number_text(record)},
                                             {"file", quoted(c.load.file->name)},
                                             {"fault", problem}});
    return compose(texts::record_line_fault, {{"record", number_text(record)},
                                              {"line", number_text(line)},
                                              {"file", quoted(c.load.file->name)},
                                              {"fault", problem}});
}

// A token as the file has it, quoted once: R writes texts in double quotes.
std::string shown_token(std::string_view token) {
    if (token.size() >= 2 && token.front() == '"' && token.back() == '"')
        token = token.substr(1, token.size() - 2);
    return quoted_token(token);
}

// Rare, and kept out of the records' loops.
[[noreturn, gnu::cold]] void refuse_record(ClassicLoad& c, std::int64_t record,
                                           const std::string& problem) {
    refuse(c.load, record_fault(c, record, problem) + table_hint(c, record, false));
}

// The next token of a record; a record cut short by the end of the file is
// an error rather than a record of guessed values.
std::string_view record_token(ClassicLoad& c, std::int64_t record, int field) {
    std::string_view token = reader_peek_token(c.reader);
    if (token.empty())
        refuse_record(c, record,
                      compose(texts::record_incomplete, {{"field", texts::field_names[field]}}));
    if (token.size() > longest_token)
        refuse_record(c, record, overlong(texts::field_names[field], token, false));
    return token;
}

// A code that is no whole number: a name, as in a table, or a token too
// many or too few before it.
[[noreturn, gnu::cold]] void not_whole(ClassicLoad& c, std::int64_t record, int field,
                                       std::string_view token) {
    const std::string problem =
        compose(texts::field_not_whole,
                {{"field", texts::field_names[field]}, {"token", shown_token(token)}});
    const std::string message = record_fault(c, record, problem);
    const std::string hint = table_hint(c, record, true);
    refuse(c.load, message + (hint.empty() ? compose(texts::codes_as_names) : hint));
}

// Reads a code as "%d ch" would: an optional sign and decimal digits, ended
// by white space, the end of the file, or the 'c' that the field format
// swallows. Anything else ("1.5", "2e3", "x") is not a code.
int read_code(ClassicLoad& c, std::int64_t record, int field) {
    std::string_view token = record_token(c, record, field);
    // A token in the buffer is followed by white space or the buffer's NUL.
    WholeNumber code = read_whole_number(token.data());
    if (code.length == 0 || (code.length < token.size() && token[code.length] != 'c'))
        not_whole(c, record, field, token);
    if (!code.fits_int())
        refuse_record(c, record,
                      compose(texts::field_too_large, {{"field", texts::field_names[field]},
                                                       {"token", shown_token(token)}}));
    reader_consume(c.reader, code.length);
    reader_finish_field(c.reader);
    return static_cast<int>(code.value);
}

// Passes over a token as "%s ch" would.
void skip_name(ClassicLoad& c, std::int64_t record, int field) {
    std::string_view token = record_token(c, record, field);
    reader_consume(c.reader, token.size());
    reader_finish_field(c.reader);
}

[[noreturn, gnu::cold]] void trait_too_large(ClassicLoad& c, std::int64_t record,
                                             std::string_view token) {
    refuse_record(c, record,
                  compose(texts::trait_beyond_float,
                          {{"subject", texts::trait_subject}, {"token", quoted_token(token)}}));
}

[[noreturn, gnu::cold]] void trait_not_number(ClassicLoad& c, std::int64_t record,
                                              std::string_view token) {
    refuse_record(c, record,
                  not_a_number(compose(texts::trait_subject), token,
                               c.decimal_comma ? DecimalMark::comma : DecimalMark::point));
}

// The value of a trait token: 0 for a missing one, which the cube can't
// tell from an empty cell. Inline in both of its callers: a call per record
// costs a twentieth of the load.
[[gnu::always_inline]] inline double trait_value(ClassicLoad& c, std::int64_t record,
                                                 std::string_view token) {
    const TraitReading reading = read_classic_trait_quickly(token, c.decimal_comma);
    if (reading.kind == TraitKind::not_a_number) trait_not_number(c, record, token);
    if (beyond_single_precision(reading.value)) trait_too_large(c, record, token);
    return reading.value;
}

// Reads the trait token as "%s ch" would and gives its value. The token is
// converted before the field is finished: finishing may refill the buffer
// over the token's bytes.
double read_trait(ClassicLoad& c, std::int64_t record) {
    std::string_view token = record_token(c, record, trait_field);
    const double value = trait_value(c, record, token);
    reader_consume(c.reader, token.size());
    reader_finish_field(c.reader);
    return value;
}

void skip_header(ClassicLoad& c) {
    reader_skip_lines(c.reader, c.skipped_lines);
    for (int i = 0; i < fields_per_record; ++i) {
        std::string_view token = reader_peek_token(c.reader);
        if (token.empty()) break;
        if (token.size() > longest_token)
            refuse(c.load,
                   compose(texts::header_overlong, {{"file", quoted(c.load.file->name)},
                                                    {"column", quoted_token(token)},
                                                    {"bytes", number_text(longest_token)}}));
        if (i == trait_field) c.trait_name = token;
        reader_consume(c.reader, token.size());
        reader_finish_field(c.reader);
    }
}

RecordCodes read_codes(ClassicLoad& c, std::int64_t record) {
    RecordCodes codes{};
    codes.variety = read_code(c, record, 0);
    codes.year = read_code(c, record, 1);
    codes.location = read_code(c, record, 2);
    codes.block = read_code(c, record, 3);
    // Codes index the cube from 1; block codes never index anything.
    const int design_codes[] = {codes.variety, codes.year, codes.location};
    for (int field = 0; field < 3; ++field)
        if (design_codes[field] < 1)
            refuse_record(
                c, record,
                compose(texts::code_below_one, {{"field", texts::field_names[field]},
                                                {"token", number_text(design_codes[field])}}));
    return codes;
}

// The next record's codes in the first pass when it is not plain; false at
// the end of the data. Kept out of the loop, which takes plain records.
[[gnu::noinline]] bool scan_record(ClassicLoad& c, std::int64_t record, RecordCodes& codes) {
    if (reader_peek_token(c.reader).empty()) return false;
    codes = read_codes(c, record);
    skip_name(c, record, trait_field);
    return true;
}

// The sizes and the reader are kept in locals while the records stream
// past: in the load's struct they would be fetched again around every call
// into the reader. Each pass is a function of its own: inlined into the
// load, its loop shares the registers with the rest of it and spills (5 %
// more instructions a record).
[[gnu::noinline]] void first_pass(ClassicLoad& c) {
    RecordCodes largest{1, 1, 1, 1};
    std::int64_t records = 0;
    skip_header(c);
    DataReader& reader = c.reader;
    for (;; ++records) {
        PlainRecord plain;
        RecordCodes codes;
        if (take_plain_record(reader, plain))
            codes = plain.codes;
        else if (!scan_record(c, records + 1, codes))
            break;
        largest.variety = std::max(largest.variety, codes.variety);
        largest.year = std::max(largest.year, codes.year);
        largest.location = std::max(largest.location, codes.location);
        largest.block = std::max(largest.block, codes.block);
    }
    if (records == 0)
        refuse(c.load, compose(texts::no_record, {{"file", quoted(c.load.file->name)}}));
    c.largest = largest;
    c.records = records;
}

// A code beyond the largest of the first pass means the file changed in
// between; the cube has no cell for it.
inline bool beyond(const RecordCodes& codes, const RecordCodes& largest) {
    return codes.variety > largest.variety || codes.year > largest.year ||
           codes.location > largest.location || codes.block > largest.block;
}

// The next record's codes and trait value in the second pass when it is
// not plain.
[[gnu::noinline]] double fill_record(ClassicLoad& c, std::int64_t record, RecordCodes& codes) {
    codes = read_codes(c, record);
    if (beyond(codes, c.largest)) file_changed(c.load);
    return read_trait(c, record);
}

// Fills the cube from exactly the records the first pass counted, and ends
// the run through fatal_exit when they are not the same records.
[[gnu::noinline]] void second_pass(ClassicLoad& c, CubeBuilder& cube) {
    // In single precision the sum drifts (by 0.7 % over a million yields of
    // 6.05) and then stops growing altogether; a double sum of values below
    // FLT_MAX can't overflow before 2^900 of them.
    double sum = 0.0;
    std::int64_t count = 0;
    skip_header(c);
    DataReader& reader = c.reader;
    const RecordCodes largest = c.largest;
    const std::int64_t records = c.records;
    const CellView cells = cell_view(cube.traits[0]);
    const CubeIndex cells_by_code = cube.traits[0].cube.index();
    for (std::int64_t record = 1; record <= records; ++record) {
        PlainRecord plain;
        RecordCodes codes;
        double value;
        if (take_plain_record(reader, plain)) {
            codes = plain.codes;
            if (beyond(codes, largest)) file_changed(c.load);
            value = trait_value(c, record, plain.trait);
        } else {
            value = fill_record(c, record, codes);
        }
        if (!observe(cells, cells_by_code, codes.variety, codes.year, codes.location, value))
            continue;
        sum += value;
        ++count;
    }
    if (!reader_read_same_bytes(reader)) file_changed(c.load);
    cube.traits[0].sum = sum;
    cube.traits[0].values = count;
}

// The dense cube of the codes the first pass found.
CubeBuilder classic_cube(const ClassicLoad& c, const LoadOptions& options) {
    CubeLevels levels;
    levels.nVar = c.largest.variety;
    levels.nYear = c.largest.year;
    levels.nLoc = c.largest.location;
    CubeBuilder cube;
    start_cube(cube, std::move(levels), 1, false, options.cell_means.value_or(false),
               CubeForm::dense, c.records);
    return cube;
}

// The ranges of a load shared among threads. Each starts a record: the
// first starts after the header, and each next one where the one before was
// parsed to its last byte with its last record whole, and no 'c' starts it
// (see input/range_pipeline.cpp), so by induction every range does. A range
// that ends inside a record, or holds anything the load would refuse, stops
// the shared load, and the file is read again on one thread, which says
// what is wrong with it exactly as ever.

// What read_code reads, or false where it would refuse.
bool take_code(DataReader& reader, int& code) {
    const std::string_view token = reader_peek_token(reader);
    if (token.empty() || token.size() > longest_token) return false;
    const WholeNumber number = read_whole_number(token.data());
    if (number.length == 0 || (number.length < token.size() && token[number.length] != 'c') ||
        !number.fits_int())
        return false;
    reader_consume(reader, number.length);
    reader_finish_field(reader);
    code = static_cast<int>(number.value);
    return true;
}

// What read_codes reads, or false where it would refuse.
bool take_codes(DataReader& reader, RecordCodes& codes) {
    return take_code(reader, codes.variety) && take_code(reader, codes.year) &&
           take_code(reader, codes.location) && take_code(reader, codes.block) &&
           codes.variety >= 1 && codes.year >= 1 && codes.location >= 1;
}

// A trait token, whole: its view, until the next call on the reader.
bool take_trait_token(DataReader& reader, std::string_view& token) {
    token = reader_peek_token(reader);
    return !token.empty() && token.size() <= longest_token;
}

// A value the load takes: a number within single precision, or missing
// (0); NaN for one it would refuse. Given back, not through memory: the
// division that makes a decimal's value is the loop's longest wait.
double value_taken(std::string_view token, bool decimal_comma) {
    const TraitReading reading = read_classic_trait_quickly(token, decimal_comma);
    return reading.kind == TraitKind::not_a_number || beyond_single_precision(reading.value)
               ? std::numeric_limits<double>::quiet_NaN()
               : reading.value;
}

// The next record of a range: 1, with its codes and its value as
// value_taken gives it; 0 at the end of the range; -1 where the load would
// refuse it.
[[gnu::always_inline]] inline int take_range_record(DataReader& reader, bool decimal_comma,
                                                    RecordCodes& codes, double& value) {
    PlainRecord plain;
    if (take_plain_record(reader, plain)) {
        codes = plain.codes;
        value = value_taken(plain.trait, decimal_comma);
        return 1;
    }
    if (reader_peek_token(reader).empty()) return 0;
    std::string_view token;
    if (!take_codes(reader, codes) || !take_trait_token(reader, token)) return -1;
    value = value_taken(token, decimal_comma);
    reader_consume(reader, token.size());
    reader_finish_field(reader);
    return 1;
}

// Whether a range may start a record: no 'c' begins it.
bool starts_record(DataReader& reader) {
    const std::string_view token = reader_peek_token(reader);
    return token.empty() || token[0] != 'c';
}

struct RangeCount {
    bool taken = false;
    std::int64_t records = 0;
    RecordCodes largest{1, 1, 1, 1};
};

// Flattened, as the one-thread loops are inlined.
[[gnu::flatten]] void count_range(char* bytes, std::size_t size, RangeCount& count) {
    DataReader reader;
    reader_open_range(reader, bytes, size);
    count = RangeCount{};
    if (!starts_record(reader)) return;
    RecordCodes& largest = count.largest;
    for (;; ++count.records) {
        PlainRecord plain;
        RecordCodes codes;
        std::string_view token;
        if (take_plain_record(reader, plain))
            codes = plain.codes;
        else if (reader_peek_token(reader).empty())
            break;
        else if (!take_codes(reader, codes) || !take_trait_token(reader, token))
            return;
        else {
            reader_consume(reader, token.size());
            reader_finish_field(reader);
        }
        largest.variety = std::max(largest.variety, codes.variety);
        largest.year = std::max(largest.year, codes.year);
        largest.location = std::max(largest.location, codes.location);
        largest.block = std::max(largest.block, codes.block);
    }
    count.taken = true;
}

// The values a range puts into the cube, in its order: each cell's place
// and the value, as observe would take them (0 in single precision is
// missing, and takes no place).
struct RangeValues {
    bool taken = false;
    std::vector<std::pair<std::int64_t, double>> values;
};

[[gnu::flatten]] void fill_range(char* bytes, std::size_t size, const CubeLevels& cube,
                                 const RecordCodes& largest, bool decimal_comma, RangeValues& out) {
    DataReader reader;
    reader_open_range(reader, bytes, size);
    out.taken = false;
    out.values.clear();
    if (!starts_record(reader)) return;
    const std::int64_t years = cube.nYear, locations = cube.nLoc;
    RecordCodes codes;
    double value;
    int got;
    while ((got = take_range_record(reader, decimal_comma, codes, value)) > 0) {
        if (beyond(codes, largest) || std::isnan(value)) return;
        if (static_cast<float>(value) != 0.0f)
            out.values.emplace_back(((codes.variety - 1) * years + (codes.year - 1)) * locations +
                                        codes.location - 1,
                                    value);
    }
    out.taken = got == 0;
}

// A range read once: its records, counted, their largest codes, and the
// values that go into cells with their cells' codes, in its order.
struct RangeRecords {
    bool taken = false;
    std::int64_t records = 0;
    std::int64_t largest[3] = {1, 1, 1};
    std::vector<std::array<std::int32_t, 3>> codes;
    std::vector<double> values;
};

[[gnu::flatten]] void read_range_once(char* bytes, std::size_t size, bool decimal_comma,
                                      RangeRecords& out) {
    DataReader reader;
    reader_open_range(reader, bytes, size);
    out = RangeRecords{false, 0, {1, 1, 1}, std::move(out.codes), std::move(out.values)};
    out.codes.clear();
    out.values.clear();
    if (!starts_record(reader)) return;
    std::int64_t v_most = 1, y_most = 1, l_most = 1, records = 0;
    RecordCodes codes;
    double value;
    int got;
    for (; (got = take_range_record(reader, decimal_comma, codes, value)) > 0; ++records) {
        if (std::isnan(value)) return;
        v_most = std::max<std::int64_t>(v_most, codes.variety);
        y_most = std::max<std::int64_t>(y_most, codes.year);
        l_most = std::max<std::int64_t>(l_most, codes.location);
        if (static_cast<float>(value) != 0.0f) {
            out.codes.push_back({codes.variety, codes.year, codes.location});
            out.values.push_back(value);
        }
    }
    out.records = records;
    out.largest[0] = v_most, out.largest[1] = y_most, out.largest[2] = l_most;
    out.taken = got == 0;
}

// The file read once, shared among threads, the cells growing as the codes
// do; then read again only to see that its bytes are the same. Where the
// cells would take too much room before the codes are known, the file is
// read in two passes, sized first; where a range says anything is amiss,
// on one thread.
Shared load_once(ClassicLoad& c, const LoadOptions& options, Trial& trial) {
    const RangeSettings settings{options.threads, options.range_bytes, true};
    std::vector<ReadPiece> pieces; // for the second read, shared too
    const PieceKeeper keeper(c.reader, pieces);
    skip_header(c);
    if (c.reader.encoding != Encoding::bytes) return Shared::on_one_thread;
    GrowingCells grown;
    grown.means = options.cell_means.value_or(false);
    grown.budget = options.growing_budget;
    std::int64_t largest[3] = {1, 1, 1}, records = 0, values = 0, ranges = 0;
    double sum = 0.0;
    bool roomy = true;
    const bool read = run_ranges<RangeRecords>(
        c.reader, settings,
        [&](char* bytes, std::size_t size, RangeRecords& out) {
            read_range_once(bytes, size, c.decimal_comma, out);
        },
        [&](const RangeRecords& range) {
            if (!range.taken) return false;
            for (int f = 0; f < 3; ++f) largest[f] = std::max(largest[f], range.largest[f]);
            if (!make_room(grown, largest)) return roomy = false;
            ++ranges;
            records += range.records;
            const std::int64_t years = grown.room[1], locations = grown.room[2];
            const std::size_t count = range.values.size();
            const double* const taken = range.values.data();
            const std::array<std::int32_t, 3>* const codes = range.codes.data();
            float* const cells = grown.means ? nullptr : grown.cells[0];
            for (std::size_t r = 0; r < count; ++r) {
                const std::int64_t cell =
                    ((codes[r][0] - 1) * years + (codes[r][1] - 1)) * locations + codes[r][2] - 1;
                if (cells) {
                    cells[cell] = static_cast<float>(taken[r]);
                } else {
                    grown.sums[0][cell] += taken[r];
                    ++grown.counts[0][cell];
                }
                sum += taken[r];
            }
            values += static_cast<std::int64_t>(count);
            return true;
        });
    if (!roomy) return Shared::in_two_passes;
    if (!read || records == 0) return Shared::on_one_thread;
    if (!data_file_as_opened(*c.load.file)) file_changed(c.load);
    reader_rewind(c.reader);
    if (!reader_same_pieces(c.reader, pieces, options.threads)) file_changed(c.load);
    c.records = records;
    c.largest = {static_cast<int>(largest[0]), static_cast<int>(largest[1]),
                 static_cast<int>(largest[2]), 1};
    close_up(grown, largest);
    CubeBuilder cube = classic_cube(c, options);
    move_into_cube(grown, cube);
    cube.traits[0].sum = sum;
    cube.traits[0].values = values;
    trial.traits = finish_cube(std::move(cube));
    trial.header_trait = std::move(c.trait_name);
    trial.ranges = ranges;
    return Shared::loaded;
}

// Both passes shared among threads; nothing when the file must be read on
// one. The header is read here as the one-thread load reads it.
std::optional<Trial> load_in_ranges(ClassicLoad& c, const LoadOptions& options) {
    const RangeSettings settings{options.threads, options.range_bytes, true};
    skip_header(c);
    if (c.reader.encoding != Encoding::bytes) return std::nullopt;
    RangeCount total;
    total.taken =
        run_ranges<RangeCount>(c.reader, settings, count_range, [&](const RangeCount& range) {
            if (!range.taken) return false;
            total.records += range.records;
            total.largest.variety = std::max(total.largest.variety, range.largest.variety);
            total.largest.year = std::max(total.largest.year, range.largest.year);
            total.largest.location = std::max(total.largest.location, range.largest.location);
            total.largest.block = std::max(total.largest.block, range.largest.block);
            return true;
        });
    if (!total.taken || total.records == 0) return std::nullopt;
    if (!data_file_as_opened(*c.load.file)) file_changed(c.load);
    c.records = total.records;
    c.largest = total.largest;
    CubeBuilder cube = classic_cube(c, options);
    reader_rewind(c.reader);
    skip_header(c);
    TraitCells& trait = cube.traits[0];
    const CellView cells = cell_view(trait);
    const CubeLevels& shape = cube.levels;
    std::int64_t ranges = 0;
    const bool filled = run_ranges<RangeValues>(
        c.reader, settings,
        [&](char* bytes, std::size_t size, RangeValues& out) {
            fill_range(bytes, size, shape, c.largest, c.decimal_comma, out);
        },
        [&](const RangeValues& range) {
            if (!range.taken) return false;
            ++ranges;
            for (const auto& [cell, value] : range.values) {
                if (cells.sums) {
                    cells.sums[cell] += value;
                    ++cells.counts[cell];
                } else {
                    cells.cells[cell] = static_cast<float>(value);
                }
                trait.sum += value;
            }
            trait.values += static_cast<std::int64_t>(range.values.size());
            return true;
        });
    if (!filled) return std::nullopt;
    if (!reader_read_same_bytes(c.reader)) file_changed(c.load);
    Trial trial;
    trial.traits = finish_cube(std::move(cube));
    trial.header_trait = std::move(c.trait_name);
    trial.ranges = ranges;
    return trial;
}

} // namespace

Trial load_classic_file(LoadContext& load, const LoadOptions& options) {
    const bool decimal_comma = options.decimal == DecimalMark::comma;
    if (options.threads > 1 && load.file->state.size >= options.parallel_from) {
        ClassicLoad once{load, load.reader, decimal_comma, options.skip};
        Trial trial;
        const Shared shared =
            options.growing_budget == 0 ? Shared::in_two_passes : load_once(once, options, trial);
        if (shared == Shared::loaded) return trial;
        reader_restart(load.reader);
        if (shared == Shared::in_two_passes) {
            ClassicLoad passes{load, load.reader, decimal_comma, options.skip};
            if (std::optional<Trial> sized = load_in_ranges(passes, options))
                return std::move(*sized);
            reader_restart(load.reader);
        }
    }
    ClassicLoad c{load, load.reader, decimal_comma, options.skip};
    first_pass(c);
    // Before the sizes found are taken for the cube's.
    if (!data_file_as_opened(*load.file)) file_changed(load);
    CubeBuilder cube = classic_cube(c, options);
    reader_rewind(c.reader);
    second_pass(c, cube);
    Trial trial;
    trial.traits = finish_cube(std::move(cube));
    trial.header_trait = std::move(c.trait_name);
    return trial;
}
