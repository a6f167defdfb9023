// Trait tokens: decimal numbers only, correctly rounded.
#include "design/trait_value.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

namespace {

TEST(TraitValue, ReadsTheDecimalNumberAtTheStartOfTheToken) {
    struct Case {
        const char* token;
        double value;
    };
    const Case cases[] = {
        {"53.81", 53.81},  {"-2.5", -2.5},  {"+7", 7},      {".5", 0.5},       {"5.", 5},
        {"5abc", 5},       {"5,2", 5},      {"1d2", 100},   {"1D-2", 0.01},    {"2.5E+1", 25},
        {"1e", 1},         {"1e+", 1},      {"3.e1", 30},   {".", 0},          {"NA", 0},
        {"0x10", 0},       {"inf", 0},      {"nan", 0},     {"-", 0},          {"+.", 0},
        {"0.0", 0},        {"1e-400", 0},   {"1e400", HUGE_VAL},
        {"123456789012345678901234567890", 1.2345678901234568e29},
        {"0.000000000000000000000000000001234", 1.234e-30},
        {"9007199254740993", 9007199254740992.0}, // halfway: rounds to even
        {"4.9e-324", 4.9e-324},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(convert_trait(c.token), c.value) << c.token;
        EXPECT_EQ(convert_trait_quickly(c.token), c.value) << c.token;
    }
}

// The quick path must round exactly as the C library's correctly rounded
// conversion does, for the numbers field books are full of and for the
// awkward ones.
TEST(TraitValue, AgreesWithStrtodOnRandomDecimals) {
    std::mt19937_64 random(20261206);
    for (int i = 0; i < 300000; ++i) {
        std::string token;
        if (random() % 2) token += '-';
        int integer_digits = static_cast<int>(random() % 12);
        int fraction_digits = static_cast<int>(random() % 12);
        for (int d = 0; d < integer_digits; ++d) token += char('0' + random() % 10);
        token += '.';
        for (int d = 0; d < fraction_digits; ++d) token += char('0' + random() % 10);
        if (integer_digits + fraction_digits == 0) token += '7';
        if (random() % 3 == 0) {
            token += 'e';
            token += std::to_string(static_cast<int>(random() % 80) - 40);
        }
        ASSERT_EQ(convert_trait(token), std::strtod(token.c_str(), nullptr)) << token;
        ASSERT_EQ(convert_trait_quickly(token), std::strtod(token.c_str(), nullptr)) << token;
    }
}

} // namespace
