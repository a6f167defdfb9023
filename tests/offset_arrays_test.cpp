// Offset-indexed arrays: layout, bounds, and the allocation failure texts.
#include "storage/offset_arrays.h"

#include <gtest/gtest.h>

namespace {

TEST(F3tensor, LaysElementsOutContiguouslyInRowMajorOrder) {
    const std::int64_t cases[][6] = {{1, 1, 1, 1, 1, 1}, {1, 3, 1, 2, 1, 4}, {-2, 0, 5, 6, 0, 1}};
    for (const auto& b : cases) {
        float*** t = f3tensor(b[0], b[1], b[2], b[3], b[4], b[5]);
        const std::int64_t ncol = b[3] - b[2] + 1, ndep = b[5] - b[4] + 1;
        for (auto i = b[0]; i <= b[1]; ++i)
            for (auto j = b[2]; j <= b[3]; ++j)
                for (auto k = b[4]; k <= b[5]; ++k)
                    ASSERT_EQ(&t[i][j][k] - &t[b[0]][b[2]][b[4]],
                              ((i - b[0]) * ncol + (j - b[2])) * ndep + (k - b[4]));
    }
    float*** t = f3tensor(1, 3, 1, 2, 1, 4);
    EXPECT_EQ(&t[2][1][1], &t[1][2][4] + 1);
}

TEST(Imatrix, GivesZeroFilledRowsFromItsLowerBounds) {
    int** m = imatrix(0, 4, 1, 10);
    for (int i = 0; i <= 4; ++i)
        for (int j = 1; j <= 10; ++j) {
            ASSERT_EQ(m[i][j], 0);
            m[i][j] = i * 10 + j; // writable, and no row overlaps another
        }
    EXPECT_EQ(m[0][10] + m[4][1], 10 + 41);
}

// Sizes that can't even be represented end with the allocator's text, never
// with a wrapped, small block. (Sizes the machine can't give are injected in
// whole runs of the program.)
TEST(OffsetArraysDeathTest, RefuseSizesThatCannotBeRepresented) {
    const auto failure = ::testing::ExitedWithCode(1);
    EXPECT_EXIT(f3tensor(INT64_MIN, INT64_MAX, 1, 1, 1, 1), failure,
                "^allocation failure 1 in f3tensor");
    EXPECT_EXIT(f3tensor(1, 1, 1, INT64_MAX / 2, 1, 1), failure,
                "^allocation failure 2 in f3tensor");
    EXPECT_EXIT(f3tensor(1, 1, 1, 1, 1, INT64_MAX), failure, "^allocation failure 3 in f3tensor");
    EXPECT_EXIT(imatrix(INT64_MIN, INT64_MAX, 1, 1), failure, "^allocation failure 1 in imatrix");
    EXPECT_EXIT(imatrix(0, 4, 1, INT64_MAX), failure, "^allocation failure 2 in imatrix");
}

} // namespace
