#include "storage/block_writer.h"

BlockWriter writer_open(std::FILE* stream) {
    // Not cleared: only the bytes written into it are ever read.
    return {stream, std::make_unique_for_overwrite<char[]>(write_block_size), write_block_size, 0,
            false};
}

void writer_flush(BlockWriter& out) {
    if (!out.failed && out.used > 0 &&
        std::fwrite(out.buffer.get(), 1, out.used, out.stream) != out.used)
        out.failed = true;
    out.used = 0;
}
