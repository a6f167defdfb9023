// A buffered reader over the design data file: block reads into one buffer,
// tokens handed out as views into it. The buffer grows only when a single
// token is longer than the whole buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <string_view>

// The byte after the unread bytes is always NUL, so that a scan can run to
// it without checking bounds at every byte.
struct DataReader {
    std::FILE* stream;
    const char* name; // for messages
    char* buffer;
    std::size_t capacity; // of data, not counting the NUL after it
    std::size_t begin;    // unread bytes are [begin, end)
    std::size_t end;
    bool at_eof; // the stream (or a Ctrl-Z byte) ended the data
};

// White space as "%s" and "%d" see it in the C locale.
inline constexpr auto blank_bytes = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) table[c] = true;
    return table;
}();
inline bool is_blank(char c) {
    return blank_bytes[static_cast<unsigned char>(c)];
}

void reader_open(DataReader& reader, std::FILE* stream, const char* name, std::size_t capacity);

// Starts again from the first byte of the stream.
void reader_rewind(DataReader& reader);

// Skips white space and gives a view of the next token (the longest run of
// non-blank bytes), whole and contiguous, without consuming it; empty at the
// end of the data. The view lives until the next call on the reader.
std::string_view reader_peek_token(DataReader& reader);

inline void reader_consume(DataReader& reader, std::size_t count) {
    reader.begin += count;
}

// What the " ch" tail of the file's field formats does after every field:
// skip white space, then take a 'c', then an 'h', each only if it comes next.
void reader_finish_field(DataReader& reader);
