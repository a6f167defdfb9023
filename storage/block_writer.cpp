#include "storage/block_writer.h"

BlockWriter writer_open(std::FILE* stream) {
    static char buffer[write_block_size];
    return {stream, buffer, write_block_size, 0, false};
}

void writer_flush(BlockWriter& out) {
    if (!out.failed && out.used > 0 && std::fwrite(out.buffer, 1, out.used, out.stream) != out.used)
        out.failed = true;
    out.used = 0;
}
