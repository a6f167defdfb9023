// Decimal digits and exact powers of ten, shared by the reading of trait
// values and the writing of matrix numbers.
#pragma once

inline bool is_digit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

// Powers of ten that a double holds exactly.
inline constexpr double exact_powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// value x 10^scale for -22 <= scale <= 22 in one correctly rounded operation:
// the power itself is exact, so only the product or quotient rounds.
inline double scale_by_power_of_ten(double value, int scale) {
    return scale >= 0 ? value * exact_powers_of_ten[scale] : value / exact_powers_of_ten[-scale];
}
