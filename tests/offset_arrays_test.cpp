// Offset-indexed arrays: layout, bounds, and the allocation failure texts.
#include "storage/offset_arrays.h"

#include <climits>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

TEST(F3tensor, LaysElementsOutContiguouslyInRowMajorOrder) {
    struct Case {
        std::int64_t nrl, nrh, ncl, nch, ndl, ndh;
    };
    const Case cases[] = {{1, 1, 1, 1, 1, 1}, {1, 3, 1, 2, 1, 4}, {-2, 0, 5, 6, 0, 1}, {0, 4, 1, 1, 3, 9}};
    for (const auto& c : cases) {
        float*** t = f3tensor(c.nrl, c.nrh, c.ncl, c.nch, c.ndl, c.ndh);
        const std::int64_t ncol = c.nch - c.ncl + 1, ndep = c.ndh - c.ndl + 1;
        float* first = &t[c.nrl][c.ncl][c.ndl];
        for (auto i = c.nrl; i <= c.nrh; ++i)
            for (auto j = c.ncl; j <= c.nch; ++j)
                for (auto k = c.ndl; k <= c.ndh; ++k) {
                    ASSERT_EQ(&t[i][j][k] - first, ((i - c.nrl) * ncol + (j - c.ncl)) * ndep + (k - c.ndl));
                    t[i][j][k] = static_cast<float>(i * 100 + j * 10 + k);
                }
        EXPECT_EQ(t[c.nrh][c.nch][c.ndh], static_cast<float>(c.nrh * 100 + c.nch * 10 + c.ndh));
    }
    float*** t = f3tensor(1, 3, 1, 2, 1, 4);
    EXPECT_EQ(&t[2][1][1], &t[1][2][4] + 1);
}

TEST(Imatrix, GivesZeroFilledRowsFromItsLowerBounds) {
    int** m = imatrix(0, 4, 1, 10);
    for (int i = 0; i <= 4; ++i)
        for (int j = 1; j <= 10; ++j) {
            ASSERT_EQ(m[i][j], 0);
            m[i][j] = i * 10 + j; // every element writable without touching another
        }
    EXPECT_EQ(m[4][10], 50);
    EXPECT_EQ(m[0][1], 1);
}

void limit_address_space() {
    rlimit limit{1ul << 30, 1ul << 30};
    setrlimit(RLIMIT_AS, &limit);
}

TEST(OffsetArraysDeathTest, ReportEachFailedAllocationByItsText) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit allows";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto failure = ::testing::ExitedWithCode(1);
    EXPECT_EXIT((limit_address_space(), f3tensor(1, 2000000000, 1, 1, 1, 1)), failure,
                "^allocation failure 1 in f3tensor\\(\\)\n");
    EXPECT_EXIT((limit_address_space(), f3tensor(1, 100000, 1, 100000, 1, 1)), failure,
                "^allocation failure 2 in f3tensor\\(\\)\n");
    EXPECT_EXIT((limit_address_space(), f3tensor(1, 1000, 1, 1000, 1, 1000)), failure,
                "^allocation failure 3 in f3tensor\\(\\)\n");
    EXPECT_EXIT((limit_address_space(), imatrix(0, 2000000000, 1, 1)), failure,
                "^allocation failure 1 in imatrix\\(\\)\n");
    EXPECT_EXIT((limit_address_space(), imatrix(0, 4, 1, 2000000000)), failure,
                "^allocation failure 2 in imatrix\\(\\)\n");
}

TEST(OffsetArraysDeathTest, RefuseSizesThatCannotBeRepresented) {
    const auto failure = ::testing::ExitedWithCode(1);
    // nrow x ncol pointers is beyond any address space: never a wrapped, small block.
    EXPECT_EXIT(f3tensor(1, 1, 1, INT64_MAX / 2, 1, 1), failure, "^allocation failure 2 in f3tensor");
    EXPECT_EXIT(f3tensor(1, 1, 1, 1, 1, INT64_MAX), failure, "^allocation failure 3 in f3tensor");
    EXPECT_EXIT(f3tensor(INT64_MIN, INT64_MAX, 1, 1, 1, 1), failure, "^allocation failure 1 in f3tensor");
    EXPECT_EXIT(imatrix(0, 4, 1, INT64_MAX), failure, "^allocation failure 2 in imatrix");
}

} // namespace
