#include "tree/additive_fill.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

static bool observed(double value) {
    return value == value;
}

static std::int32_t root_of(std::vector<std::int32_t>& parent, std::int32_t level) {
    while (parent[static_cast<std::size_t>(level)] != level) {
        const auto up = static_cast<std::size_t>(parent[static_cast<std::size_t>(level)]);
        parent[static_cast<std::size_t>(level)] = parent[up];
        level = parent[static_cast<std::size_t>(level)];
    }
    return level;
}

std::vector<std::int32_t> connected_levels(const ClusterData& data,
                                           const std::vector<std::int32_t>& candidates) {
    const std::size_t count = candidates.size();
    std::vector<std::int32_t> parent(count);
    for (std::size_t i = 0; i < count; ++i) parent[i] = static_cast<std::int32_t>(i);
    // Each row joins its levels to the first level seen in it.
    std::vector<std::int32_t> first_in_row(static_cast<std::size_t>(data.rows), -1);
    for (std::size_t i = 0; i < count; ++i) {
        const double* values = data.values.data() + candidates[i] * data.rows;
        for (std::int64_t row = 0; row < data.rows; ++row) {
            if (!observed(values[row])) continue;
            std::int32_t& first = first_in_row[static_cast<std::size_t>(row)];
            if (first < 0)
                first = static_cast<std::int32_t>(i);
            else
                parent[static_cast<std::size_t>(root_of(parent, static_cast<std::int32_t>(i)))] =
                    root_of(parent, first);
        }
    }
    std::vector<std::int64_t> size(count, 0);
    for (std::size_t i = 0; i < count; ++i)
        ++size[static_cast<std::size_t>(root_of(parent, static_cast<std::int32_t>(i)))];
    // Candidates in order: the first set to reach the largest size holds the
    // earliest level among the sets of that size.
    std::int32_t best = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t root = root_of(parent, static_cast<std::int32_t>(i));
        if (best < 0 || size[static_cast<std::size_t>(root)] > size[static_cast<std::size_t>(best)])
            best = root;
    }
    std::vector<std::int32_t> kept;
    for (std::size_t i = 0; i < count; ++i)
        if (root_of(parent, static_cast<std::int32_t>(i)) == best) kept.push_back(candidates[i]);
    return kept;
}

void drop_empty_rows(ClusterData& data, const std::vector<std::int32_t>& levels) {
    std::vector<char> used(static_cast<std::size_t>(data.rows), 0);
    for (std::int32_t level : levels) {
        const double* values = data.values.data() + level * data.rows;
        for (std::int64_t row = 0; row < data.rows; ++row)
            if (observed(values[row])) used[static_cast<std::size_t>(row)] = 1;
    }
    const auto kept = static_cast<std::int64_t>(std::count(used.begin(), used.end(), 1));
    if (kept == data.rows) return;
    // Moved forward in place: a value's new place is never after its old one.
    const auto levels_all = static_cast<std::int64_t>(data.labels.size());
    std::size_t to = 0;
    for (std::int64_t level = 0; level < levels_all; ++level)
        for (std::int64_t row = 0; row < data.rows; ++row)
            if (used[static_cast<std::size_t>(row)])
                data.values[to++] = data.values[static_cast<std::size_t>(level * data.rows + row)];
    data.values.resize(to);
    if (data.row_labels.size() == used.size()) {
        std::size_t label = 0;
        for (std::size_t row = 0; row < used.size(); ++row)
            if (used[row]) data.row_labels[label++].swap(data.row_labels[row]);
        data.row_labels.resize(label);
    }
    data.rows = kept;
}

namespace {

// The observed cells of the fitted levels, level by level (level i's are
// start[i] to start[i + 1]): each step of the solver goes over these alone,
// not over the empty cells too, which in a sparse trial are most.
struct Design {
    std::vector<std::int64_t> start;
    std::vector<std::int32_t> row;   // of each observed cell
    std::vector<double> value;       // each observed cell's value less the grand mean
    std::vector<double> row_count;   // observed cells of each row
    std::vector<double> level_count; // of each level
};

Design design_of(const ClusterData& data, const std::vector<std::int32_t>& levels, double& mu) {
    Design d;
    d.row_count.assign(static_cast<std::size_t>(data.rows), 0.0);
    d.start.push_back(0);
    double total = 0;
    for (std::int32_t level : levels) {
        const double* y = data.values.data() + level * data.rows;
        for (std::int64_t row = 0; row < data.rows; ++row) {
            if (!observed(y[row])) continue;
            d.row.push_back(static_cast<std::int32_t>(row));
            d.value.push_back(y[row]);
            total += y[row];
            ++d.row_count[static_cast<std::size_t>(row)];
        }
        d.start.push_back(static_cast<std::int64_t>(d.row.size()));
        d.level_count.push_back(static_cast<double>(d.start.back() - d.start[d.start.size() - 2]));
    }
    // The values centred on their grand mean, so that the effects solved
    // for are small beside the values and lose no digits to them.
    mu = d.value.empty() ? 0.0 : total / static_cast<double>(d.value.size());
    for (double& y : d.value) y -= mu;
    return d;
}

// With the row effects eliminated, the level effects b solve S b = rhs,
// S = D_levels - N' D_rows^-1 N (N the cells' incidence): out = S b.
void apply_schur(const Design& d, const std::vector<double>& b, std::vector<double>& row_mean,
                 std::vector<double>& out) {
    std::fill(row_mean.begin(), row_mean.end(), 0.0);
    for (std::size_t i = 0; i < b.size(); ++i)
        for (std::int64_t c = d.start[i]; c < d.start[i + 1]; ++c)
            row_mean[static_cast<std::size_t>(d.row[static_cast<std::size_t>(c)])] += b[i];
    for (std::size_t row = 0; row < row_mean.size(); ++row)
        if (d.row_count[row] > 0) row_mean[row] /= d.row_count[row];
    for (std::size_t i = 0; i < b.size(); ++i) {
        double sum = 0;
        for (std::int64_t c = d.start[i]; c < d.start[i + 1]; ++c)
            sum += row_mean[static_cast<std::size_t>(d.row[static_cast<std::size_t>(c)])];
        out[i] = d.level_count[i] * b[i] - sum;
    }
}

double dot(const std::vector<double>& x, const std::vector<double>& y) {
    double sum = 0;
    for (std::size_t i = 0; i < x.size(); ++i) sum += x[i] * y[i];
    return sum;
}

} // namespace

std::vector<std::int64_t> fill_additive(ClusterData& data,
                                        const std::vector<std::int32_t>& levels) {
    const std::size_t count = levels.size();
    const auto rows = static_cast<std::size_t>(data.rows);
    double mu = 0;
    const Design d = design_of(data, levels, mu);
    std::vector<double> row_sum(rows, 0.0);
    for (std::size_t c = 0; c < d.row.size(); ++c)
        row_sum[static_cast<std::size_t>(d.row[c])] += d.value[c];
    std::vector<double> rhs(count, 0.0);
    for (std::size_t i = 0; i < count; ++i)
        for (std::int64_t c = d.start[i]; c < d.start[i + 1]; ++c) {
            const auto row = static_cast<std::size_t>(d.row[static_cast<std::size_t>(c)]);
            rhs[i] += d.value[static_cast<std::size_t>(c)] - row_sum[row] / d.row_count[row];
        }

    // Conjugate gradients preconditioned by the levels' counts. S is
    // singular only along equal effects for every level (the design is
    // connected), which no prediction sees; the residual stays clear of it.
    // In exact arithmetic `count` steps solve it; the rest is for rounding.
    // A residual that no longer falls (rounding's floor) ends it too: 100
    // steps without halving it.
    std::vector<double> b(count, 0.0), r = rhs, z(count), p(count), q(count), row_mean(rows);
    const double target = 1e-28 * dot(rhs, rhs);
    double best = dot(rhs, rhs);
    std::size_t best_step = 0;
    auto precondition = [&] {
        for (std::size_t i = 0; i < count; ++i) z[i] = r[i] / d.level_count[i];
    };
    precondition();
    p = z;
    double rz = dot(r, z);
    for (std::size_t step = 0; step < 2 * count + 100 && step < best_step + 100; ++step) {
        const double residual = dot(r, r);
        if (!(residual > target)) break;
        if (residual < best / 4) {
            best = residual;
            best_step = step;
        }
        apply_schur(d, p, row_mean, q);
        const double pq = dot(p, q);
        if (!(pq > 0)) break;
        const double alpha = rz / pq;
        for (std::size_t i = 0; i < count; ++i) {
            b[i] += alpha * p[i];
            r[i] -= alpha * q[i];
        }
        precondition();
        const double next = dot(r, z);
        for (std::size_t i = 0; i < count; ++i) p[i] = z[i] + next / rz * p[i];
        rz = next;
    }

    // The row effects given the levels', then the empty cells.
    std::vector<double> row_effect = row_sum;
    for (std::size_t i = 0; i < count; ++i)
        for (std::int64_t c = d.start[i]; c < d.start[i + 1]; ++c)
            row_effect[static_cast<std::size_t>(d.row[static_cast<std::size_t>(c)])] -= b[i];
    for (std::size_t row = 0; row < rows; ++row)
        if (d.row_count[row] > 0) row_effect[row] /= d.row_count[row];
    std::vector<std::int64_t> filled(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        double* y = data.values.data() + levels[i] * data.rows;
        for (std::size_t row = 0; row < rows; ++row) {
            if (observed(y[row])) continue;
            y[row] = mu + row_effect[row] + b[i];
            ++filled[i];
        }
    }
    return filled;
}
