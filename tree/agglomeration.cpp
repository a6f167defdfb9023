#include "tree/agglomeration.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

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
struct Clustering {
    std::int64_t count;
    double* distance; // condensed: slot pair (i, j), i < j, at offset[i] + j
    std::vector<std::int64_t> offset;
    // The open slots in order, `count` after the last. Slot 0 never closes:
    // a fusion closes the later of its two slots.
    std::vector<std::int32_t> next, previous;
    std::vector<double> size;
    std::vector<std::int32_t> node; // as Fusion writes it
    std::vector<std::int32_t> nearest;
    std::vector<double> least;
    std::vector<std::int32_t> heap, place; // place[slot]: its index in heap, -1 when out

    double& at(std::int64_t i, std::int64_t j) { return distance[offset[i] + j]; }
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

// Fuses slot b into slot a (a < b): a's distances become the union's, b
// closes, and every candidate the fusion spoils is put right or marked
// unknown, keeping `least` below every distance it bounds.
template <Update update>
static void fuse(Clustering& c, std::int32_t a, std::int32_t b) {
    const double ab = c.at(a, b);
    const double na = c.size[a], nb = c.size[b];
    for (std::int32_t x = 0; x < c.count; x = c.next[x]) {
        if (x == a || x == b) continue;
        double& xa = x < a ? c.at(x, a) : c.at(a, x);
        const double xb = x < b ? c.at(x, b) : c.at(b, x);
        xa = update(xa, xb, ab, na, nb, c.size[x]);
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
    find_nearest(c, a);
}

template <Update update>
static std::vector<Fusion> cluster(Clustering& c, bool squared) {
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
        const double height = squared ? std::sqrt(std::max(c.least[a], 0.0)) : c.least[a];
        fusions.push_back({c.node[a], c.node[b], height});
        fuse<update>(c, a, b);
        c.node[a] = step;
    }
    return fusions;
}

std::vector<Fusion> agglomerate(Distances distances, Linkage linkage) {
    Clustering c;
    c.count = distances.count;
    c.distance = distances.values.get();
    const std::int64_t n = c.count;
    const bool ward = linkage == Linkage::ward;
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
        std::vector<Fusion> (*run)(Clustering&, bool);
    } methods[] = {
        {Linkage::ward, cluster<ward_update>},
        {Linkage::average, cluster<average_update>},
        {Linkage::complete, cluster<complete_update>},
        {Linkage::single, cluster<single_update>},
    };
    for (const auto& method : methods)
        if (method.linkage == linkage) return method.run(c, ward);
    return {};
}
