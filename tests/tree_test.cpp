// Clustering the matrix's columns: each stage against a plain computation
// (tree_reference.h: a textbook O(n^3) loop for the fusions), ties included.
#include "base/random.h"
#include "tree/additive_fill.h"
#include "tree/agglomeration.h"
#include "tree/centring.h"
#include "tree/cophenetic.h"
#include "tree/group_table.h"
#include "tree/groups.h"
#include "tree/newick.h"
#include "tree/participation.h"
#include "tree_reference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <numeric>
#include <string_view>

namespace {

constexpr Linkage linkages[] = {Linkage::ward, Linkage::average, Linkage::complete,
                                Linkage::single};

// Levels G1, G2, ... written one digit a row, '.' for an empty cell.
ClusterData levels(const std::vector<std::string>& texts) {
    ClusterData data{std::int64_t(texts[0].size()), {}, {}, {}};
    for (const std::string& text : texts) {
        data.labels.push_back(std::string(1, 'G') += std::to_string(data.labels.size() + 1));
        for (char c : text) data.values.push_back(c == '.' ? NAN : float(c - '0'));
    }
    return data;
}

// Digits below `spread` (ties galore when it is small), about
// `empty_percent` of the cells empty.
ClusterData random_levels(int count, int rows, std::uint64_t seed, unsigned spread,
                          unsigned empty_percent) {
    std::vector<std::string> texts(count);
    for (std::string& text : texts)
        while (text.size() < std::size_t(rows))
            text += next_random(seed) % 100 < empty_percent
                        ? '.'
                        : char('0' + next_random(seed) % spread);
    return levels(texts);
}

Distances condensed(const Matrix& d) {
    Distances distances = allocate_distances(std::int64_t(d.size()));
    for (std::size_t i = 0; i < d.size(); ++i)
        for (std::size_t j = i + 1; j < d.size(); ++j)
            distances.values[pair_index(d.size(), i, j)] = d[i][j];
    return distances;
}

void expect_same_fusions(const std::vector<Fusion>& got, const std::vector<Fusion>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].first, want[k].first) << "fusion " << k + 1;
        EXPECT_EQ(got[k].second, want[k].second) << "fusion " << k + 1;
        EXPECT_NEAR(got[k].height, want[k].height, 1e-9 * want[k].height) << "fusion " << k + 1;
    }
}

// The correlation from the clustering's own sums against the plain one over
// the textbook's tree; "-" where that is undefined.
void expect_plain_correlation(const Matrix& d, Linkage linkage) {
    Matrix c;
    textbook(d, linkage, &c);
    const double want = plain_correlation(d, c);
    Distances distances = condensed(d);
    const DistanceSums sums = distance_sums(distances);
    std::vector<double> joined;
    const std::vector<Fusion> fusions = agglomerate(std::move(distances), linkage, &joined);
    const std::optional<double> got = cophenetic_correlation(sums, fusions, joined);
    if (std::isnan(want))
        EXPECT_EQ(cophenetic_text(got), "-");
    else
        EXPECT_NEAR(got.value_or(NAN), want, 1e-12);
}

TEST(Tree, LeavesOutLevelsWithTooFewValuesThenTheWorstSpoilers) {
    auto with = [](char level) { return std::string("shares fewer than 2 rows with G") + level; };
    const struct {
        const char* what;
        std::vector<std::string> levels;
        std::int64_t min_rows;
        std::vector<std::string> notes;
    } cases[] = {
        {"too few values", {"1..", "11.", "111"}, 2, {"fewer than 2 values", "", ""}},
        {"no value at all", {"...", "1.."}, 1, {"no value", ""}},
        {"the most spoilt pairs", {"11..", "..11", "1111", "11.1"}, 2, {"", with('1'), "", ""}},
        {"a tie: fewer values", {"..11", "111."}, 2, {with('2'), ""}},
        {"a tie: the later", {"11..", "..11"}, 2, {"", with('1')}},
        // G1 goes first; G3 then names G4, the earliest left, not G1.
        {"earliest",
         {"11......", "..1111..", "..11..1.", "....1111"},
         2,
         {with('2'), "", with('4'), ""}},
        // G1 goes first while G2 remains, G2 next: G1's note names G3, which stays.
        {"never a level left out",
         {"..11...", "....111", "11..11.", "11..11.", "1111...", "1111..."},
         2,
         {with('3'), with('5'), "", "", "", ""}},
        // G1 goes first, then both levels it spoilt: it shares enough with the rest.
        {"spoilt only by levels left out later",
         {"11.......", "..1111...", "..11..11.", "11....111", "11..11..1"},
         2,
         {"shares fewer than 2 rows with levels left out after it", with('4'), with('5'), "", ""}},
    };
    for (const auto& c : cases) {
        const ClusterData data = levels(c.levels);
        const Participation part = choose_levels(data, c.min_rows);
        for (std::size_t level = 0; level < c.notes.size(); ++level)
            EXPECT_EQ(left_out_note(part.levels[level], data.labels, c.min_rows, "varieties"),
                      c.notes[level])
                << c.what;
    }
}

// R's lm(value ~ row + level) predictions, by the normal equations of the
// observed cells solved directly (the last level's effect set to 0, which
// moves no prediction of a connected design).
std::vector<double> least_squares_fit(const ClusterData& data) {
    const std::size_t rows = data.rows, n = data.labels.size(), unknowns = rows + n - 1;
    Matrix a(unknowns, std::vector<double>(unknowns + 1, 0.0));
    for (std::size_t c = 0; c < n; ++c)
        for (std::size_t r = 0; r < rows; ++r) {
            const double y = data.values[c * rows + r];
            if (std::isnan(y)) continue;
            std::vector<std::size_t> x = {r};
            if (c + 1 < n) x.push_back(rows + c);
            for (std::size_t i : x) {
                for (std::size_t j : x) a[i][j] += 1;
                a[i][unknowns] += y;
            }
        }
    for (std::size_t k = 0; k < unknowns; ++k) { // Gauss-Jordan, partial pivoting
        std::size_t pivot = k;
        for (std::size_t i = k; i < unknowns; ++i)
            if (std::fabs(a[i][k]) > std::fabs(a[pivot][k])) pivot = i;
        std::swap(a[k], a[pivot]);
        for (std::size_t i = 0; i < unknowns; ++i) {
            if (i == k) continue;
            const double factor = a[i][k] / a[k][k];
            for (std::size_t j = k; j <= unknowns; ++j) a[i][j] -= factor * a[k][j];
        }
    }
    std::vector<double> fit(n * rows);
    for (std::size_t c = 0; c < n; ++c)
        for (std::size_t r = 0; r < rows; ++r)
            fit[c * rows + r] = a[r][unknowns] / a[r][r] +
                                (c + 1 < n ? a[rows + c][unknowns] / a[rows + c][rows + c] : 0.0);
    return fit;
}

TEST(Tree, FillsEmptyCellsWithTheAdditiveModelsLeastSquaresFit) {
    // A chain of cohorts, each meeting the next in one row only.
    std::string chain[12];
    for (int c = 0; c < 12; ++c)
        for (int r = 0; r < 9; ++r)
            chain[c] += r == c / 2 || r == c / 2 + 1 || (c % 5 == 0 && r > 6)
                            ? char('0' + (c * 7 + r * 3) % 10)
                            : '.';
    const struct {
        const char* what;
        ClusterData data;
    } cases[] = {
        {"connected", levels({"15.7", "2.63", "941.", "7.80"})},
        {"a level with one value", levels({"1...", "2563", "9410", "78.0"})},
        {"a row with one value", levels({"1..7", "256.", "941.", "780."})},
        {"nothing to fill", levels({"157", "263", "941"})},
        {"sparse and random", random_levels(40, 15, 7, 10, 60)},
        {"a chain of cohorts", levels(std::vector<std::string>(chain, chain + 12))},
    };
    for (const auto& c : cases) {
        std::vector<std::int32_t> all(c.data.labels.size());
        std::iota(all.begin(), all.end(), 0);
        ASSERT_EQ(connected_levels(c.data, all), all) << c.what;
        ClusterData data = c.data;
        const std::vector<double> want = least_squares_fit(data);
        const std::vector<std::int64_t> filled = fill_additive(data, all);
        double sum = 0, squares = 0, n = 0;
        for (double y : c.data.values)
            if (!std::isnan(y)) sum += y, squares += y * y, ++n;
        const double sd = std::sqrt((squares - sum * sum / n) / (n - 1));
        for (std::size_t level = 0; level < all.size(); ++level) {
            std::int64_t empty = 0;
            for (std::int64_t r = 0; r < data.rows; ++r) {
                const std::size_t cell = level * data.rows + r;
                const double observed = c.data.values[cell];
                empty += std::isnan(observed);
                EXPECT_NEAR(data.values[cell], std::isnan(observed) ? want[cell] : observed,
                            1e-9 * sd)
                    << c.what << " G" << level + 1 << " row " << r;
            }
            EXPECT_EQ(filled[level], empty) << c.what;
        }
    }
}

TEST(Tree, KeepsTheLargestSetLinkedThroughRowsAndTheRowsItUses) {
    const struct {
        const char* what;
        std::vector<std::string> levels;
        std::vector<std::int32_t> kept;
        std::int64_t rows;
    } cases[] = {
        {"two sets", {"11....", "..11..", "...11.", "....11"}, {1, 2, 3}, 4},
        {"a tie: the set of the earliest", {"1...", "..1.", ".1..", "...1"}, {0}, 1},
        {"a tie of two", {"11..", "..11", ".1..", "...1"}, {0, 2}, 2},
        {"linked through a third", {"1..", "..1", "111"}, {0, 1, 2}, 3},
    };
    for (const auto& c : cases) {
        ClusterData data = levels(c.levels);
        std::vector<std::int32_t> all(data.labels.size());
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(connected_levels(data, all), c.kept) << c.what;
        drop_empty_rows(data, c.kept);
        EXPECT_EQ(data.rows, c.rows) << c.what;
        EXPECT_EQ(data.values.size(), data.labels.size() * std::size_t(c.rows)) << c.what;
    }
    // The rows kept are those of the set, in order, for every level.
    ClusterData data = levels({"1.2.", "..3.", "4.56"});
    drop_empty_rows(data, {0, 1});
    EXPECT_EQ(data.values[0], 1);
    EXPECT_EQ(data.values[3], 3);
    EXPECT_EQ(data.values[5], 5);
}

TEST(Tree, CentresAndScalesEachLevelOnItsOwnValues) {
    ClusterData data = levels({"1.35", "2222", "4.4.", "7..."});
    const std::vector<std::int32_t> all = {0, 1, 2, 3};
    ClusterData centred = data;
    EXPECT_EQ(centre_levels(centred, all, false), (std::vector<char>{0, 0, 0, 0}));
    EXPECT_EQ(centre_levels(data, all, true), (std::vector<char>{0, 1, 1, 1}));
    // G1: 1, 3, 5, mean 3, sd 2.
    const double want_centred[] = {-2, NAN, 0, 2}, want_scaled[] = {-1, NAN, 0, 1};
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(std::isnan(centred.values[r]), std::isnan(want_centred[r]));
        if (!std::isnan(want_centred[r])) {
            EXPECT_DOUBLE_EQ(centred.values[r], want_centred[r]);
            EXPECT_DOUBLE_EQ(data.values[r], want_scaled[r]);
        }
        EXPECT_EQ(centred.values[4 + r], 0); // no variation, yet centred
        EXPECT_EQ(data.values[4 + r], 2);    // left as it was, to be left out
    }
}

TEST(Tree, DistancesAndFusionsAsPlainlyComputedTiesIncluded) {
    // The loop itself, by hand: 0, 1, 3, 7 on a line; Ward's last height is
    // sqrt(2 * 3 * 1 / 4) times the distance of 7 from the centroid 4/3.
    const Matrix line = plain_distances(levels({"0", "1", "3", "7"}));
    const double second[] = {std::sqrt(25.0 / 3), 2.5, 3, 2};
    const double last[] = {std::sqrt(1.5) * (7 - 4.0 / 3), 17.0 / 3, 7, 4};
    for (Linkage l : linkages)
        expect_same_fusions(textbook(line, l),
                            {{-1, -2, 1}, {1, -3, second[int(l)]}, {2, -4, last[int(l)]}});
    const ClusterData cases[] = {
        levels({"0", "1", "2", "3", "1", "0"}), // equal gaps, equal points
        levels({"5", "0", "1", "6"}),           // later levels fuse first
        levels({"100", "010", "001"}),          // every distance the same
        // G2 and G4 fuse; the union is then as near G1 as G3 is, and before it.
        levels({"00", "03", "20", "02"}),
        levels({"1.34", ".630", "22.2", "9999"}), // empty cells
        random_levels(60, 3, 1, 3, 0),            // ties everywhere
        random_levels(300, 43, 2, 10, 30),        // tiles of levels, lanes and a tail
        // Levels with every row and levels without, in four bands of tiles,
        // values whose squares round.
        [] {
            ClusterData data = random_levels(200, 70, 3, 10, 1);
            for (double& value : data.values) value /= 7;
            return data;
        }(),
    };
    for (const ClusterData& data : cases) {
        const Matrix d = plain_distances(data);
        std::vector<std::int32_t> all(data.labels.size());
        std::iota(all.begin(), all.end(), 0);
        const Distances got = level_distances(data, all);
        for (std::size_t i = 0; i < d.size(); ++i)
            for (std::size_t j = i + 1; j < d.size(); ++j)
                EXPECT_NEAR(got.values[pair_index(d.size(), i, j)], d[i][j], 1e-13 * d[i][j]);
        // Shared among threads, every distance is the one thread's to the bit.
        for (int threads = 2; threads <= 8; ++threads)
            EXPECT_EQ(std::memcmp(level_distances(data, all, threads).values.get(),
                                  got.values.get(), pair_count(got.count) * sizeof(double)),
                      0)
                << threads << " threads";
        for (Linkage linkage : linkages) {
            SCOPED_TRACE(int(linkage));
            expect_same_fusions(agglomerate(condensed(d), linkage), textbook(d, linkage));
            expect_plain_correlation(d, linkage);
        }
    }
}

TEST(Tree, GroupsByMojenaOrAsAskedNumberedDownThePage) {
    const struct {
        const char* what;
        std::vector<double> heights;
        std::int64_t groups;
        double k = 1.25;
    } mojena[] = {
        {"one height far above", {1, 1, 1, 1, 10}, 2},
        // mean 2.8 + 2.75 sd (4.02) = 13.87
        {"Mojena's own k", {1, 1, 1, 1, 10}, 1, 2.75},
        {"two above", {1, 1, 1, 1, 1, 1, 1, 1, 9, 10}, 3},
        // A population's deviation (0.47) would set 1.92 and find 2 groups.
        {"a sample's deviation", {1, 1, 2}, 1},
        {"two levels", {5}, 1},
        {"all heights equal", {0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1}, 1},
        // mean 3 + 0.5 sd (1.58) = 3.79: 4 and 5 above
        {"a small k", {1, 2, 3, 4, 5}, 3, 0.5},
    };
    for (const auto& c : mojena) {
        std::vector<Fusion> chain;
        for (std::size_t k = 0; k < c.heights.size(); ++k)
            chain.push_back({k == 0 ? -1 : std::int32_t(k), -std::int32_t(k) - 2, c.heights[k]});
        EXPECT_EQ(mojena_groups(chain, c.k), c.groups) << c.what;
    }

    // 5, 0, 1, 6 by single linkage: {G1 G4} at 1, {G2 G3} at 1, all at 4.
    const auto tree = textbook(plain_distances(levels({"5", "0", "1", "6"})), Linkage::single);
    const struct {
        std::int64_t wanted;
        Groups want;
    } cuts[] = {
        {1, {1, false, {1, 1, 1, 1}, std::nullopt}},
        {2, {2, false, {1, 2, 2, 1}, 2.5}},
        {3, {3, false, {1, 2, 3, 1}, 1}},
        // Numbered down the page: G1 G4 G2 G3.
        {4, {4, false, {1, 3, 4, 2}, 0.5}},
        {9, {4, true, {1, 3, 4, 2}, 0.5}},
    };
    for (const auto& [wanted, want] : cuts) {
        const Groups got = cut_into_groups(tree, wanted);
        EXPECT_EQ(std::tie(got.count, got.capped, got.of_leaf, got.cut_height),
                  std::tie(want.count, want.capped, want.of_leaf, want.cut_height))
            << wanted;
    }
}

TEST(Tree, CopheneticCorrelationAsPlainlyComputed) {
    const ClusterData cases[] = {
        random_levels(30, 12, 3, 10, 20),
        levels({"0", "1"}),
        levels({"0", "1", "3"}),
        levels({"0", "1", "2"}),       // single linkage: every height the same
        levels({"100", "010", "001"}), // every distance the same
        levels({"1.", ".1", "11"}),    // G1 and G2 share no row: fusions short
        // G2 and G3 share no row, yet single and complete linkage join all.
        levels({"115", "1..", "..9"}),
    };
    for (const ClusterData& data : cases)
        for (Linkage linkage : linkages) {
            SCOPED_TRACE(data.labels.size());
            expect_plain_correlation(plain_distances(data), linkage);
        }
    // Ward's method finds the distances of two levels alone as the square
    // roots of their squares, the same doubles while neither under- nor
    // overflows.
    std::uint64_t seed = 11;
    for (int i = 0; i < 1000000; ++i) {
        const std::uint64_t bits = next_random(seed);
        const double d = std::ldexp(1 + double(bits >> 12) * 0x1p-52, int(bits % 1001) - 500);
        ASSERT_EQ(std::sqrt(d * d), d) << d;
    }
}

TEST(Tree, NewickReadsBackToTheSameLeavesOrderAndHeights) {
    ClusterData data = random_levels(9, 4, 5, 10, 0);
    data.labels = {"A", "B C", "it's", "x,y", "(p)", "a_b", "", "小麦", "\xd0\xa1\xc2\xf3"};
    for (Linkage linkage : linkages) {
        const std::vector<Fusion> fusions = textbook(plain_distances(data), linkage);
        const std::string text = newick_text(data.labels, {0, 1, 2, 3, 4, 5, 6, 7, 8}, fusions);
        std::vector<std::string> leaves, want_leaves;
        std::vector<double> heights, want_heights;
        for (const Fusion& fusion : fusions) want_heights.push_back(fusion.height);
        std::size_t at = 0;
        read_node(text, at, leaves, heights);
        EXPECT_EQ(text.substr(at), ";\n");
        for (std::int32_t leaf : leaf_order(fusions)) want_leaves.push_back(data.labels[leaf]);
        EXPECT_EQ(leaves, want_leaves);
        expect_same_heights(heights, want_heights);
    }
    data = levels({"0", "1", "3"});
    const std::vector<Fusion> line = textbook(plain_distances(data), Linkage::single);
    data.labels = {"A", "B C", "it's", "小麦"};
    EXPECT_EQ(newick_text(data.labels, {0, 1, 3}, line), "((A:0.5,'B C':0.5):0.5,小麦:1);\n");
    EXPECT_EQ(newick_text(data.labels, {0, 2, 1}, line), "((A:0.5,'it''s':0.5):0.5,'B C':1);\n");
}

TEST(Tree, GroupTableListsEveryLevelWithItsGroupOrWhyLeftOut) {
    const ClusterData data = levels({"1..", "000", "555", "111"});
    const Participation part = choose_levels(data, 2);
    const auto fusions = agglomerate(level_distances(data, part.clustered), Linkage::ward);
    EXPECT_EQ(group_table(data.labels, {"1", "2", "3", "4"}, part,
                          cut_into_groups(fusions, 2).of_leaf, 2, "varieties"),
              "label\tlevel\tgroup\tvalues\tfilled\tnote\nG1\t1\t.\t1\t.\tfewer than 2 values\n"
              "G2\t2\t1\t3\t0\t\nG3\t3\t2\t3\t0\t\nG4\t4\t1\t3\t0\t\n");
}

} // namespace
