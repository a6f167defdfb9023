#include "matrix/matrix_writer.h"

#include "matrix/number_format.h"
#include "storage/block_writer.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

// Every level counter is an int64: a code may be INT_MAX, and an int
// counter would overflow on its way past it.

constexpr char prefixes[3] = {'G', 'Y', 'L'}; // variety, year, location

// Room for one more cell, or a label of two levels: a level's label is a
// table value, at most longest_label bytes, or a code.
constexpr std::size_t longest_item = 2 * (longest_label + 2) + 4 + g_text_capacity;

// A level's label: the factor's letter and its code in a classic file
// ("G12"), the label the table's load gave it otherwise.
char* put_level(char* p, const CubeLevels& levels, int factor, std::int64_t level) {
    const std::vector<std::string>& labels = levels.level_labels[factor];
    if (labels.empty()) {
        *p++ = prefixes[factor];
        return std::to_chars(p, p + 20, level).ptr;
    }
    const std::string& label = labels[static_cast<std::size_t>(level - 1)];
    return std::copy(label.begin(), label.end(), p);
}

// "Y3+L12\t" and its kin: the outer level of factor f, the inner one of the next.
void put_row_label(BlockWriter& out, const CubeLevels& levels, int f, std::int64_t outer,
                   std::int64_t inner) {
    char* p = writer_reserve(out, longest_item);
    p = put_level(p, levels, f, outer);
    *p++ = '+';
    p = put_level(p, levels, (f + 1) % 3, inner);
    *p++ = '\t';
    writer_commit(out, p);
}

void put_header(BlockWriter& out, const CubeLevels& levels, int factor) {
    char* p = writer_reserve(out, longest_item);
    std::memcpy(p, "ClustID\t", 8);
    writer_commit(out, p + 8);
    const std::int64_t count = levels.count(factor);
    for (std::int64_t k = 1; k <= count; ++k) {
        p = writer_reserve(out, longest_item);
        p = put_level(p, levels, factor, k);
        *p++ = k < count ? '\t' : '\n';
        writer_commit(out, p);
    }
}

// One cell: the value (centred on `mean` unless `raw`) or the empty mark,
// then a tab or the line end.
inline void put_cell(BlockWriter& out, float x, bool raw, float mean, char empty_mark, bool last) {
    char* p = writer_reserve(out, longest_item);
    if (!holds_value(x)) {
        *p++ = empty_mark;
    } else {
        // The difference is formed in double from the two floats.
        const double value = static_cast<double>(x);
        p = format_g(p, raw ? value : value - static_cast<double>(mean));
    }
    *p++ = last ? '\n' : '\t';
    writer_commit(out, p);
}

// One row's cells, the loop made for centred or raw values, so that nothing
// but the cells varies in it. Out of line: the row loop's registers would
// crowd it.
template <bool raw>
[[gnu::noinline]] void put_cells(BlockWriter& out, const float* cells, std::int64_t count,
                                 float mean) {
    const char empty_mark = raw ? ',' : '.';
    for (std::int64_t c = 0; c < count; ++c)
        put_cell(out, cells[c], raw, mean, empty_mark, c + 1 == count);
}

// The rows of a layout.
template <bool raw>
void put_rows(BlockWriter& out, const TraitCube& cube, Layout layout) {
    const CubeLevels& levels = *cube.levels;
    const int columns = analysed_factor(layout);
    const std::int64_t count = levels.count(columns);
    for (CubeRows rows = cube_rows(cube, layout); next_row(rows);) {
        put_row_label(out, levels, (columns + 1) % 3, rows.outer, rows.inner);
        put_cells<raw>(out, rows.cells, count, cube.grand_mean);
    }
}

} // namespace

std::string level_label(const CubeLevels& levels, int f, std::int64_t level) {
    char label[32];
    if (levels.level_labels[f].empty())
        return std::string(label, put_level(label, levels, f, level));
    return levels.level_labels[f][static_cast<std::size_t>(level - 1)];
}

bool write_cluster_matrix(std::FILE* stream, const TraitCube& cube, Layout layout) {
    BlockWriter out = writer_open(stream);
    put_header(out, *cube.levels, analysed_factor(layout));
    // The year layout shows the values themselves, the others their
    // differences from the grand mean.
    if (layout == Layout::year)
        put_rows<true>(out, cube, layout);
    else
        put_rows<false>(out, cube, layout);
    writer_flush(out);
    return !out.failed && !std::ferror(stream);
}
