#include "design/loader.h"

#include "base/checked_size.h"
#include "design/data_file.h"
#include "design/loading.h"
#include "storage/offset_arrays.h"
#include "texts/console_texts.h"

#include <optional>

#include <algorithm>

int nVar = 1;
int nYear = 1;
int nLoc = 1;
float*** trait_cube = nullptr;
float grand_mean = 0.0f;
std::vector<std::string> level_labels[3];
LoadAccount load_account;
HeaderSearch header_search;
std::size_t read_block_size = 1 << 17;

DataReader data_reader;
double* cell_sums = nullptr;
std::int64_t* cell_counts = nullptr;
static bool cell_means_wanted = false;

std::vector<std::uint64_t> pair_marks[3];

static std::int64_t level_count(int f) {
    const int counts[3] = {nVar, nYear, nLoc};
    return counts[f];
}

bool pair_occurs(int f, std::int64_t outer, std::int64_t inner) {
    if (pair_marks[f].empty()) return true;
    const std::int64_t bit = pair_bit(f, outer, inner);
    return pair_marks[f][static_cast<std::size_t>(bit >> 6)] >> (bit & 63) & 1;
}

void start_pair_marks() {
    for (int f = 0; f < 3; ++f)
        pair_marks[f].assign(
            static_cast<std::size_t>((level_count(f) * level_count((f + 1) % 3) + 63) / 64), 0);
}

std::int64_t pairs_occurring(int f) {
    if (pair_marks[f].empty()) return level_count(f) * level_count((f + 1) % 3);
    std::int64_t count = 0;
    for (std::uint64_t word : pair_marks[f]) count += __builtin_popcountll(word);
    return count;
}

void file_changed() {
    // The advice matters more than the detail: what the two passes saw can't
    // be trusted, but the file may well be complete and sound once its
    // writer is done.
    fatal_exit(fill(texts::file_changed, {quoted(data_file_name)}));
}

void refuse(const std::string& message) {
    if (!data_file_as_opened() || (data_reader.rewound && !reader_read_same_bytes(data_reader)))
        file_changed();
    fatal_exit(message);
}

std::string overlong(std::string_view what, std::string_view token) {
    return fill(texts::field_overlong, {what, quoted_token(token), decimal(longest_token)});
}

std::string not_a_number(const std::string& subject, std::string_view token, DecimalMark mark) {
    const bool comma = mark == DecimalMark::comma;
    std::string message = fill(comma ? texts::not_a_number_comma : texts::not_a_number_point,
                               {subject, quoted_token(token)});
    const std::vector<OtherReading> readings = other_readings(token, mark);
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const OtherReading& reading = readings[i];
        const std::string_view decimal = texts::mark_names[reading.decimal == DecimalMark::comma];
        const std::string_view between = texts::mark_names[reading.thousands == ','];
        const bool fraction = reading.number.find('.') != std::string::npos;
        message += i == 0 ? texts::reading_first : texts::reading_next;
        if (!reading.thousands)
            message += fill(texts::decimal_reading, {reading.number, decimal, decimal});
        else if (fraction && reading.decimal != mark)
            message += fill(texts::thousands_and_decimal_reading,
                            {reading.number, decimal, between, decimal});
        else
            message += fill(texts::thousands_reading, {reading.number, between});
    }
    if (!readings.empty()) message += '.';
    return message;
}

// The work tables exist only so that a trial too large for this machine's
// memory is refused with the allocation failure texts; they are never read.
void allocate_cube(std::int64_t blocks) {
    // A count beyond int64 is as impossible to allocate as the largest one.
    std::int64_t cell_count = 1;
    for (std::int64_t factor :
         {std::int64_t{nVar}, std::int64_t{nLoc}, std::int64_t{nYear}, blocks})
        if (!multiply_checked(cell_count, factor, cell_count)) {
            cell_count = INT64_MAX;
            break;
        }

    trait_cube = f3tensor(1, nVar, 1, nYear, 1, nLoc);
    imatrix(0, 4, 1, cell_count);
    imatrix(0, 4, 1, cell_count);
    // f3tensor has refused a cube whose size can't be represented.
    const std::int64_t cells = std::int64_t{nVar} * nYear * nLoc;
    std::fill_n(&trait_cube[1][1][1], cells, 0.0f);
    if (cell_means_wanted) {
        cell_sums =
            static_cast<double*>(zeroed_cells(cells, sizeof(double), texts::no_memory_for_means));
        cell_counts = static_cast<std::int64_t*>(
            zeroed_cells(cells, sizeof(std::int64_t), texts::no_memory_for_means));
    }
}

void finish_cube(double sum, std::int64_t count) {
    if (cell_sums) {
        // Summed in double, rounded once; a mean of 0 is an observation.
        float* const cells = &trait_cube[1][1][1];
        const std::int64_t size = std::int64_t{nVar} * nYear * nLoc;
        for (std::int64_t i = 0; i < size; ++i) {
            if (cell_counts[i] == 0) continue;
            const float mean =
                static_cast<float>(cell_sums[i] / static_cast<double>(cell_counts[i]));
            cells[i] = mean == 0.0f ? -0.0f : mean;
        }
    }
    // Rounded once, at the end. With no value at all the mean is never
    // printed: every cell is empty.
    grand_mean = count > 0 ? static_cast<float>(sum / static_cast<double>(count)) : 0.0f;
}

void load_trait_cube(const LoadOptions& options) {
    reader_open(data_reader, data_stream, read_block_size);
    if (const std::int64_t lines = reader_skip_lines(data_reader, options.skip);
        lines < options.skip)
        refuse(fill(texts::nothing_after_skip, {quoted(data_file_name), decimal(options.skip)}));
    const std::optional<HeaderSearch> search = search_header(data_reader, options.skip);
    if (!search) refuse(fill(texts::unicode_without_mark, {quoted(data_file_name)}));
    header_search = *search;
    // A first line that would name a CSV file's columns but for a quote left
    // open: whatever it is read as, the trouble is there.
    if (!search->found && search->first_line_open_quote)
        refuse(
            fill(texts::header_open_quote, {decimal(search->first_line), quoted(data_file_name)}));
    reader_restart(data_reader);
    const Separator separator =
        search->found ? search->separator : separator_of(search->first_text);
    cell_sums = nullptr;
    cell_counts = nullptr;
    for (int f = 0; f < 3; ++f) {
        level_labels[f].clear();
        pair_marks[f].clear();
    }
    cell_means_wanted = options.cell_means;
    load_account = LoadAccount{};
    if (!options.columns.empty() || separator == Separator::comma ||
        separator == Separator::semicolon)
        load_table_file(options, separator);
    else
        load_classic_file(options);
    if (!data_file_as_opened()) file_changed();
    close_data_file();
}
