// Trait tokens: numbers read in full and correctly rounded, missing values,
// and what is neither.
#include "input/trait_value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr auto number = TraitKind::number;
constexpr auto missing = TraitKind::missing;
constexpr auto refused = TraitKind::not_a_number;
constexpr auto point = DecimalMark::point;
constexpr auto comma = DecimalMark::comma;

// The classic file reads a token as atof does, but a number cut short is
// refused; every other form a field book writes is read by the loader guard.
TEST(TraitValue, ClassicTokensAreNumbersInFullOrMissing) {
    const struct {
        const char* token;
        bool decimal_comma;
        TraitKind kind;
        double value;
    } cases[] = {
        {"1e+5", false, number, 1e5},
        {"3.e1", false, number, 30},
        {"1D-2", false, number, 0.01},
        {"+3.", false, number, 3},
        {".5", false, number, 0.5},
        {"1e-400", false, number, 0},
        {"1e400", false, number, HUGE_VAL},
        {"4.9e-324", false, number, 4.9e-324},
        {"123456789012345678901234567890", false, number, 1.2345678901234568e29},
        {"9007199254740993", false, number, 9007199254740992.0},         // halfway: to even
        {"18446744073709551617", false, number, 18446744073709551617.0}, // beyond 64 bits
        {"-", false, missing, 0},
        {"NA", false, missing, 0},
        {"x7", false, missing, 0},
        {"1e", false, refused, 0},
        {"1.5e+", false, refused, 0},
        {"7,80", false, refused, 0},
        {"12abc", false, refused, 0},
        {"1O.5", false, refused, 0},
        {"7.8O", false, refused, 0},
        {"0x10", false, refused, 0},
        {"7,80", true, number, 7.8},
        {"-7,80", true, number, -7.8},
        {"7.80", true, number, 7.8}, // a point still reads as before
        {"7,8,0", true, refused, 0},
        {"7,80e1", true, refused, 0},
        {",5", true, missing, 0}, // no number at its start
    };
    for (const auto& c : cases) {
        const TraitReading reading = read_classic_trait_quickly(c.token, c.decimal_comma);
        EXPECT_EQ(reading.kind, c.kind) << c.token;
        EXPECT_EQ(reading.value, c.value) << c.token;
    }
}

TEST(TraitValue, TableFieldsAreNumbersInFullMissingFormsOrRefused) {
    const struct {
        const char* field;
        DecimalMark mark;
        TraitKind kind;
        double value;
    } cases[] = {
        {"7.80", point, number, 7.8},    {"-0", point, number, 0},
        {"0", point, number, 0},         {"2.5E-3", point, number, 0.0025},
        {"+3.", point, number, 3},       {".5", point, number, 0.5},
        {"151,1", comma, number, 151.1}, {"-1,5e2", comma, number, -150},
        {"", point, missing, 0},         {"NA", point, missing, 0},
        {"na", comma, missing, 0},       {"N/A", point, missing, 0},
        {"nan", point, missing, 0},      {"#N/A", point, missing, 0},
        {"#n/a", point, missing, 0},     {".", point, missing, 0},
        {"-", comma, missing, 0},        {"*", point, missing, 0},
        {"7,80", point, refused, 0},     {"8,400", point, refused, 0},
        {"7.8O", point, refused, 0},     {"1.5", comma, refused, 0},
        {"1d2", point, refused, 0},      {"Inf", point, refused, 0},
        {"NAN2", point, refused, 0},     {"1e", point, refused, 0},
        {"+", point, refused, 0},        {"1.2.3", point, refused, 0},
        {"12 kg", point, refused, 0},
    };
    for (const auto& c : cases) {
        const TraitReading reading = read_table_trait_quickly(c.field, c.mark);
        EXPECT_EQ(reading.kind, c.kind) << c.field;
        EXPECT_EQ(reading.value, c.value) << c.field;
    }
}

// What a refused field would be with the other decimal mark, or with
// separators between thousands.
TEST(TraitValue, OtherReadingsOfAFieldThatIsNoNumber) {
    const struct {
        const char* field;
        DecimalMark mark;
        std::vector<OtherReading> readings;
    } cases[] = {
        {"7,80", point, {{"7.80", comma}}},
        {"-7,80", point, {{"-7.80", comma}}},
        {"8,400", point, {{"8400", point, ','}, {"8.400", comma}}},
        {"12,345,678", point, {{"12345678", point, ','}}},
        {"1.234,5", point, {{"1234.5", comma, '.'}}},
        {"1,234.5", point, {{"1234.5", point, ','}}},
        {"1.5", comma, {{"1.5", point}}},
        {"1.234", comma, {{"1234", comma, '.'}, {"1.234", point}}},
        {"1.234,5", comma, {{"1234.5", comma, '.'}}},
        {"1234,5678", point, {{"1234.5678", comma}}},
        {"12,34,567", point, {}},
        {"7.8O", point, {}},
        {"7,,8", point, {}},
        {"7,", point, {{"7", comma}}},
        {"-,5", point, {{"-0.5", comma}}},
        {".25", comma, {{"0.25", point}}},
        {",", point, {}},
        {",5,", point, {}},
        {"5.", point, {}},
    };
    for (const auto& c : cases) {
        const std::vector<OtherReading> readings = other_readings(c.field, c.mark);
        ASSERT_EQ(readings.size(), c.readings.size()) << c.field;
        for (std::size_t i = 0; i < readings.size(); ++i) {
            EXPECT_EQ(readings[i].number, c.readings[i].number) << c.field;
            EXPECT_EQ(readings[i].decimal, c.readings[i].decimal) << c.field;
            EXPECT_EQ(readings[i].thousands, c.readings[i].thousands) << c.field;
        }
    }
}

// The quick path must round as the C library's correctly rounded conversion does.
TEST(TraitValue, AgreesWithStrtodOnRandomDecimals) {
    std::mt19937_64 random(20261206);
    for (int i = 0; i < 300000; ++i) {
        char digits[24], token[64];
        int count = std::snprintf(digits, sizeof digits, "%llu",
                                  static_cast<unsigned long long>(random() >> (random() % 64)));
        int at = static_cast<int>(random() % (count + 1));
        int length = std::snprintf(token, sizeof token, "%s%.*s.%s", random() % 2 ? "-" : "", at,
                                   digits, digits + at);
        if (random() % 3 == 0)
            std::snprintf(token + length, sizeof token - length, "e%d", int(random() % 80) - 40);
        const double expected = std::strtod(token, nullptr);
        ASSERT_EQ(read_classic_trait(token, false).value, expected) << token;
        ASSERT_EQ(read_classic_trait_quickly(token, false).value, expected) << token;
        ASSERT_EQ(read_table_trait_quickly(token, point).value, expected) << token;
        for (char& c : token)
            if (c == '.') c = ',';
        ASSERT_EQ(read_table_trait_quickly(token, comma).value, expected) << token;
    }
}

} // namespace
