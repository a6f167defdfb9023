// Output in large blocks: a template or a matrix has millions of lines, and
// the stream's per-call cost would dominate. Text is formatted straight into
// the writer's buffer and written a block at a time.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

// Each writer owns its buffer, so that files can be written side by side.
struct BlockWriter {
    std::FILE* stream;
    std::unique_ptr<char[]> buffer;
    std::size_t capacity;
    std::size_t used;
    bool failed; // a write failed: nothing more is written
};

// A writer over `stream`, with a buffer of write_block_size bytes. Running
// out of memory for it ends the run as any allocation does.
inline constexpr std::size_t write_block_size = 1 << 20;
BlockWriter writer_open(std::FILE* stream);

// Writes out what is buffered; after the first failed write it only drops
// the bytes, so that a full disk ends the work instead of being retried.
void writer_flush(BlockWriter& out);

// Room for `room` more bytes at the place it gives; writer_commit then
// takes the bytes up to where the text ended.
inline char* writer_reserve(BlockWriter& out, std::size_t room) {
    if (out.used + room > out.capacity) writer_flush(out);
    return out.buffer.get() + out.used;
}

inline void writer_commit(BlockWriter& out, char* end) {
    out.used = static_cast<std::size_t>(end - out.buffer.get());
}
