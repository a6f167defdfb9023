#include "design/data_reader.h"

#include "app/console_texts.h"
#include "design/data_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// Old DOS editors end text files with this byte; what follows it is not data.
static constexpr char dos_end_of_file = '\x1A';

void reader_open(DataReader& reader, std::FILE* stream, std::size_t block) {
    reader.stream = stream;
    reader.block = block > 0 ? block : 1;
    // Room for the longest line even with the tiny blocks of the tests: a
    // token or a line never needs more, whatever the file holds.
    reader.capacity = std::max(reader.block, longest_line + 1);
    // The NUL after the data, and a word more that a scan may read (see
    // design/levels.h), never undefined.
    reader.buffer = reader.capacity < SIZE_MAX - 1 - read_slack
                        ? static_cast<char*>(std::calloc(reader.capacity + 1 + read_slack, 1))
                        : nullptr;
    if (!reader.buffer) fatal_exit(texts::out_of_memory_reading);
    reader.buffer[0] = '\0';
    reader.begin = reader.end = 0;
    reader.at_eof = false;
    checksum_start(reader.read_so_far);
    reader.rewound = false;
}

// Back to the first byte, the checksum started afresh.
static void seek_start(DataReader& reader) {
    checksum_start(reader.read_so_far);
    if (std::fseek(reader.stream, 0, SEEK_SET) != 0) data_file_unreadable(errno);
    reader.begin = reader.end = 0;
    reader.buffer[0] = '\0';
    reader.at_eof = false;
}

void reader_rewind(DataReader& reader) {
    reader.first_read = checksum_value(reader.read_so_far);
    reader.rewound = true;
    std::rewind(reader.stream);
    seek_start(reader);
}

void reader_restart(DataReader& reader) {
    reader.rewound = false;
    seek_start(reader);
}

// The one place that reads the stream: keeps the unread bytes, moves them to
// the front, and appends what the stream has next. Gives false when nothing
// could be added. A read error ends the run: a half-read trial must never be
// taken for a whole one. The unread bytes are never more than the start of
// one token or one line, at most longest_line of them, so there is always
// room.
static bool fill(DataReader& reader) {
    if (reader.at_eof) return false;
    if (reader.begin > 0) {
        std::memmove(reader.buffer, reader.buffer + reader.begin, reader.end - reader.begin);
        reader.end -= reader.begin;
        reader.begin = 0;
    }
    char* into = reader.buffer + reader.end;
    std::size_t wanted = std::min(reader.block, reader.capacity - reader.end);
    errno = 0;
    std::size_t got = std::fread(into, 1, wanted, reader.stream);
    if (got < wanted) {
        if (std::ferror(reader.stream)) data_file_unreadable(errno ? errno : EIO);
        reader.at_eof = true;
    }
    if (auto* mark = static_cast<char*>(std::memchr(into, dos_end_of_file, got))) {
        got = static_cast<std::size_t>(mark - into);
        reader.at_eof = true;
    }
    checksum_add(reader.read_so_far, into, got);
    reader.end += got;
    reader.buffer[reader.end] = '\0';
    return got > 0;
}

bool reader_read_same_bytes(DataReader& reader) {
    reader.begin = reader.end;
    while (fill(reader)) reader.begin = reader.end;
    return checksum_value(reader.read_so_far) == reader.first_read;
}

static void skip_blanks(DataReader& reader) {
    for (;;) {
        while (reader.begin < reader.end && is_blank(reader.buffer[reader.begin])) ++reader.begin;
        if (reader.begin < reader.end || !fill(reader)) return;
    }
}

std::string_view reader_peek_token(DataReader& reader) {
    skip_blanks(reader);
    // fill moves the unread bytes to the front: only the length stays put.
    std::size_t length = 0;
    for (;;) {
        const char* const first = reader.buffer + reader.begin;
        const char* const stop = first + std::min(reader.end - reader.begin, longest_token + 1);
        const char* p = first + length;
        while (p < stop && !is_blank(*p)) ++p;
        length = static_cast<std::size_t>(p - first);
        if (reader.begin + length < reader.end || length > longest_token || !fill(reader)) break;
    }
    return {reader.buffer + reader.begin, length};
}

void reader_finish_field(DataReader& reader) {
    skip_blanks(reader);
    for (char literal : {'c', 'h'}) {
        if (reader.begin == reader.end && !fill(reader)) return;
        if (reader.buffer[reader.begin] != literal) return;
        ++reader.begin;
    }
}

bool reader_next_line(DataReader& reader, std::string_view& line) {
    std::size_t scanned = 0; // of the unread bytes, known to hold no line end
    for (;;) {
        const char* const first = reader.buffer + reader.begin;
        const std::size_t unread = reader.end - reader.begin;
        if (auto* end =
                static_cast<const char*>(std::memchr(first + scanned, '\n', unread - scanned))) {
            line = {first, static_cast<std::size_t>(end - first)};
            reader.begin += line.size() + 1;
            return true;
        }
        scanned = unread;
        if (unread > longest_line || !fill(reader)) {
            // fill may have moved the unread bytes to the front.
            if (unread == 0) return false;
            line = {reader.buffer + reader.begin, std::min(unread, longest_line + 1)};
            reader.begin += line.size();
            return true;
        }
    }
}
