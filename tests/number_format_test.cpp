// Matrix numbers: "%g" with a three-digit exponent, exact to the last digit.
#include "matrix/number_format.h"

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
    std::snprintf(text, sizeof text, "%g", value);
    if (char* e = std::strchr(text, 'e'); e && std::strlen(e + 2) < 3) {
        std::memmove(e + 3, e + 2, std::strlen(e + 2) + 1);
        e[2] = '0';
    }
    return text;
}

// Differences of floats as the matrix forms them, any float at all, and
// values next to the places where the rounding or the form changes.
TEST(NumberFormat, AgreesWithTheCLibraryDigitForDigit) {
    std::mt19937 random(42);
    std::uniform_real_distribution<float> cell(-1000.0f, 1000.0f);
    for (int i = 0; i < 1000000; ++i) {
        double difference = static_cast<double>(cell(random)) - static_cast<double>(cell(random));
        ASSERT_EQ(formatted(difference), reference(difference));
        std::uint32_t bits = random() % 0x7f800000u;
        float any;
        std::memcpy(&any, &bits, sizeof any);
        ASSERT_EQ(formatted(any), reference(any));
    }
    for (int exponent = -30; exponent <= 30; ++exponent)
        for (double digits : {1.0, 9.999995, 9.9999949999, 1.000005, 1.234565, 2.5, 9.999999}) {
            double v = digits * std::pow(10.0, exponent);
            for (double near : {v, std::nextafter(v, 0.0), std::nextafter(v, 1e300), -v})
                ASSERT_EQ(formatted(near), reference(near)) << near;
        }
}

} // namespace
