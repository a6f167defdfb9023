#include "tree/agglomeration.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

// The Lance-Williams updates: the distance from cluster x to the union of a
// and b, from the distances x-a, x-b and a-b and the three clusters' sizes.
// The textbook forms, operation for operation, so that a tie that exact
// arithmetic would make is made here too.
static double ward_update(double xa, double xb, double ab, double na, double nb, double nx) {
    return ((na + nx) * xa + (nb + nx) * xb - nx * ab) / (na + nb + nx);
}
static double average_update(double xa, double xb, double, double na, double nb, double) {
    return (na * xa + nb * xb) / (na + nb);
}
static double complete_update(double xa, double xb, double, double, double, double) {
    return std::max(xa, xb);
}
static double single_update(double xa, double xb, double, double, double, double) {
    return std::min(xa, xb);
}

using Update = double (*)(double, double, double, double, double, double);

namespace {

// The clusters still open, each in the slot of its earliest level, so that a
// slot's number is the cluster's position and orders ties. Each slot keeps a
// bound `least`, never above its distance to any later open slot, and a
// candidate `nearest` among those (-1 when unknown) such that every open
// slot between the two is strictly farther than `least`. The candidate is
// therefore the true nearest, and the first of equals, exactly when its
// distance equals `least`. The slots sit in a binary heap ordered by
// (least, slot), so the top's true nearest gives the pair that fuses.
//
// Each fusion also sums the distances, as computed, between the levels of
// the two clusters it joins, for the cophenetic correlation: every such sum
// S(P, X) of two open clusters has one cell of the matrix. Of two levels
// alone it is their cell, which no update has touched. Otherwise it is in
// the cells of the slot that closed when the later-formed of the two was
// made (`home`), at the other's slot. A closed slot's cells are never read
// by the clustering, and a cluster's home holds one cell for every slot.
struct Clustering {
    std::int64_t count;
    double* distance; // condensed: slot pair (i, j), i < j, at offset[i] + j
    bool squared;     // Ward's: the cells of two levels alone hold d * d
    std::vector<std::int64_t> offset;
    // The open slots in order, `count` after the last. Slot 0 never closes:
    // a fusion closes the later of its two slots.
    std::vector<std::int32_t> next, previous;
    std::vector<double> size;
    std::vector<std::int32_t> node; // as Fusion writes it
    std::vector<std::int32_t> nearest;
    std::vector<double> least;
    std::vector<std::int32_t> heap, place; // place[slot]: its index in heap, -1 when out
    std::vector<std::int32_t> home;        // of a slot's cluster of two levels or more
    std::vector<double> joined;            // each fusion's sum of distances joined

    double& at(std::int64_t i, std::int64_t j) { return distance[offset[i] + j]; }
    double& cell(std::int64_t i, std::int64_t j) { return i < j ? at(i, j) : at(j, i); }
};

} // namespace

static bool goes_before(const Clustering& c, std::int32_t x, std::int32_t y) {
    return c.least[x] < c.least[y] || (c.least[x] == c.least[y] && x < y);
}

static void put(Clustering& c, std::size_t index, std::int32_t slot) {
    c.heap[index] = slot;
    c.place[slot] = static_cast<std::int32_t>(index);
}

// Moves the slot at heap[index] up or down until the heap is ordered again.
static void restore_heap(Clustering& c, std::size_t index) {
    const std::int32_t slot = c.heap[index];
    while (index > 0 && goes_before(c, slot, c.heap[(index - 1) / 2])) {
        put(c, index, c.heap[(index - 1) / 2]);
        index = (index - 1) / 2;
    }
    for (;;) {
        std::size_t child = 2 * index + 1;
        if (child >= c.heap.size()) break;
        if (child + 1 < c.heap.size() && goes_before(c, c.heap[child + 1], c.heap[child])) ++child;
        if (!goes_before(c, c.heap[child], slot)) break;
        put(c, index, c.heap[child]);
        index = child;
    }
    put(c, index, slot);
}

static void remove_from_heap(Clustering& c, std::int32_t slot) {
    const auto index = static_cast<std::size_t>(c.place[slot]);
    const std::int32_t last = c.heap.back();
    c.heap.pop_back();
    c.place[slot] = -1;
    if (last == slot) return;
    put(c, index, last);
    restore_heap(c, index);
}

// Scans the open slots after `slot` for its nearest, the first of equals.
static void find_nearest(Clustering& c, std::int32_t slot) {
    double best = std::numeric_limits<double>::infinity();
    std::int32_t nearest = -1;
    for (std::int32_t other = c.next[slot]; other < c.count; other = c.next[other]) {
        const double d = c.at(slot, other);
        if (d < best) {
            best = d;
            nearest = other;
        }
    }
    c.nearest[slot] = nearest;
    c.least[slot] = best;
    restore_heap(c, static_cast<std::size_t>(c.place[slot]));
}

// The cell that holds the sum of distances between the clusters of open
// slots p and x, of which one at least has two levels or more; a cluster
// formed later has a higher node.
static double& sum_cell(Clustering& c, std::int32_t p, std::int32_t x) {
    return c.node[p] > c.node[x] ? c.cell(c.home[p], x) : c.cell(c.home[x], p);
}

// The sum between slots p and x, whose distance in the matrix is `px`.
static double joined_sum(Clustering& c, std::int32_t p, std::int32_t x, double px) {
    // sqrt(d * d) is d again to the bit while d * d neither overflows nor
    // underflows, under round-to-nearest.
    if (c.node[p] < 0 && c.node[x] < 0) return c.squared ? std::sqrt(px) : px;
    return sum_cell(c, p, x);
}

// Asks for the cells that the fusion of a and b reads of slot x before they
// are read: each x has them in another row, and the clustering would
// otherwise wait on memory for each in turn.
[[gnu::always_inline]] static inline void prefetch_cells(Clustering& c, std::int32_t a,
                                                         std::int32_t b, std::int32_t x) {
    __builtin_prefetch(&c.cell(a, x));
    __builtin_prefetch(&c.cell(b, x));
    if (c.node[a] > 0 || c.node[x] > 0) __builtin_prefetch(&sum_cell(c, a, x));
    if (c.node[b] > 0 || c.node[x] > 0) __builtin_prefetch(&sum_cell(c, b, x));
}

// Fuses slot b into slot a (a < b): a's distances become the union's, b
// closes, and every candidate the fusion spoils is put right or marked
// unknown, keeping `least` below every distance it bounds. b's cells become
// the union's home, each sum read before its cell is written over.
template <Update update>
static void fuse(Clustering& c, std::int32_t a, std::int32_t b) {
    const double ab = c.at(a, b);
    const double na = c.size[a], nb = c.size[b];
    c.joined.push_back(joined_sum(c, a, b, ab));
    constexpr int prefetch_distance = 8; // open slots ahead
    std::int32_t ahead = 0;
    for (int i = 0; i < prefetch_distance && ahead < c.count; ++i) ahead = c.next[ahead];
    for (std::int32_t x = 0; x < c.count; x = c.next[x]) {
        if (ahead < c.count) {
            if (ahead != a && ahead != b) prefetch_cells(c, a, b, ahead);
            ahead = c.next[ahead];
        }
        if (x == a || x == b) continue;
        double& xa = x < a ? c.at(x, a) : c.at(a, x);
        double& xb = c.cell(b, x);
        const double sum = joined_sum(c, a, x, xa) + joined_sum(c, b, x, xb);
        xa = update(xa, xb, ab, na, nb, c.size[x]);
        xb = sum;
        if (x < a) {
            // a takes over as b's candidate: the slots between x and a were
            // strictly farther than `least` already, as all before b were.
            if (c.nearest[x] == b) c.nearest[x] = a;
            if (xa < c.least[x] || (xa == c.least[x] && a < c.nearest[x])) {
                c.least[x] = xa;
                c.nearest[x] = a;
                restore_heap(c, static_cast<std::size_t>(c.place[x]));
            }
        } else if (x < b && c.nearest[x] == b) {
            // No slot after x is known to be as near as b was: x looks
            // again when it comes to the top.
            c.nearest[x] = -1;
        }
    }
    c.size[a] = na + nb;
    const std::int32_t before = c.previous[b], after = c.next[b];
    c.next[before] = after;
    if (after < c.count) c.previous[after] = before;
    remove_from_heap(c, b);
    c.home[a] = b;
    find_nearest(c, a);
}

template <Update update>
static std::vector<Fusion> cluster(Clustering& c) {
    const auto count = static_cast<std::int32_t>(c.count);
    std::vector<Fusion> fusions;
    fusions.reserve(static_cast<std::size_t>(count > 0 ? count - 1 : 0));
    for (std::int32_t step = 1; step < count; ++step) {
        std::int32_t a = c.heap.front(), b = c.nearest[a];
        while (b < 0 || c.at(a, b) != c.least[a]) {
            find_nearest(c, a);
            // Still on top without a neighbour: every bound is infinite, so
            // the pairs left are all NaN. Stopping rather than looping.
            if (c.nearest[a] < 0 && c.heap.front() == a) return fusions;
            a = c.heap.front();
            b = c.nearest[a];
        }
        // A level at the centroid of the two that fuse is at a squared
        // distance of 0, which rounding may leave a hair below it.
        const double height = c.squared ? std::sqrt(std::max(c.least[a], 0.0)) : c.least[a];
        fusions.push_back({c.node[a], c.node[b], height});
        fuse<update>(c, a, b);
        c.node[a] = step;
    }
    return fusions;
}

std::vector<Fusion> agglomerate(Distances distances, Linkage linkage, std::vector<double>* joined) {
    Clustering c;
    c.count = distances.count;
    c.distance = distances.values.get();
    const std::int64_t n = c.count;
    const bool ward = linkage == Linkage::ward;
    c.squared = ward;
    if (ward)
        for (std::int64_t i = 0; i < pair_count(n); ++i) c.distance[i] *= c.distance[i];

    const auto slots = static_cast<std::size_t>(n);
    c.offset.resize(slots);
    c.next.resize(slots);
    c.previous.resize(slots);
    c.size.assign(slots, 1);
    c.node.resize(slots);
    c.nearest.resize(slots);
    c.least.resize(slots);
    c.heap.resize(slots);
    c.place.resize(slots);
    c.home.resize(slots);
    c.joined.reserve(slots);
    for (std::int32_t i = 0; i < n; ++i) {
        c.offset[i] = pair_index(n, i, i + 1) - (i + 1);
        c.next[i] = i + 1;
        c.previous[i] = i - 1;
        c.node[i] = -(i + 1);
        c.least[i] = -std::numeric_limits<double>::infinity();
        put(c, static_cast<std::size_t>(i), i);
    }
    for (std::int32_t i = 0; i < n; ++i) find_nearest(c, i);
    static constexpr struct {
        Linkage linkage;
        std::vector<Fusion> (*run)(Clustering&);
    } methods[] = {
        {Linkage::ward, cluster<ward_update>},
        {Linkage::average, cluster<average_update>},
        {Linkage::complete, cluster<complete_update>},
        {Linkage::single, cluster<single_update>},
    };
    std::vector<Fusion> fusions;
    for (const auto& method : methods)
        if (method.linkage == linkage) fusions = method.run(c);
    if (joined) *joined = std::move(c.joined);
    return fusions;
}
