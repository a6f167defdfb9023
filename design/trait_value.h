// Conversion of a trait token to its value.
#pragma once

#include <string_view>

// The value of the decimal number at the start of the token: an optional
// sign, digits with an optional fraction, and an optional exponent introduced
// by e, E, d or D (the Fortran style some field books still write). Reading
// stops at the first byte that does not fit, so "5abc" and "5,2" give 5; a
// token that does not begin with such a number gives 0, the missing mark.
// Hexadecimal, "inf" and "nan" are not numbers here. The result is the
// correctly rounded double of the number read.
double convert_trait(std::string_view token);
