// Offset-indexed arrays: sizes that can't be had end with the allocation failure texts.
#include "storage/offset_arrays.h"

#include <gtest/gtest.h>

namespace {

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
    // An upper bound below its lower bound leaves nothing to allocate.
    EXPECT_EXIT(f3tensor(1, 0, 1, 1, 1, 1), failure, "^allocation failure 1 in f3tensor");
}

} // namespace
