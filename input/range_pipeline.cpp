#include "input/range_pipeline.h"

#include <cstdint>

// As the reader's own buffer: a block read lands on a page.
static constexpr std::size_t page = 4096;

bool make_range_buffer(RangeBuffer& range, std::size_t bytes) {
    if (bytes == 0 || bytes > SIZE_MAX / 2) return false;
    range.allocation = std::calloc(range_tail_room + bytes + 1 + read_slack + page, 1);
    if (!range.allocation) return false;
    const auto address = reinterpret_cast<std::uintptr_t>(range.allocation);
    range.base = static_cast<char*>(range.allocation) + (page - address % page) % page;
    range.data = range.base;
    range.size = 0;
    return true;
}

void free_range_buffer(RangeBuffer& range) {
    std::free(range.allocation);
    range = RangeBuffer{};
}

// Where a range of `size` bytes may end: after its last line end, or, in a
// classic file whose range of a line's longest length holds none, after its
// last blank; 0 for nowhere. In a classic file the next byte but blanks
// must be there and be no 'c', which the field before would swallow. The
// first `settled` bytes hold no line end that could end it.
static std::size_t cut_of(const char* bytes, std::size_t size, std::size_t settled, bool classic) {
    for (const bool at_blanks : {false, true}) {
        if (at_blanks && size < longest_line) break;
        std::size_t after = size; // the first byte but blanks at or after `at`
        for (std::size_t at = size; at > (at_blanks ? 0 : settled); --at) {
            if (at < size && !is_blank(bytes[at])) after = at;
            const bool ends = at_blanks ? is_blank(bytes[at - 1]) : bytes[at - 1] == '\n';
            if (ends && (!classic || (after < size && bytes[after] != 'c'))) return at;
        }
        if (!classic) break;
    }
    return 0;
}

int read_range(DataReader& reader, RangeBuffer& range, std::string& tail,
               const RangeSettings& settings) {
    // Where the bytes read land; the tail goes just before.
    char* const landing = range.base + range_tail_room;
    for (;;) {
        if (tail.size() > range_tail_room) return -1;
        // A line end the tail's last blanks follow may now end a range.
        std::size_t settled = tail.size();
        while (settled > 0 && is_blank(tail[settled - 1])) --settled;
        char* const start = landing - tail.size();
        std::memcpy(start, tail.data(), tail.size());
        const std::size_t got = reader_read_into(reader, landing, settings.bytes);
        const std::size_t size = tail.size() + got;
        if (size == 0) return 0;
        const bool last = got == 0 || (reader.at_eof && reader.begin == reader.end);
        const std::size_t cut = last ? size : cut_of(start, size, settled, settings.classic);
        tail.assign(start + cut, size - cut);
        if (cut == 0) continue;
        range.data = start;
        range.size = cut;
        start[cut] = '\0';
        return 1;
    }
}
