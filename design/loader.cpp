#include "design/loader.h"

#include "design/classic_loader.h"
#include "design/load_context.h"
#include "design/table_loader.h"
#include "texts/console_texts.h"

#include <optional>

Trial load_trait_cube(DataFile& file, const LoadOptions& options) {
    set_memory_use(texts::memory_for_reading);
    LoadContext load{&file, {}, {}};
    reader_open(load.reader, file.stream, file.name, options.read_block);
    if (reader_skip_lines(load.reader, options.skip) < options.skip)
        refuse(load, fill(texts::nothing_after_skip, {quoted(file.name), decimal(options.skip)}));
    const std::optional<HeaderSearch> search = search_header(load.reader, options.skip);
    if (!search) refuse(load, fill(texts::unicode_without_mark, {quoted(file.name)}));
    load.header = *search;
    // A first line that would name a CSV file's columns but for a quote left
    // open: whatever it is read as, the trouble is there.
    if (!search->found && search->first_line_open_quote)
        refuse(load,
               fill(texts::header_open_quote, {decimal(search->first_line), quoted(file.name)}));
    reader_restart(load.reader);
    const Separator separator =
        search->found ? search->separator : separator_of(search->first_text);
    Trial trial = !options.columns.empty() || separator == Separator::comma ||
                          separator == Separator::semicolon
                      ? load_table_file(load, options, separator)
                      : load_classic_file(load, options);
    if (!data_file_as_opened(file)) file_changed(load);
    close_data_file(file);
    reader_close(load.reader);
    return trial;
}
