#include "input/data_reader.h"

#include "base/utf8.h"
#include "input/data_file.h"
#include "platform/platform.h"
#include "texts/console_texts.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

// Old DOS editors end text files with this byte; what follows it is not data.
static constexpr char dos_end_of_file = '\x1A';

// Reads land on a page boundary and are whole pages (the read block is):
// the C library then passes each straight to the system, one call a block,
// and the system copies from its page cache page onto page. A landing place
// a few bytes off a page made the copy cost twice as much.
static constexpr std::size_t page = 4096;

void reader_open(DataReader& reader, std::FILE* stream, std::string_view name, std::size_t block) {
    reader.stream = stream;
    reader.name = name;
    reader.block = block > 0 ? block : 1;
    // Before the landing place, room for the longest line the unread bytes
    // can be (a token is shorter); after it a block, or at least one more
    // character turned from UTF-16, even with the tiny blocks of the tests.
    reader.landing = (longest_line + 1 + 16 + page - 1) / page * page;
    const std::size_t after = std::max<std::size_t>(reader.block, 16);
    // The NUL after the data, and a word more that a scan may read (see
    // input/levels.h), never undefined.
    const bool fits = after < SIZE_MAX - reader.landing - 1 - read_slack - page;
    reader.capacity = fits ? reader.landing + after : 0;
    reader.allocation = fits ? std::calloc(reader.capacity + 1 + read_slack + page, 1) : nullptr;
    if (!reader.allocation) fatal_exit(texts::out_of_memory_reading);
    const auto address = reinterpret_cast<std::uintptr_t>(reader.allocation);
    reader.buffer = static_cast<char*>(reader.allocation) + (page - address % page) % page;
    reader.buffer[0] = '\0';
    reader.begin = reader.end = 0;
    reader.at_eof = false;
    checksum_start(reader.read_so_far);
    reader.rewound = false;
    reader.encoding_known = false;
    reader.look_past_end_mark = reader.text_past_end_mark = false;
    reader.lone_surrogate = false;
}

void reader_open_range(DataReader& reader, char* bytes, std::size_t size) {
    reader = DataReader{};
    reader.buffer = bytes;
    reader.capacity = size;
    reader.end = size;
    reader.at_eof = true;
    checksum_start(reader.read_so_far);
    reader.encoding = Encoding::bytes;
    reader.encoding_known = true;
}

void reader_close(DataReader& reader) {
    std::free(reader.allocation);
    reader.allocation = nullptr;
    reader.buffer = nullptr;
}

// Back to the first byte, the checksum started afresh.
static void seek_start(DataReader& reader) {
    checksum_start(reader.read_so_far);
    if (std::fseek(reader.stream, 0, SEEK_SET) != 0) data_file_unreadable(reader.name, errno);
    reader.begin = reader.end = 0;
    reader.buffer[0] = '\0';
    reader.at_eof = false;
    reader.encoding_known = false;
    reader.text_past_end_mark = false;
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

// Reads up to `wanted` bytes of the stream into `into`; sets at_eof when
// the stream has no more. A read error ends the run: a half-read trial must
// never be taken for a whole one.
static std::size_t read_stream(DataReader& reader, char* into, std::size_t wanted) {
    errno = 0;
    std::size_t got = std::fread(into, 1, wanted, reader.stream);
    if (got < wanted) {
        if (std::ferror(reader.stream)) data_file_unreadable(reader.name, errno ? errno : EIO);
        reader.at_eof = true;
    }
    return got;
}

// A half of a surrogate pair without the other, in the three bytes its
// number would have in UTF-8: the load refuses it, naming its line.
// Made U+FFFD, two distinct names would become one.
static char* put_lone_surrogate(DataReader& reader, char* out, std::uint32_t unit) {
    reader.lone_surrogate = true;
    *out++ = '\xED';
    *out++ = static_cast<char>(0x80 | (unit >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    return out;
}

// Turns UTF-16 from the stream into UTF-8 at `into`, at most `room` (16 or
// more) bytes of it; gives how many. A half of a surrogate pair without the
// other is kept as put_lone_surrogate writes it; an odd last byte becomes
// U+FFFD.
static std::size_t read_utf16(DataReader& reader, char* into, std::size_t room) {
    // Two bytes give at most three, and a pair of four at most four; a half
    // pair left from before and an odd byte at the end add three each.
    unsigned char units[1 << 12];
    const std::size_t wanted = std::min(sizeof units - 1, (room - 8) / 3 * 2);
    const bool little = reader.encoding == Encoding::utf16_little;
    char* out = into;
    // Half a character gives nothing yet: read on, so that nothing is taken
    // for the end of the data.
    while (out == into && !reader.at_eof) {
        std::size_t have = 0;
        if (reader.has_odd_byte) {
            units[have++] = reader.odd_byte;
            reader.has_odd_byte = false;
        }
        have += read_stream(reader, reinterpret_cast<char*>(units) + have, wanted - have);
        std::size_t i = 0;
        for (; i + 1 < have; i += 2) {
            const std::uint32_t unit =
                little ? units[i] | units[i + 1] << 8 : units[i] << 8 | units[i + 1];
            if (unit >= 0xDC00 && unit < 0xE000 && reader.high_surrogate) {
                out = put_utf8(out, 0x10000 + ((reader.high_surrogate - 0xD800) << 10) +
                                        (unit - 0xDC00));
                reader.high_surrogate = 0;
                continue;
            }
            if (reader.high_surrogate) out = put_lone_surrogate(reader, out, reader.high_surrogate);
            reader.high_surrogate = 0;
            if (unit >= 0xD800 && unit < 0xDC00)
                reader.high_surrogate = unit;
            else if (unit >= 0xDC00 && unit < 0xE000)
                out = put_lone_surrogate(reader, out, unit);
            else
                out = put_utf8(out, unit);
        }
        if (i < have) {
            reader.odd_byte = units[i];
            reader.has_odd_byte = true;
        }
    }
    if (reader.at_eof && reader.high_surrogate) {
        out = put_lone_surrogate(reader, out, reader.high_surrogate);
        reader.high_surrogate = 0;
    }
    if (reader.at_eof && reader.has_odd_byte) {
        out = put_utf8(out, replacement_character);
        reader.has_odd_byte = false;
    }
    return static_cast<std::size_t>(out - into);
}

// At the start of every read of the file: a UTF-16 byte-order mark makes
// the rest UTF-16; any other first bytes are data. Gives how many bytes of
// data it read into `into`.
static std::size_t find_encoding(DataReader& reader, char* into) {
    reader.encoding_known = true;
    reader.encoding = Encoding::bytes;
    reader.has_odd_byte = false;
    reader.high_surrogate = 0;
    const std::size_t got = read_stream(reader, into, 2);
    const auto* mark = reinterpret_cast<const unsigned char*>(into);
    if (got == 2 && mark[0] == 0xFF && mark[1] == 0xFE) reader.encoding = Encoding::utf16_little;
    if (got == 2 && mark[0] == 0xFE && mark[1] == 0xFF) reader.encoding = Encoding::utf16_big;
    return reader.encoding == Encoding::bytes ? got : 0;
}

// Whether bytes other than blanks, Ctrl-Z and the zero bytes of UTF-16
// come in `bytes`, then in the rest of the stream.
static bool text_follows(DataReader& reader, std::string_view bytes) {
    auto text = [](std::string_view part) {
        for (char c : part)
            if (!is_blank(c) && c != dos_end_of_file && c != '\0') return true;
        return false;
    };
    if (text(bytes) || (reader.has_odd_byte && reader.odd_byte != 0)) return true;
    char rest[1 << 12];
    while (!reader.at_eof)
        if (text({rest, read_stream(reader, rest, sizeof rest)})) return true;
    return false;
}

// The checksum of a piece on its own, as its second read finds it.
static std::uint64_t sum_of(const char* bytes, std::size_t size) {
    Checksum sum;
    checksum_start(sum);
    checksum_add(sum, bytes, size);
    return checksum_value(sum);
}

// The piece of `size` bytes just read and summed, and after it the data's
// end where they end it: a Ctrl-Z (`marked`) or the end of the file.
static void keep_piece(DataReader& reader, const char* bytes, std::size_t size, bool marked) {
    const std::uint64_t offset = reader.read_so_far.length - size;
    if (size > 0) reader.pieces->push_back({offset, size, sum_of(bytes, size), false});
    if (marked)
        reader.pieces->push_back({offset + size, 1, sum_of(&dos_end_of_file, 1), true});
    else if (reader.at_eof)
        reader.pieces->push_back({offset + size, 0, 0, true});
}

// The `got` bytes just read at `bytes` as data: cut at a Ctrl-Z, which ends
// the data wherever it falls, and summed. Gives how many are data.
static std::size_t take_read(DataReader& reader, const char* bytes, std::size_t got) {
    const std::size_t read = got;
    if (auto* mark = static_cast<const char*>(std::memchr(bytes, dos_end_of_file, got))) {
        const std::string_view after(mark + 1, got - static_cast<std::size_t>(mark + 1 - bytes));
        got = static_cast<std::size_t>(mark - bytes);
        if (reader.look_past_end_mark) reader.text_past_end_mark = text_follows(reader, after);
        reader.at_eof = true;
    }
    // Kept pieces are summed each on its own: the second read compares
    // them, not the sum of the whole.
    if (reader.pieces) {
        reader.read_so_far.length += got;
        keep_piece(reader, bytes, got, reader.at_eof && got < read);
    } else {
        checksum_add(reader.read_so_far, bytes, got);
    }
    return got;
}

// The one place that reads the stream: keeps the unread bytes, moves them to
// end at the landing place, and appends what the stream has next. Gives
// false when nothing could be added. The unread bytes are never more than
// the start of one token or one line, at most longest_line of them and a
// CR, so there is always room.
static bool refill(DataReader& reader) {
    if (reader.at_eof) return false;
    const std::size_t unread = reader.end - reader.begin;
    if (reader.end != reader.landing) {
        std::memmove(reader.buffer + reader.landing - unread, reader.buffer + reader.begin, unread);
        reader.begin = reader.landing - unread;
        reader.end = reader.landing;
    }
    char* into = reader.buffer + reader.end;
    std::size_t wanted = std::min(reader.block, reader.capacity - reader.end);
    std::size_t got = 0;
    if (!reader.encoding_known) {
        got = find_encoding(reader, into);
        wanted -= std::min(wanted, got);
    }
    if (reader.encoding == Encoding::bytes) {
        if (wanted > 0 && !reader.at_eof) got += read_stream(reader, into + got, wanted);
    } else {
        // The unread bytes leave room for a few characters at least.
        got = read_utf16(reader, into, std::max<std::size_t>(wanted, 16));
    }
    got = take_read(reader, into, got);
    reader.end += got;
    reader.buffer[reader.end] = '\0';
    return got > 0;
}

std::size_t reader_read_into(DataReader& reader, char* into, std::size_t room) {
    const std::size_t buffered = std::min(room, reader.end - reader.begin);
    std::memcpy(into, reader.buffer + reader.begin, buffered);
    reader.begin += buffered;
    if (buffered == room || reader.at_eof) return buffered;
    char* const fresh = into + buffered;
    return buffered + take_read(reader, fresh, read_stream(reader, fresh, room - buffered));
}

bool reader_read_same_bytes(DataReader& reader) {
    reader.begin = reader.end;
    while (refill(reader)) reader.begin = reader.end;
    return checksum_value(reader.read_so_far) == reader.first_read;
}

bool reader_same_pieces(DataReader& reader, const std::vector<ReadPiece>& pieces, int threads) {
    if (pieces.empty() || pieces.front().offset != 0 || !pieces.back().ends_data)
        return reader_read_same_bytes(reader);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> same{true};
    std::atomic<int> failure{0};
    // Each piece is read again in parts of the buffer, summed as it comes.
    auto check = [&] {
        char buffer[std::size_t{1} << 16];
        for (;;) {
            const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= pieces.size() || !same.load(std::memory_order_relaxed) ||
                failure.load(std::memory_order_relaxed) != 0)
                return;
            const ReadPiece& piece = pieces[i];
            Checksum sum;
            checksum_start(sum);
            // At the end of the file, a byte more must not be there, but
            // a Ctrl-Z, which would end the data there as well.
            const std::size_t size = piece.size == 0 ? 1 : piece.size;
            std::size_t read = 0;
            while (read < size) {
                const std::size_t part = std::min(size - read, sizeof buffer);
                errno = 0;
                const std::ptrdiff_t got =
                    read_at(reader.stream, piece.offset + read, buffer, part);
                if (got < 0) {
                    failure.store(errno ? errno : EIO);
                    return;
                }
                checksum_add(sum, buffer, static_cast<std::size_t>(got));
                read += static_cast<std::size_t>(got);
                if (static_cast<std::size_t>(got) < part) break;
            }
            const bool ended = piece.size == 0 && (read == 0 || buffer[0] == dos_end_of_file);
            if (!ended && (read != piece.size || checksum_value(sum) != piece.sum))
                same.store(false);
        }
    };
    // This thread checks pieces too; a thread the system can't start
    // leaves its share to the others.
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i) {
        try {
            helpers.emplace_back(check);
        } catch (const std::system_error&) {
            break;
        }
    }
    check();
    for (std::thread& helper : helpers) helper.join();
    if (failure.load() != 0) data_file_unreadable(reader.name, failure.load());
    return same.load();
}

static void skip_blanks(DataReader& reader) {
    for (;;) {
        while (reader.begin < reader.end && is_blank(reader.buffer[reader.begin])) ++reader.begin;
        if (reader.begin < reader.end || !refill(reader)) return;
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
        if (reader.begin + length < reader.end || length > longest_token || !refill(reader)) break;
    }
    return {reader.buffer + reader.begin, length};
}

void reader_finish_field(DataReader& reader) {
    skip_blanks(reader);
    for (char literal : {'c', 'h'}) {
        if (reader.begin == reader.end && !refill(reader)) return;
        if (reader.buffer[reader.begin] != literal) return;
        ++reader.begin;
    }
}

bool reader_next_line(DataReader& reader, std::string_view& line) {
    std::size_t scanned = 0; // of the unread bytes, known to hold no line end
    for (;;) {
        const char* const first = reader.buffer + reader.begin;
        const std::size_t unread = reader.end - reader.begin;
        const auto* feed =
            static_cast<const char*>(std::memchr(first + scanned, '\n', unread - scanned));
        const char* const stop = feed ? feed : first + unread;
        const auto* cr = static_cast<const char*>(
            std::memchr(first + scanned, '\r', static_cast<std::size_t>(stop - first) - scanned));
        // A CR as the last byte read may be the first half of a CR LF.
        const bool cr_decides = cr && (cr + 1 < first + unread || reader.at_eof);
        if (feed || cr_decides) {
            const char* const end = cr_decides ? cr : feed;
            line = {first, static_cast<std::size_t>(end - first)};
            const bool pair = cr_decides && end + 1 < first + unread && end[1] == '\n';
            reader.begin += line.size() + (pair ? 2 : 1);
            return true;
        }
        scanned = cr ? static_cast<std::size_t>(cr - first) : unread;
        // Only the bytes before a CR count: a line of the longest length
        // whose CR LF the block splits is no longer.
        if (scanned > longest_line || !refill(reader)) {
            // The end of the data decides a last CR: it ends the line alone.
            if (cr && scanned <= longest_line && reader.at_eof) continue;
            // fill may have moved the unread bytes to the front.
            if (unread == 0) return false;
            line = {reader.buffer + reader.begin, std::min(unread, longest_line + 1)};
            reader.begin += line.size();
            return true;
        }
    }
}

std::int64_t reader_skip_lines(DataReader& reader, std::int64_t count) {
    std::string_view line;
    std::int64_t skipped = 0;
    while (skipped < count && reader_next_line(reader, line)) ++skipped;
    return skipped;
}

std::int64_t reader_line_at(DataReader& reader, std::uint64_t position) {
    reader_restart(reader);
    std::int64_t line = 0;
    while (reader_position(reader) <= position && reader_skip_lines(reader, 1) == 1) ++line;
    return std::max<std::int64_t>(line, 1);
}
