#include "matrix/matrix_writer.h"

#include "design/data_reader.h"
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
    if (x == 0.0f && !std::signbit(x)) {
        *p++ = empty_mark;
    } else {
        // The difference is formed in double from the two floats; an
        // observed 0 (held as -0.0) is shown as 0.
        const double value = x == 0.0f ? 0.0 : static_cast<double>(x);
        p = format_g(p, raw ? value : value - static_cast<double>(mean));
    }
    *p++ = last ? '\n' : '\t';
    writer_commit(out, p);
}

// The rows of a layout: the cells' loop made for centred or raw values, so
// that nothing but the cells varies in it.
template <bool raw>
void put_rows(BlockWriter& out, const TraitCube& cube, int columns) {
    const CubeLevels& levels = *cube.levels;
    const char empty_mark = raw ? ',' : '.';
    const float mean = cube.grand_mean;
    const std::int64_t count = levels.count(columns);
    for_each_row(cube, columns,
                 [&out, &levels, columns, mean, count](std::int64_t outer, std::int64_t inner,
                                                       const float* cells) {
                     put_row_label(out, levels, (columns + 1) % 3, outer, inner);
                     for (std::int64_t c = 0; c < count; ++c)
                         put_cell(out, cells[c], raw, mean, empty_mark, c + 1 == count);
                 });
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
    const int columns = analysed_factor(layout);
    put_header(out, *cube.levels, columns);
    // The year layout shows the values themselves, the others their
    // differences from the grand mean.
    if (layout == Layout::year)
        put_rows<true>(out, cube, columns);
    else
        put_rows<false>(out, cube, columns);
    writer_flush(out);
    return !out.failed && !std::ferror(stream);
}
