#include "matrix/matrix_writer.h"

#include "design/loader.h"
#include "matrix/number_format.h"

#include <charconv>
#include <cstring>

// Everything goes through one large buffer written in blocks: a big trial has
// millions of cells and the stream's per-call cost would dominate.
namespace {

constexpr std::size_t block_size = 1 << 20;
constexpr std::size_t longest_item = 2 * 12 + 4 + g_text_capacity;

struct Output {
    std::FILE* stream;
    char* buffer;
    std::size_t used;
    bool failed;
};

void flush(Output& out) {
    if (out.used > 0 && std::fwrite(out.buffer, 1, out.used, out.stream) != out.used)
        out.failed = true;
    out.used = 0;
}

// Room for one more label or cell.
char* reserve(Output& out) {
    if (out.used + longest_item > block_size) flush(out);
    return out.buffer + out.used;
}

void commit(Output& out, char* end) {
    out.used = static_cast<std::size_t>(end - out.buffer);
}

char* put_int(char* p, std::int64_t value) {
    return std::to_chars(p, p + 20, value).ptr;
}

// "Y3+L12\t" and its kin.
void put_row_label(Output& out, char first, std::int64_t a, char second, std::int64_t b) {
    char* p = reserve(out);
    *p++ = first;
    p = put_int(p, a);
    *p++ = '+';
    *p++ = second;
    p = put_int(p, b);
    *p++ = '\t';
    commit(out, p);
}

void put_header(Output& out, char prefix, std::int64_t levels) {
    char* p = reserve(out);
    std::memcpy(p, "ClustID\t", 8);
    commit(out, p + 8);
    for (std::int64_t k = 1; k <= levels; ++k) {
        p = reserve(out);
        *p++ = prefix;
        p = put_int(p, k);
        *p++ = k < levels ? '\t' : '\n';
        commit(out, p);
    }
}

// One cell: the value (centred on the grand mean unless `raw`) or the
// empty mark, then a tab or the line end.
inline void put_cell(Output& out, float x, bool raw, char empty_mark, bool last) {
    char* p = reserve(out);
    if (x == 0.0f) {
        *p++ = empty_mark;
    } else {
        // The difference is formed in double from the two floats.
        double shown =
            raw ? static_cast<double>(x) : static_cast<double>(x) - static_cast<double>(grand_mean);
        p = format_g(p, shown);
    }
    *p++ = last ? '\n' : '\t';
    commit(out, p);
}

} // namespace

bool write_cluster_matrix(std::FILE* stream, Layout layout) {
    static char buffer[block_size];
    Output out{stream, buffer, 0, false};

    switch (layout) {
    case Layout::variety:
        put_header(out, 'G', nVar);
        for (int y = 1; y <= nYear; ++y)
            for (int l = 1; l <= nLoc; ++l) {
                put_row_label(out, 'Y', y, 'L', l);
                for (int v = 1; v <= nVar; ++v)
                    put_cell(out, trait_cube[v][y][l], false, '.', v == nVar);
            }
        break;
    case Layout::year:
        put_header(out, 'Y', nYear);
        for (int l = 1; l <= nLoc; ++l)
            for (int v = 1; v <= nVar; ++v) {
                put_row_label(out, 'L', l, 'G', v);
                for (int y = 1; y <= nYear; ++y)
                    put_cell(out, trait_cube[v][y][l], true, ',', y == nYear);
            }
        break;
    case Layout::location:
        put_header(out, 'L', nLoc);
        for (int v = 1; v <= nVar; ++v)
            for (int y = 1; y <= nYear; ++y) {
                put_row_label(out, 'G', v, 'Y', y);
                for (int l = 1; l <= nLoc; ++l)
                    put_cell(out, trait_cube[v][y][l], false, '.', l == nLoc);
            }
        break;
    }
    flush(out);
    return !out.failed && !std::ferror(stream);
}
