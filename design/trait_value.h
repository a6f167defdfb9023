// Conversion of a trait token to its value.
#pragma once

#include "base/decimal.h"

#include <cstdint>
#include <string_view>

// The value of the decimal number at the start of the token: an optional
// sign, digits with an optional fraction, and an optional exponent introduced
// by e, E, d or D (the Fortran style some field books still write). Reading
// stops at the first byte that does not fit, so "5abc" and "5,2" give 5; a
// token that does not begin with such a number gives 0, the missing mark.
// Hexadecimal, "inf" and "nan" are not numbers here. The result is the
// correctly rounded double of the number read.
double convert_trait(std::string_view token);

// convert_trait for the loader's loop, inline: a token that is a plain
// decimal of at most 15 digits ("53.81", "-2.5", "7"), as nearly every trait
// is, takes one exact division; any other token goes to convert_trait. The
// value is the same either way.
inline double convert_trait_quickly(std::string_view token) {
    const char* p = token.data();
    const char* const end = p + token.size();
    const bool negative = p < end && *p == '-';
    const char* const first = p + negative;
    const char* point = nullptr;
    std::uint64_t digits = 0;
    for (p = first; p < end; ++p) {
        if (is_digit(*p))
            digits = digits * 10 + unsigned(*p - '0');
        else if (*p == '.' && !point)
            point = p;
        else
            return convert_trait(token);
    }
    const long digit_count = (end - first) - (point ? 1 : 0);
    if (digit_count == 0 || digit_count > 15) return convert_trait(token);
    double value = static_cast<double>(digits) / exact_powers_of_ten[point ? end - point - 1 : 0];
    return negative ? -value : value;
}
