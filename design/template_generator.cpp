#include "design/template_generator.h"

#include "app/console_texts.h"
#include "base/checked_size.h"
#include "design/data_file.h"
#include "platform/platform.h"
#include "storage/block_writer.h"
#include "storage/staged_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

static std::FILE* template_stream = nullptr;

[[noreturn]] static void cant_create(int error_number) {
    fatal_exit(
        fill(texts::cant_create_data_file, {quoted(data_file_name), std::strerror(error_number)}));
}

[[noreturn]] static void template_write_failed(int error_number) {
    fatal_exit(
        fill(texts::template_write_failed, {quoted(data_file_name), std::strerror(error_number)}));
}

void begin_template() {
    if (use_of_name(data_file_name.c_str()) != NameUse::free) cant_create(EEXIST);
    template_stream = stage_file(data_file_name);
    if (!template_stream) cant_create(errno);
}

// Formats one record line; room for five ints and separators.
static constexpr std::size_t longest_line = 5 * 12;
static char* put_record(char* out, const int (&fields)[5]) {
    for (int i = 0; i < 5; ++i) {
        out = std::to_chars(out, out + 11, fields[i]).ptr;
        *out++ = i < 4 ? ' ' : '\n';
    }
    return out;
}

void make_template(const TemplateSizes& sizes) {
    const int nv = sizes[0], ny = sizes[1], nl = sizes[2], nb = sizes[3];
    // A size of 0 or less means no record at all; the other sizes may still
    // be large enough that merely counting through them would never end.
    const bool any_records = nv > 0 && ny > 0 && nl > 0 && nb > 0;
    // The serial number is an int, and so is every record count that reads
    // the file back.
    int records;
    if (any_records &&
        !(multiply_checked(nv, ny, records) && multiply_checked(records, nl, records) &&
          multiply_checked(records, nb, records)))
        fatal_exit(
            fill(texts::template_too_large, {decimal(nv), decimal(ny), decimal(nl), decimal(nb)}));

    BlockWriter out = writer_open(template_stream);
    constexpr std::string_view header = "Var Year Loca Blk Trait\n";
    char* p = writer_reserve(out, header.size());
    writer_commit(out, std::copy(header.begin(), header.end(), p));
    int serial = 0;
    // A template may run to billions of records: the first write that fails
    // (a full disk) ends it, rather than the formatting of all the rest.
    for (int v = 1; any_records && v <= nv && !out.failed; ++v)
        for (int y = 1; y <= ny && !out.failed; ++y)
            for (int l = 1; l <= nl && !out.failed; ++l)
                for (int b = 1; b <= nb && !out.failed; ++b)
                    writer_commit(
                        out, put_record(writer_reserve(out, longest_line), {v, y, l, b, ++serial}));
    writer_flush(out);
    template_stream = nullptr;
    if (out.failed) {
        const int error = errno;
        discard_staged_file();
        template_write_failed(error);
    }
    if (!commit_staged_file(false)) {
        // Another run, or someone else, created the name meanwhile.
        if (errno == EEXIST) cant_create(errno);
        template_write_failed(errno);
    }
}
