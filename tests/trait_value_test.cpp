// Trait tokens: decimal numbers only, correctly rounded.
#include "design/trait_value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

namespace {

TEST(TraitValue, ReadsTheDecimalNumberAtTheStartOfTheToken) {
    // Every other form a field book writes is read by the loader guard.
    const std::pair<const char*, double> cases[] = {
        {"1e", 1},
        {"1e+", 1},
        {"3.e1", 30},
        {"-", 0},
        {"1e-400", 0},
        {"1e400", HUGE_VAL},
        {"4.9e-324", 4.9e-324},
        {"123456789012345678901234567890", 1.2345678901234568e29},
        {"9007199254740993", 9007199254740992.0},         // halfway: to even
        {"18446744073709551617", 18446744073709551617.0}, // beyond 64 bits
    };
    for (const auto& [token, value] : cases) {
        EXPECT_EQ(convert_trait(token), value) << token;
        EXPECT_EQ(convert_trait_quickly(token), value) << token;
    }
}

// The quick path must round as the C library's correctly rounded conversion does.
TEST(TraitValue, AgreesWithStrtodOnRandomDecimals) {
    std::mt19937_64 random(20261206);
    for (int i = 0; i < 300000; ++i) {
        char digits[24], token[64];
        int count = std::snprintf(digits, sizeof digits, "%llu",
                                  static_cast<unsigned long long>(random() >> (random() % 64)));
        int point = static_cast<int>(random() % (count + 1));
        int length = std::snprintf(token, sizeof token, "%s%.*s.%s", random() % 2 ? "-" : "", point,
                                   digits, digits + point);
        if (random() % 3 == 0)
            std::snprintf(token + length, sizeof token - length, "e%d", int(random() % 80) - 40);
        ASSERT_EQ(convert_trait(token), std::strtod(token, nullptr)) << token;
        ASSERT_EQ(convert_trait_quickly(token), std::strtod(token, nullptr)) << token;
    }
}

} // namespace
