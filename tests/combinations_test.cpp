// Counting through the levels of nested factors, as the template does: the
// last combination ends the count even when a factor has INT_MAX levels,
// which a plain int loop would overflow on its way past.
#include "base/combinations.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

TEST(Combinations, StepLikeNestedLoopsAndEndAtTheLast) {
    constexpr std::int64_t most = INT_MAX;
    const struct {
        Levels<3> counts, from;
        bool more;
        Levels<3> to;
    } cases[] = {
        {{2, 3, 2}, {1, 1, 1}, true, {1, 1, 2}},
        {{2, 3, 2}, {1, 1, 2}, true, {1, 2, 1}},
        {{2, 3, 2}, {1, 3, 2}, true, {2, 1, 1}},
        {{2, 3, 2}, {2, 3, 2}, false, {1, 1, 1}},
        {{1, 1, most}, {1, 1, most - 1}, true, {1, 1, most}},
        {{1, 1, most}, {1, 1, most}, false, {1, 1, 1}},
        {{most, 1, most}, {most - 1, 1, most}, true, {most, 1, 1}},
        {{most, most, most}, {most, most, most}, false, {1, 1, 1}},
    };
    for (const auto& c : cases) {
        Levels<3> levels = c.from;
        EXPECT_EQ(next_combination(levels, c.counts), c.more);
        EXPECT_EQ(levels, c.to);
    }
    Levels<3> levels;
    EXPECT_TRUE(first_combination(levels, {most, 1, most}));
    EXPECT_EQ(levels, (Levels<3>{1, 1, 1}));
    EXPECT_FALSE(first_combination(levels, {most, 0, most}));
}

} // namespace
