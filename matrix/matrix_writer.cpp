#include "matrix/matrix_writer.h"

#include "design/loader.h"
#include "matrix/number_format.h"
#include "storage/block_writer.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

// Room for one more label or cell.
constexpr std::size_t longest_item = 2 * 12 + 4 + g_text_capacity;

char* put_int(char* p, std::int64_t value) {
    return std::to_chars(p, p + 20, value).ptr;
}

// "Y3+L12\t" and its kin.
void put_row_label(BlockWriter& out, char first, std::int64_t a, char second, std::int64_t b) {
    char* p = writer_reserve(out, longest_item);
    *p++ = first;
    p = put_int(p, a);
    *p++ = '+';
    *p++ = second;
    p = put_int(p, b);
    *p++ = '\t';
    writer_commit(out, p);
}

void put_header(BlockWriter& out, char prefix, std::int64_t levels) {
    char* p = writer_reserve(out, longest_item);
    std::memcpy(p, "ClustID\t", 8);
    writer_commit(out, p + 8);
    for (std::int64_t k = 1; k <= levels; ++k) {
        p = writer_reserve(out, longest_item);
        *p++ = prefix;
        p = put_int(p, k);
        *p++ = k < levels ? '\t' : '\n';
        writer_commit(out, p);
    }
}

// One cell: the value (centred on the grand mean unless `raw`) or the
// empty mark, then a tab or the line end.
inline void put_cell(BlockWriter& out, float x, bool raw, char empty_mark, bool last) {
    char* p = writer_reserve(out, longest_item);
    if (x == 0.0f) {
        *p++ = empty_mark;
    } else {
        // The difference is formed in double from the two floats.
        double shown =
            raw ? static_cast<double>(x) : static_cast<double>(x) - static_cast<double>(grand_mean);
        p = format_g(p, shown);
    }
    *p++ = last ? '\n' : '\t';
    writer_commit(out, p);
}

// Every level counter is an int64: a code may be INT_MAX, and an int
// counter would overflow on its way past it.

// The variety layout reads the cube across varieties, nYear x nLoc cells
// apart: straight from the cube, a large trial would miss the cache and the
// page tables at every cell. Where a tile of several locations fits, one
// year's locations are gathered a tile at a time, reading the cube in order,
// and their rows are written from the tile.
void put_variety_rows(BlockWriter& out) {
    constexpr int tile_cells = 1 << 16; // stays in the second-level cache
    static float tile[tile_cells];
    const std::int64_t tile_locations = std::min<std::int64_t>(tile_cells / nVar, nLoc);
    if (tile_locations < 2) {
        for (std::int64_t y = 1; y <= nYear; ++y)
            for (std::int64_t l = 1; l <= nLoc; ++l) {
                put_row_label(out, 'Y', y, 'L', l);
                for (std::int64_t v = 1; v <= nVar; ++v)
                    put_cell(out, trait_cube[v][y][l], false, '.', v == nVar);
            }
        return;
    }
    for (std::int64_t y = 1; y <= nYear; ++y)
        for (std::int64_t first = 1; first <= nLoc; first += tile_locations) {
            const std::int64_t count = std::min<std::int64_t>(tile_locations, nLoc - first + 1);
            for (std::int64_t v = 1; v <= nVar; ++v) {
                const float* cells = &trait_cube[v][y][first];
                for (std::int64_t k = 0; k < count; ++k) tile[k * nVar + v - 1] = cells[k];
            }
            for (std::int64_t k = 0; k < count; ++k) {
                put_row_label(out, 'Y', y, 'L', first + k);
                const float* row = &tile[k * nVar];
                for (std::int64_t v = 1; v <= nVar; ++v) put_cell(out, row[v - 1], false, '.', v == nVar);
            }
        }
}

} // namespace

bool write_cluster_matrix(std::FILE* stream, Layout layout) {
    BlockWriter out = writer_open(stream);

    switch (layout) {
    case Layout::variety:
        put_header(out, 'G', nVar);
        put_variety_rows(out);
        break;
    case Layout::year:
        put_header(out, 'Y', nYear);
        for (std::int64_t l = 1; l <= nLoc; ++l)
            for (std::int64_t v = 1; v <= nVar; ++v) {
                put_row_label(out, 'L', l, 'G', v);
                for (std::int64_t y = 1; y <= nYear; ++y)
                    put_cell(out, trait_cube[v][y][l], true, ',', y == nYear);
            }
        break;
    case Layout::location:
        put_header(out, 'L', nLoc);
        for (std::int64_t v = 1; v <= nVar; ++v)
            for (std::int64_t y = 1; y <= nYear; ++y) {
                put_row_label(out, 'G', v, 'Y', y);
                for (std::int64_t l = 1; l <= nLoc; ++l)
                    put_cell(out, trait_cube[v][y][l], false, '.', l == nLoc);
            }
        break;
    }
    writer_flush(out);
    return !out.failed && !std::ferror(stream);
}
