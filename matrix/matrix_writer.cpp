#include "matrix/matrix_writer.h"

#include "design/data_reader.h"
#include "design/loader.h"
#include "matrix/number_format.h"
#include "storage/block_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// Every level counter is an int64: a code may be INT_MAX, and an int
// counter would overflow on its way past it.

constexpr char prefixes[3] = {'G', 'Y', 'L'}; // variety, year, location

// Room for one more cell, or a label of two levels: a level's label is a
// table value, at most longest_token bytes, or a code.
constexpr std::size_t longest_item = 2 * (longest_token + 2) + 4 + g_text_capacity;

// A level's label: the factor's letter and its code in a classic file
// ("G12"), the label the table's load gave it otherwise.
char* put_level(char* p, int factor, std::int64_t level) {
    const std::vector<std::string>& labels = level_labels[factor];
    if (labels.empty()) {
        *p++ = prefixes[factor];
        return std::to_chars(p, p + 20, level).ptr;
    }
    const std::string& label = labels[static_cast<std::size_t>(level - 1)];
    return std::copy(label.begin(), label.end(), p);
}

// "Y3+L12\t" and its kin: the outer level of factor f, the inner one of the next.
void put_row_label(BlockWriter& out, int f, std::int64_t outer, std::int64_t inner) {
    char* p = writer_reserve(out, longest_item);
    p = put_level(p, f, outer);
    *p++ = '+';
    p = put_level(p, (f + 1) % 3, inner);
    *p++ = '\t';
    writer_commit(out, p);
}

void put_header(BlockWriter& out, int factor, std::int64_t levels) {
    char* p = writer_reserve(out, longest_item);
    std::memcpy(p, "ClustID\t", 8);
    writer_commit(out, p + 8);
    for (std::int64_t k = 1; k <= levels; ++k) {
        p = writer_reserve(out, longest_item);
        p = put_level(p, factor, k);
        *p++ = k < levels ? '\t' : '\n';
        writer_commit(out, p);
    }
}

// One cell: the value (centred on the grand mean unless `raw`) or the
// empty mark, then a tab or the line end.
inline void put_cell(BlockWriter& out, float x, bool raw, char empty_mark, bool last) {
    char* p = writer_reserve(out, longest_item);
    if (x == 0.0f && !std::signbit(x)) {
        *p++ = empty_mark;
    } else {
        // The difference is formed in double from the two floats; an
        // observed 0 (held as -0.0) is shown as 0.
        const double value = x == 0.0f ? 0.0 : static_cast<double>(x);
        p = format_g(p, raw ? value : value - static_cast<double>(grand_mean));
    }
    *p++ = last ? '\n' : '\t';
    writer_commit(out, p);
}

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
                if (!pair_occurs(year_factor, y, l)) continue;
                put_row_label(out, year_factor, y, l);
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
                if (!pair_occurs(year_factor, y, first + k)) continue;
                put_row_label(out, year_factor, y, first + k);
                const float* row = &tile[k * nVar];
                for (std::int64_t v = 1; v <= nVar; ++v)
                    put_cell(out, row[v - 1], false, '.', v == nVar);
            }
        }
}

} // namespace

bool write_cluster_matrix(std::FILE* stream, Layout layout) {
    BlockWriter out = writer_open(stream);

    switch (layout) {
    case Layout::variety:
        put_header(out, variety_factor, nVar);
        put_variety_rows(out);
        break;
    case Layout::year:
        put_header(out, year_factor, nYear);
        for (std::int64_t l = 1; l <= nLoc; ++l)
            for (std::int64_t v = 1; v <= nVar; ++v) {
                if (!pair_occurs(location_factor, l, v)) continue;
                put_row_label(out, location_factor, l, v);
                for (std::int64_t y = 1; y <= nYear; ++y)
                    put_cell(out, trait_cube[v][y][l], true, ',', y == nYear);
            }
        break;
    case Layout::location:
        put_header(out, location_factor, nLoc);
        for (std::int64_t v = 1; v <= nVar; ++v)
            for (std::int64_t y = 1; y <= nYear; ++y) {
                if (!pair_occurs(variety_factor, v, y)) continue;
                put_row_label(out, variety_factor, v, y);
                for (std::int64_t l = 1; l <= nLoc; ++l)
                    put_cell(out, trait_cube[v][y][l], false, '.', l == nLoc);
            }
        break;
    }
    writer_flush(out);
    return !out.failed && !std::ferror(stream);
}
