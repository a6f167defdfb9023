#include "table_reference.h"

#include "matrix/matrix_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

namespace {

// The plots read plainly: a factor's levels are its values as written, by
// number (then by text) when all are whole numbers and labelled with the
// factor's letter, else in the order they first appear and labelled by the
// value alone; rows are the pairs that occur; a cell holds its values.
struct PlainTable {
    std::vector<std::string> labels[3];
    std::map<std::tuple<int, int, int>, std::vector<double>> cells;
    std::set<std::pair<int, int>> pairs[3];
    double sum = 0;
    int count = 0;
};

PlainTable read_plainly(const std::vector<Plot>& plots) {
    auto whole = [](const std::string& text) {
        std::size_t digits = text.find_first_not_of("+-") == 1 ? 1 : 0;
        return text.size() > digits && text.size() - digits <= 18 &&
               text.find_first_not_of("0123456789", digits) == std::string::npos;
    };
    const char prefix[] = "GYL";
    PlainTable t;
    std::map<std::string, int> level_of[3];
    for (int f = 0; f < 3; ++f) {
        std::vector<std::string> values;
        for (const Plot& p : plots)
            values.push_back(f == 0 ? p.variety : f == 1 ? p.year : p.location);
        bool numeric = std::all_of(values.begin(), values.end(), whole);
        std::map<std::pair<long long, std::string>, int> numbers;
        for (const std::string& value : values) {
            if (numeric) {
                numbers.emplace(std::pair{std::stoll(value), value}, 0);
            } else if (level_of[f].emplace(value, int(t.labels[f].size()) + 1).second) {
                t.labels[f].push_back(value);
            }
        }
        for (auto& [number, level] : numbers) {
            t.labels[f].push_back(prefix[f] + number.second);
            level_of[f][number.second] = int(t.labels[f].size());
        }
    }
    for (const Plot& p : plots) {
        const int at[3] = {level_of[0][p.variety], level_of[1][p.year], level_of[2][p.location]};
        for (int f = 0; f < 3; ++f) t.pairs[f].insert({at[f], at[(f + 1) % 3]});
        if (p.trait == "NA" || p.trait.empty()) continue;
        const double value = std::strtod(p.trait.c_str(), nullptr);
        t.cells[{at[0], at[1], at[2]}].push_back(value);
        t.sum += value;
        ++t.count;
    }
    return t;
}

} // namespace

std::string reference_matrix(const std::vector<Plot>& plots, int layout, bool means) {
    const PlainTable t = read_plainly(plots);
    const auto& [labels, cells, pairs, sum, count] = t;
    const float mean = static_cast<float>(sum / count);
    const int column = layout - 1, outer = (column + 1) % 3, inner = (column + 2) % 3;
    std::string text = "ClustID";
    for (const std::string& label : labels[column]) text += '\t' + label;
    for (int a = 1; a <= int(labels[outer].size()); ++a)
        for (int b = 1; b <= int(labels[inner].size()); ++b) {
            if (!pairs[outer].count({a, b})) continue;
            text += '\n' + labels[outer][a - 1] + '+' + labels[inner][b - 1];
            for (int c = 1; c <= int(labels[column].size()); ++c) {
                int at[3];
                at[column] = c, at[outer] = a, at[inner] = b;
                auto cell = cells.find({at[0], at[1], at[2]});
                if (cell == cells.end()) {
                    text += layout == 2 ? "\t," : "\t.";
                    continue;
                }
                const std::vector<double>& values = cell->second;
                const float x =
                    means ? static_cast<float>(std::accumulate(values.begin(), values.end(), 0.0) /
                                               double(values.size()))
                          : static_cast<float>(values.back());
                char number[32];
                std::snprintf(number, sizeof number, "%g",
                              layout == 2 ? double(x) + 0.0 : double(x) - double(mean));
                if (char* e = std::strchr(number, 'e'); e && std::strlen(e + 2) < 3) {
                    std::memmove(e + 3, e + 2, std::strlen(e + 2) + 1);
                    e[2] = '0';
                }
                text += '\t' + std::string(number);
            }
        }
    return text + '\n';
}

ClusterData reference_columns(const std::vector<Plot>& plots, int layout) {
    const PlainTable t = read_plainly(plots);
    const int column = layout - 1, outer = (column + 1) % 3, inner = (column + 2) % 3;
    ClusterData data{std::int64_t(t.pairs[outer].size()), t.labels[column], {}, {}};
    for (int c = 1; c <= int(t.labels[column].size()); ++c)
        for (const auto& [a, b] : t.pairs[outer]) {
            int at[3];
            at[column] = c, at[outer] = a, at[inner] = b;
            const auto cell = t.cells.find({at[0], at[1], at[2]});
            data.values.push_back(cell == t.cells.end() ? NAN : float(cell->second.back()));
        }
    return data;
}

std::string matrix_of(const TraitCube& cube, Layout layout) {
    std::FILE* matrix = std::tmpfile();
    EXPECT_TRUE(write_cluster_matrix(matrix, cube, layout));
    std::string written(static_cast<std::size_t>(std::ftell(matrix)), '\0');
    std::rewind(matrix);
    EXPECT_EQ(std::fread(written.data(), 1, written.size(), matrix), written.size());
    std::fclose(matrix);
    return written;
}
