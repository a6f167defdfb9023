#include "app/template_generator.h"

#include "base/checked_size.h"
#include "base/combinations.h"
#include "platform/platform.h"
#include "storage/block_writer.h"
#include "storage/staged_file.h"
#include "texts/console_texts.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

[[noreturn]] static void cant_create(const std::string& name, int error_number) {
    fatal_exit(fill(texts::cant_create_data_file, {quoted(name), std::strerror(error_number)}));
}

[[noreturn]] static void template_write_failed(const std::string& name, int error_number) {
    fatal_exit(fill(texts::template_write_failed, {quoted(name), std::strerror(error_number)}));
}

void begin_template(const std::string& name) {
    if (name.empty()) fatal_exit(texts::template_needs_name);
    if (use_of_name(name.c_str()) != NameUse::free) cant_create(name, EEXIST);
    if (!can_stage_file(name)) cant_create(name, errno);
}

// Room for a record line: five ints and separators.
static constexpr std::size_t longest_line = 5 * 12;

void make_template(const std::string& name, const TemplateSizes& sizes) {
    const Levels<4> counts = {sizes[0], sizes[1], sizes[2], sizes[3]};
    Levels<4> levels;
    // A size of 0 or less means no record at all; the other sizes may still
    // be large enough that merely counting through them would never end.
    const bool any_records = first_combination(levels, counts);
    // The serial number is an int, and so is every record count that reads
    // the file back.
    int records;
    if (any_records && !(multiply_checked(sizes[0], sizes[1], records) &&
                         multiply_checked(records, sizes[2], records) &&
                         multiply_checked(records, sizes[3], records)))
        fatal_exit(fill(texts::template_too_large, {decimal(sizes[0]), decimal(sizes[1]),
                                                    decimal(sizes[2]), decimal(sizes[3])}));

    std::FILE* stream = stage_file(name, false);
    if (!stream) cant_create(name, errno);
    BlockWriter out = writer_open(stream);
    constexpr std::string_view header = "Var Year Loca Blk Trait\n";
    char* p = writer_reserve(out, header.size());
    writer_commit(out, std::copy(header.begin(), header.end(), p));
    // A template may run to billions of records: the first write that fails
    // (a full disk) ends it, rather than the formatting of all the rest.
    for (std::int64_t serial = 1; any_records && !out.failed; ++serial) {
        p = writer_reserve(out, longest_line);
        for (std::int64_t level : levels) {
            p = std::to_chars(p, p + 11, level).ptr;
            *p++ = ' ';
        }
        p = std::to_chars(p, p + 11, serial).ptr;
        *p++ = '\n';
        writer_commit(out, p);
        if (!next_combination(levels, counts)) break;
    }
    writer_flush(out);
    if (out.failed) {
        const int error = errno;
        discard_staged_files();
        template_write_failed(name, error);
    }
    if (!commit_staged_file()) {
        // Another run, or someone else, created the name meanwhile.
        if (errno == EEXIST) cant_create(name, errno);
        template_write_failed(name, errno);
    }
}
