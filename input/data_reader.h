// A buffered reader over the design data file: block reads into one buffer,
// tokens handed out as views into it. The buffer never grows: it holds one
// read block, and before it room for the longest line.
//
// A file is read twice (once to size the trial, once to load it) and both
// reads must see the same bytes: the reader keeps a checksum of every byte
// it reads, and after a rewind tells whether the read again gave the same.
// File times can't tell: many file systems keep them to the second.
#pragma once

#include "base/checksum.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <string_view>
#include <vector>

// How the file's bytes are text: as they are (UTF-8, GBK, ASCII), or
// UTF-16 with its byte-order mark ("Unicode text", as spreadsheets save
// it), which the reader turns into UTF-8 as it reads.
enum class Encoding : unsigned char { bytes, utf16_little, utf16_big };

// A piece of the data as one read took it, kept so that a second read can
// check it on several threads: where it starts, its length, its checksum.
// The end of the data is a piece too: its Ctrl-Z, one byte, or the end of
// the file, where nothing more is read.
struct ReadPiece {
    std::uint64_t offset;
    std::size_t size;
    std::uint64_t sum;
    bool ends_data; // the Ctrl-Z, or the end of the file (no bytes)
};

// The byte after the unread bytes is always NUL, so that a scan can run to
// it without checking bounds at every byte.
struct DataReader {
    std::FILE* stream;
    std::string_view name; // the data file's, for the message of a read error
    void* allocation;      // the buffer lies in it, aligned to a page
    char* buffer;
    std::size_t capacity; // of data, not counting the NUL after it
    // Where a block read lands: a page boundary, with room before it for
    // the unread bytes that fill moves there.
    std::size_t landing;
    std::size_t block; // bytes asked of the stream at a time
    std::size_t begin; // unread bytes are [begin, end)
    std::size_t end;
    bool at_eof; // the stream (or a Ctrl-Z byte) ended the data
    // A table's Ctrl-Z ends its data only where nothing but blanks follows:
    // set by its load, which refuses a file with text after the mark.
    bool look_past_end_mark;
    bool text_past_end_mark;
    Checksum read_so_far;     // of the bytes read since the start or the rewind
    bool rewound;             // first_read is known
    std::uint64_t first_read; // the checksum of the whole first read
    Encoding encoding;        // found at the start of every read of the file
    bool encoding_known;
    // UTF-16 read but not yet turned into UTF-8: an odd byte, and a
    // character's first half.
    unsigned char odd_byte;
    bool has_odd_byte;
    std::uint32_t high_surrogate; // 0: none
    // Half a UTF-16 character without its other half was read: no text
    // holds one. It is written as its own three bytes (ED A0 80 to ED BF
    // BF), which no character's UTF-8 is, so that lone_surrogate_at finds it.
    bool lone_surrogate;
    // Where set, the piece of every read from the first byte on is kept.
    std::vector<ReadPiece>* pieces = nullptr;
};

// Keeps the pieces of the reader's reads in `pieces` while it lives, from
// the first byte of the file: the reader must be at its start, else none
// are kept.
class PieceKeeper {
  public:
    PieceKeeper(DataReader& reader, std::vector<ReadPiece>& pieces) : reader_(reader) {
        pieces.clear();
        if (reader.begin == reader.end && reader.read_so_far.length == 0) reader.pieces = &pieces;
    }
    PieceKeeper(const PieceKeeper&) = delete;
    PieceKeeper& operator=(const PieceKeeper&) = delete;
    ~PieceKeeper() { reader_.pieces = nullptr; }

  private:
    DataReader& reader_;
};

// Where a line holds a lone half of a UTF-16 character; npos if nowhere.
inline std::size_t lone_surrogate_at(std::string_view line) {
    for (std::size_t at = line.find('\xED'); at != std::string_view::npos;
         at = line.find('\xED', at + 1))
        if (at + 1 < line.size() && static_cast<unsigned char>(line[at + 1]) >= 0xA0) return at;
    return std::string_view::npos;
}

// White space as "%s" and "%d" see it in the C locale.
inline constexpr auto blank_bytes = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) table[c] = true;
    return table;
}();
inline bool is_blank(char c) {
    return blank_bytes[static_cast<unsigned char>(c)];
}

// No field of a design data file comes near this length. A file that holds a
// longer token is damaged or not a data file at all (a crash can leave
// gigabytes of NUL bytes), and refusing it keeps the buffer bounded.
inline constexpr std::size_t longest_token = 4096;

// Likewise no line of a table file comes near this length: its fields,
// fourteen columns of them at most in the trials seen, each far shorter than
// a token may be.
inline constexpr std::size_t longest_line = 1 << 16;

// Bytes of the buffer after the NUL that ends the data: a word may be read
// from any byte of the data.
inline constexpr std::size_t read_slack = 8;

// Reads the data file `name`, open as `stream`, `block` bytes at a time.
// Ends the run through fatal_exit when the buffer can't be had, or on a
// read error. The name must live as long as the reader.
void reader_open(DataReader& reader, std::FILE* stream, std::string_view name, std::size_t block);

// Reads a range of the data already in memory, `bytes` to `bytes + size`,
// as the reader reads a file: a NUL and read_slack bytes follow them. A
// range is parsed on a thread of its own; nothing is read from a stream.
void reader_open_range(DataReader& reader, char* bytes, std::size_t size);

// Moves up to `room` bytes of the data into `into`: the unread bytes first,
// then the stream's, read straight into `into` and checksummed as every
// read is. Ends the data at a Ctrl-Z as a refill does. Gives how many; 0 at
// the end of the data. Only for a file read as bytes, not UTF-16.
std::size_t reader_read_into(DataReader& reader, char* into, std::size_t room);

// Gives back the reader's buffer; the stream is the caller's.
void reader_close(DataReader& reader);

// Starts again from the first byte of the stream. The first read must have
// read every byte of the data.
void reader_rewind(DataReader& reader);

// Starts again from the first byte as if nothing had been read: what was
// read so far (a look at the first line) is no part of the first read.
void reader_restart(DataReader& reader);

// After a rewind: reads on to the end of the data, and tells whether the
// bytes read since the rewind are those read before it.
bool reader_read_same_bytes(DataReader& reader);

// After a rewind, in place of reader_read_same_bytes where the first read
// kept its pieces (which then are its only checksums): reads each piece
// again, shared among `threads`, and tells whether each holds the same
// bytes and the data end where they ended. Ends the run through fatal_exit
// on a read error, as a read does.
bool reader_same_pieces(DataReader& reader, const std::vector<ReadPiece>& pieces, int threads);

// Skips white space and gives a view of the next token (the longest run of
// non-blank bytes), whole and contiguous, without consuming it; empty at the
// end of the data. A token longer than longest_token is given as its first
// longest_token + 1 bytes: the caller refuses it. The view lives until the
// next call on the reader.
std::string_view reader_peek_token(DataReader& reader);

// Gives the next line of the data, without its line end (a LF, a CR LF, or
// a CR alone, as an old Mac spreadsheet ends its lines), whole and
// contiguous; false at the end of the data. A line longer than
// longest_line is given as its first longest_line + 1 bytes: the caller
// refuses it. The view lives until the next call on the reader.
bool reader_next_line(DataReader& reader, std::string_view& line);

// How many bytes of the data lie before the next unread one.
inline std::uint64_t reader_position(const DataReader& reader) {
    return reader.read_so_far.length - (reader.end - reader.begin);
}

// The number (from 1) of the line that holds the byte at `position`, read
// again from the start: for a message, after which the reader is done.
std::int64_t reader_line_at(DataReader& reader, std::uint64_t position);

// Passes over `count` lines (the title and notes above a table, which
// --skip names); gives how many there were, fewer when the data end first.
std::int64_t reader_skip_lines(DataReader& reader, std::int64_t count);

inline void reader_consume(DataReader& reader, std::size_t count) {
    reader.begin += count;
}

// What the " ch" tail of the file's field formats does after every field:
// skip white space, then take a 'c', then an 'h', each only if it comes next.
void reader_finish_field(DataReader& reader);
