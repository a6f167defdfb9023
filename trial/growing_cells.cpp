#include "trial/growing_cells.h"

#include "base/checked_size.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

std::int64_t cell_bytes(const GrowingCells& g) {
    const std::int64_t per_trait = g.means ? sizeof(double) + sizeof(std::int64_t) : sizeof(float);
    return g.traits * per_trait + (g.blocks_met ? sizeof(std::uint64_t) : 0);
}

// The bytes of a room of these sizes; false beyond any integer.
bool room_bytes(const GrowingCells& g, const std::int64_t sizes[3], std::int64_t& bytes) {
    return multiply_checked(sizes[0], sizes[1], bytes) &&
           multiply_checked(bytes, sizes[2], bytes) &&
           multiply_checked(bytes, cell_bytes(g), bytes);
}

// Each array of the cells in turn, with its element's size and what an
// empty cell holds in it.
template <class Each>
void each_array(GrowingCells& g, Each each) {
    static constexpr float empty = std::numeric_limits<float>::quiet_NaN();
    for (float*& cells : g.cells)
        each(cells, [](float* at, std::size_t n) { std::fill_n(at, n, empty); });
    for (double*& sums : g.sums)
        each(sums, [](double* at, std::size_t n) { std::fill_n(at, n, 0.0); });
    for (std::int64_t*& counts : g.counts)
        each(counts, [](std::int64_t* at, std::size_t n) { std::fill_n(at, n, 0); });
    if (g.blocks_met) each(g.met, [](std::uint64_t* at, std::size_t n) { std::fill_n(at, n, 0); });
}

// Moves the cells [v][y][1..from[2]] of a room of sizes `from` to their
// places in one of sizes `to`, each at least as large; `into` may be
// `from`'s own array where `to` is not larger (the places only go down,
// and the cells are moved in order).
template <class T>
void relay(const T* from_cells, const std::int64_t from[3], T* into, const std::int64_t to[3],
           const std::int64_t cells[3]) {
    for (std::int64_t v = 0; v < cells[0]; ++v)
        for (std::int64_t y = 0; y < cells[1]; ++y)
            std::memmove(into + (v * to[1] + y) * to[2], from_cells + (v * from[1] + y) * from[2],
                         static_cast<std::size_t>(cells[2]) * sizeof(T));
}

} // namespace

GrowingCells::~GrowingCells() {
    for (float* c : cells) std::free(c);
    for (double* s : sums) std::free(s);
    for (std::int64_t* c : counts) std::free(c);
    std::free(met);
}

bool make_room(GrowingCells& g, const std::int64_t largest[3]) {
    if (largest[0] <= g.room[0] && largest[1] <= g.room[1] && largest[2] <= g.room[2]) return true;
    if (g.cells.empty() && g.sums.empty()) {
        g.cells.assign(g.means ? 0 : static_cast<std::size_t>(g.traits), nullptr);
        g.sums.assign(g.means ? static_cast<std::size_t>(g.traits) : 0, nullptr);
        g.counts.assign(g.sums.size(), nullptr);
    }
    std::int64_t room[3];
    for (int f = 0; f < 3; ++f)
        room[f] = largest[f] <= g.room[f] ? g.room[f]
                                          : std::max(largest[f], g.room[f] + g.room[f] / 4 + 1);
    std::int64_t old_bytes = 0, new_bytes = 0, exact_bytes = 0, limit = 0, both = 0;
    if (!room_bytes(g, g.room, old_bytes) || !room_bytes(g, room, new_bytes) ||
        !room_bytes(g, largest, exact_bytes))
        return false;
    // The cells entered are among those of `largest`: no overflow.
    const std::int64_t cube_bytes = g.blocks_met ? g.entered * cell_bytes(g) : exact_bytes;
    if (!multiply_checked<std::int64_t>(cube_bytes, 2, limit) ||
        !add_checked(limit, static_cast<std::int64_t>(g.budget), limit) ||
        !add_checked(old_bytes, new_bytes, both) || both > limit ||
        static_cast<std::uint64_t>(both) > physical_memory())
        return false;
    const std::size_t count = static_cast<std::size_t>(room[0] * room[1] * room[2]);
    bool sound = true;
    // More varieties alone lengthen the cells: the ones there stay in
    // place, and a large block grows without being copied.
    if (g.room[0] != 0 && room[1] == g.room[1] && room[2] == g.room[2]) {
        const std::size_t had = static_cast<std::size_t>(g.room[0] * room[1] * room[2]);
        each_array(g, [&](auto*& cells, auto clear) {
            using T = std::remove_reference_t<decltype(*cells)>;
            T* longer = sound ? static_cast<T*>(std::realloc(cells, count * sizeof(T))) : nullptr;
            if (!longer) {
                sound = false;
                return;
            }
            clear(longer + had, count - had);
            cells = longer;
        });
        if (sound) g.room[0] = room[0];
        return sound;
    }
    each_array(g, [&](auto*& cells, auto clear) {
        using T = std::remove_reference_t<decltype(*cells)>;
        T* grown = sound ? static_cast<T*>(std::malloc(count * sizeof(T))) : nullptr;
        if (!grown) {
            sound = false;
            return;
        }
        clear(grown, count);
        if (cells) relay(cells, g.room, grown, room, g.room);
        std::free(cells);
        cells = grown;
    });
    if (!sound) return false;
    std::copy_n(room, 3, g.room);
    return true;
}

void close_up(GrowingCells& g, const std::int64_t counts[3]) {
    const std::size_t count = static_cast<std::size_t>(counts[0] * counts[1] * counts[2]);
    each_array(g, [&](auto*& cells, auto) {
        using T = std::remove_reference_t<decltype(*cells)>;
        relay(cells, g.room, cells, counts, counts);
        // A block that can't shrink in place stays as it is.
        if (T* shrunk =
                static_cast<T*>(std::realloc(cells, std::max<std::size_t>(count, 1) * sizeof(T))))
            cells = shrunk;
    });
    std::copy_n(counts, 3, g.room);
}

void move_into_cube(const GrowingCells& g, CubeBuilder& cube, const std::int32_t* const* level_of) {
    const std::int64_t* const counts = g.room;
    auto level = [&](int f, std::int64_t id) -> std::int64_t {
        return level_of ? level_of[f][id - 1] : id;
    };
    const bool sparse = cube.levels.sparse;
    std::int64_t from = 0;
    for (std::int64_t v = 1; v <= counts[0]; ++v)
        for (std::int64_t y = 1; y <= counts[1]; ++y)
            for (std::int64_t l = 1; l <= counts[2]; ++l, ++from) {
                const std::int64_t at[3] = {level(0, v), level(1, y), level(2, l)};
                std::int64_t cell;
                if (sparse) {
                    // Only the cells that records entered take a slot.
                    if (g.met[from] == 0) continue;
                    cell = sparse_cell(cube, at[0], at[1], at[2]);
                } else {
                    cell = dense_cell(cube.levels, at[0], at[1], at[2]);
                    if (g.blocks_met && g.met[from] != 0)
                        mark_pairs(cube.levels, at[0], at[1], at[2]);
                }
                for (std::size_t k = 0; k < cube.traits.size(); ++k) {
                    TraitCells& trait = cube.traits[k];
                    if (g.means) {
                        trait.sums[cell] = g.sums[k][from];
                        trait.counts[cell] = g.counts[k][from];
                    } else {
                        trait.cells[cell] = g.cells[k][from];
                    }
                }
            }
}
