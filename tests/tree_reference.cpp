#include "tree_reference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string_view>

Matrix plain_distances(const ClusterData& data) {
    const std::size_t n = data.labels.size(), rows = data.rows;
    Matrix d(n, std::vector<double>(n));
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = 0; b < n; ++b) {
            double sum = 0, shared = 0;
            for (std::size_t r = 0; r < rows; ++r) {
                const double x = data.values[a * rows + r], y = data.values[b * rows + r];
                if (!std::isnan(x) && !std::isnan(y)) sum += (x - y) * (x - y), ++shared;
            }
            d[a][b] = std::sqrt(double(rows) / shared * sum);
        }
    return d;
}

std::vector<Fusion> textbook(Matrix d, Linkage linkage, Matrix* cophenetic) {
    const std::size_t n = d.size();
    const bool ward = linkage == Linkage::ward;
    std::vector<double> size(n, 1);
    std::vector<std::int32_t> node(n);
    std::vector<std::size_t> slot(n); // of each level
    Matrix joined(n, std::vector<double>(n));
    for (std::size_t i = 0; i < n; ++i) {
        node[i] = -std::int32_t(i) - 1;
        slot[i] = i;
        for (double& x : d[i]) x = ward ? x * x : x;
    }
    std::vector<Fusion> fusions;
    for (std::size_t step = 1; step < n; ++step) {
        std::size_t a = n, b = n;
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = i + 1; j < n; ++j)
                if (size[i] && size[j] && (a == n || d[i][j] < d[a][b])) a = i, b = j;
        fusions.push_back({node[a], node[b], ward ? std::sqrt(d[a][b]) : d[a][b]});
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                if (slot[i] == a && slot[j] == b)
                    joined[i][j] = joined[j][i] = fusions.back().height;
        for (std::size_t x = 0; x < n; ++x) {
            if (!size[x] || x == a || x == b) continue;
            const double xa = d[x][a], xb = d[x][b], na = size[a], nb = size[b], nx = size[x];
            const double union_distance[] = {
                ((na + nx) * xa + (nb + nx) * xb - nx * d[a][b]) / (na + nb + nx),
                (na * xa + nb * xb) / (na + nb), std::max(xa, xb), std::min(xa, xb)};
            d[x][a] = d[a][x] = union_distance[int(linkage)];
        }
        size[a] += size[b];
        size[b] = 0; // closed
        node[a] = std::int32_t(step);
        for (std::size_t& s : slot) s = s == b ? a : s;
    }
    if (cophenetic) *cophenetic = joined;
    return fusions;
}

double plain_correlation(const Matrix& d, const Matrix& c) {
    std::vector<double> x, y;
    for (std::size_t i = 0; i < d.size(); ++i)
        for (std::size_t j = i + 1; j < d.size(); ++j) x.push_back(d[i][j]), y.push_back(c[i][j]);
    auto same = [](const std::vector<double>& v) {
        return std::all_of(v.begin(), v.end(), [&](double e) { return e == v[0]; });
    };
    if (x.empty() || same(x) || same(y)) return NAN;
    const double n = double(x.size());
    double mx = 0, my = 0, xx = 0, yy = 0, xy = 0;
    for (std::size_t k = 0; k < x.size(); ++k) mx += x[k] / n, my += y[k] / n;
    for (std::size_t k = 0; k < x.size(); ++k)
        xx += (x[k] - mx) * (x[k] - mx), yy += (y[k] - my) * (y[k] - my),
            xy += (x[k] - mx) * (y[k] - my);
    return xy / std::sqrt(xx * yy);
}

double read_node(const std::string& text, std::size_t& at, std::vector<std::string>& leaves,
                 std::vector<double>& heights) {
    if (text[at] != '(') {
        std::string label;
        if (text[at] == '\'') {
            for (++at; text[at] != '\'' || text[at + 1] == '\''; ++at) {
                if (text[at] == '\'') ++at; // the first of a doubled quote
                label += text[at];
            }
            ++at;
        } else {
            for (; std::string_view(":,);").find(text[at]) == std::string_view::npos; ++at)
                label += text[at] == '_' ? ' ' : text[at]; // as Newick reads a bare label
        }
        leaves.push_back(label);
        return 0;
    }
    double height[2];
    for (double& h : height) {
        ++at; // '(' or ','
        const double below = read_node(text, at, leaves, heights);
        EXPECT_EQ(text[at], ':');
        char* end;
        h = below + std::strtod(text.c_str() + at + 1, &end);
        at = std::size_t(end - text.c_str());
    }
    EXPECT_EQ(text[at++], ')');
    EXPECT_NEAR(height[0], height[1], 1e-9 * height[0]);
    heights.push_back(2 * height[0]);
    return height[0];
}

void expect_same_heights(std::vector<double> heights, std::vector<double> want) {
    std::sort(heights.begin(), heights.end());
    std::sort(want.begin(), want.end());
    ASSERT_EQ(heights.size(), want.size());
    for (std::size_t k = 0; k < heights.size(); ++k)
        EXPECT_NEAR(heights[k], want[k], 1e-9 * want[k]);
}
