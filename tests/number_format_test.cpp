// Matrix numbers: "%g" with a three-digit exponent, exact to the last digit.
#include "matrix/number_format.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

std::string formatted(double value) {
    char text[g_text_capacity];
    return std::string(text, format_g(text, value));
}

// The C library's "%g", its exponent widened to three digits.
std::string reference(double value) {
    char text[64];
    std::string s(text, static_cast<std::size_t>(std::snprintf(text, sizeof text, "%g", value)));
    auto e = s.find('e');
    if (e != std::string::npos && s.size() - (e + 2) < 3) s.insert(e + 2, "0");
    return s;
}

TEST(NumberFormat, WritesGWithAThreeDigitExponent) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.000015, "1.5e-005"}, {0.25, "0.25"},      {1e20, "1e+020"},        {1e-100, "1e-100"},
        {0, "0"},               {-1, "-1"},          {123456789, "1.23457e+008"}, {100000, "100000"},
        {999999.5, "1e+006"},   {0.0001, "0.0001"},  {0.00009999995, "0.0001"},   {1234.5, "1234.5"},
        {-0.05000000447034836, "-0.05"},             {3.4028234663852886e38, "3.40282e+038"},
        {1e300, "1e+300"},      {2.5e-310, "2.5e-310"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatted(c.value), c.text) << c.value;
}

// Differences of floats, as the matrix forms them, and values near the
// places where rounding or the choice of form changes.
TEST(NumberFormat, AgreesWithTheCLibraryDigitForDigit) {
    std::mt19937 random(42);
    std::uniform_real_distribution<float> cell(-1000.0f, 1000.0f);
    std::uniform_int_distribution<int> bits(0, 0x7f7fffff);
    for (int i = 0; i < 1000000; ++i) {
        float x = cell(random), mean = cell(random);
        double difference = static_cast<double>(x) - static_cast<double>(mean);
        ASSERT_EQ(formatted(difference), reference(difference));
        int raw = bits(random);
        float any;
        std::memcpy(&any, &raw, sizeof any);
        ASSERT_EQ(formatted(any), reference(any));
    }
    for (int exponent = -30; exponent <= 30; ++exponent)
        for (double digits : {1.0, 9.999995, 9.9999949999, 1.000005, 1.234565, 2.5, 9.999999}) {
            for (double v : {digits * std::pow(10.0, exponent), std::nextafter(digits * std::pow(10.0, exponent), 0.0),
                             std::nextafter(digits * std::pow(10.0, exponent), 1e300)}) {
                ASSERT_EQ(formatted(v), reference(v)) << v;
                ASSERT_EQ(formatted(-v), reference(-v)) << -v;
            }
        }
}

} // namespace
