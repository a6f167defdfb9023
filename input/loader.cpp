#include "input/loader.h"

#include "base/whole_number.h"
#include "input/classic_loader.h"
#include "input/column_roles.h"
#include "input/load_context.h"
#include "input/table_line.h"
#include "input/table_loader.h"
#include "platform/platform.h"
#include "texts/console_texts.h"

#include <algorithm>
#include <optional>

// How the file of a plan is read: what only the loaders see.
struct LoadPlan::Reading {
    LoadContext context; // the file, its reader, where its header is
    Separator separator = Separator::blanks;
    bool table = false;
    TableHeader header; // a table's
};

LoadPlan::LoadPlan() : reading(std::make_unique<Reading>()) {}
LoadPlan::LoadPlan(LoadPlan&&) noexcept = default;
LoadPlan& LoadPlan::operator=(LoadPlan&&) noexcept = default;
LoadPlan::~LoadPlan() = default;

// The matrix writer makes room for a label of the longest: no token is longer.
static_assert(longest_token <= longest_label);

// A file without a line that holds anything but blanks, said as what it
// is: empty, blank lines, or a byte-order mark alone. Nothing where the
// file holds more (a spreadsheet's empty rows, zero bytes), which its load
// refuses.
static std::optional<std::string_view> nothing_in(DataReader& reader) {
    reader_restart(reader);
    std::string_view line;
    std::int64_t lines = 0;
    bool mark = false, blanks = false;
    while (reader_next_line(reader, line)) {
        ++lines;
        if (line.starts_with(byte_order_mark)) {
            line.remove_prefix(byte_order_mark.size());
            mark = true;
        }
        if (!is_blank_line(line)) return std::nullopt;
        blanks = blanks || !line.empty();
    }
    mark = mark || reader.encoding != Encoding::bytes;
    if (lines == 0 && !mark) return texts::data_file_empty;
    if (lines <= 1 && mark && !blanks) return texts::data_file_only_mark;
    return texts::data_file_blank;
}

// A UTF-16 file in which half a character stands alone: refused, naming
// the first line that holds one.
static void refuse_lone_surrogate(LoadContext& load) {
    DataReader& reader = load.reader;
    if (!reader.lone_surrogate) return;
    reader_restart(reader);
    std::string_view line;
    std::int64_t number = 0;
    while (next_text_line(reader, line, number) &&
           lone_surrogate_at(line) == std::string_view::npos) {
    }
    refuse(load, fill(texts::line_fault,
                      {decimal(number), quoted(load.file->name), texts::lone_surrogate}));
}

// Whether the classic reading stops at the first record's codes: a code
// that is no whole number among its first four fields after the five
// header names.
static bool first_codes_not_whole(DataReader& reader, std::int64_t skip) {
    reader_restart(reader);
    reader_skip_lines(reader, skip);
    for (int field = 0; field < 9; ++field) {
        const std::string_view token = reader_peek_token(reader);
        if (token.empty()) return false;
        if (field >= 5) {
            // A token in the buffer is followed by white space or the buffer's NUL.
            const WholeNumber code = read_whole_number(token.data());
            if (code.length == 0 || (code.length < token.size() && token[code.length] != 'c'))
                return true;
        }
        reader_consume(reader, token.size());
        reader_finish_field(reader);
    }
    return false;
}

// A table saved with tabs or blanks, read as one without options: the
// classic reading would refuse its first record's codes, its header names
// the design's columns on its first line, and one of them holds names in
// most of its records. A classic file with one code mistyped is not one.
static bool table_by_its_names(LoadContext& load, std::int64_t skip) {
    const HeaderSearch& search = load.header;
    if (!search.found || search.line != search.first_line) return false;
    const auto roles = design_columns(search.names);
    if (!roles || std::ranges::none_of(*roles, [&](std::size_t column) {
            return mostly_text(search.records, search.names, column);
        }))
        return false;
    return first_codes_not_whole(load.reader, skip);
}

LoadPlan plan_load(DataFile& file, const LoadOptions& options) {
    set_memory_use(texts::memory_for_reading);
    LoadPlan plan;
    LoadContext& load = plan.reading->context;
    load.file = &file;
    reader_open(load.reader, file.stream, file.name, options.read_block);
    const bool lines_skipped = reader_skip_lines(load.reader, options.skip) == options.skip;
    const std::optional<HeaderSearch> search = search_header(load.reader, options.skip);
    if (options.skip > 0 && (!lines_skipped || (search && search->first_line == 0)))
        refuse(load, fill(texts::nothing_after_skip,
                          {quoted(file.name), counted(options.skip, texts::line_words)}));
    if (!search) refuse(load, fill(texts::unicode_without_mark, {quoted(file.name)}));
    if (options.skip == 0 && search->first_line == 0)
        if (const auto nothing = nothing_in(load.reader))
            refuse(load, fill(*nothing, {quoted(file.name)}));
    refuse_lone_surrogate(load);
    load.header = *search;
    // A first line that would name a CSV file's columns but for a quote left
    // open: whatever it is read as, the trouble is there.
    if (!search->found && search->first_line_open_quote)
        refuse(load,
               fill(texts::header_open_quote, {decimal(search->first_line), quoted(file.name)}));
    read_first_records(load.reader, load.header);
    plan.reading->separator = search->separator;
    plan.reading->table = !options.columns.empty() || plan.reading->separator == Separator::comma ||
                          plan.reading->separator == Separator::semicolon ||
                          table_by_its_names(load, options.skip);
    reader_restart(load.reader);
    if (!plan.reading->table) {
        plan.traits = {TraitColumn{}};
        return plan;
    }
    plan.reading->header = read_table_header(load, options, plan.reading->separator);
    for (std::size_t k = 4; k < plan.reading->header.columns.size(); ++k) {
        const std::size_t column = plan.reading->header.columns[k];
        const std::string& name = plan.reading->header.names[column];
        plan.traits.push_back({file_text(name), name, column + 1});
    }
    return plan;
}

Trial load_trait_cube(LoadPlan& plan, const LoadOptions& options) {
    LoadContext& load = plan.reading->context;
    Trial trial = plan.reading->table ? load_table_file(load, options, plan.reading->separator,
                                                        plan.reading->header)
                                      : load_classic_file(load, options);
    refuse_lone_surrogate(load);
    trial.traits_found = plan.reading->header.traits_found;
    for (std::size_t k = 0; k < plan.traits.size(); ++k) {
        trial.traits[k].trait = plan.traits[k].name;
        trial.traits[k].trait_as_written = plan.traits[k].as_written;
    }
    if (!data_file_as_opened(*load.file)) file_changed(load);
    close_data_file(*load.file);
    reader_close(load.reader);
    return trial;
}
