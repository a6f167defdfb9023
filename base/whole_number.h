// Whole numbers as "%d" reads them: an optional sign, then decimal digits.
// Console answers, the codes of a data file and the levels of a table column
// all go through this one reading; each caller decides what may follow the
// digits and which range it accepts.
#pragma once

#include "base/decimal.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

struct WholeNumber {
    std::size_t length = 0; // of the sign and the digits; 0 when no digit follows the sign
    bool exact = false;     // the value is the number read: it lies within int64
    std::int64_t value = 0;
    std::size_t digits = 0; // how many digits were read (leading zeros included)

    bool fits_int() const { return exact && value >= INT32_MIN && value <= INT32_MAX; }
};

// Reads the sign and digits at the start of `text`; whatever follows them is
// left to the caller. A number of any length is read to its end, so that a
// caller can name it whole as too large.
inline WholeNumber read_whole_number(std::string_view text) {
    WholeNumber number;
    const bool negative = !text.empty() && text[0] == '-';
    std::size_t i = !text.empty() && (text[0] == '+' || negative) ? 1 : 0;
    const std::size_t first = i;
    while (i < text.size() && text[i] == '0') ++i;
    // Nineteen digits after the leading zeros can't overflow uint64; beyond
    // that the value is no longer exact.
    const std::size_t significant = i;
    std::uint64_t magnitude = 0;
    for (; i < text.size() && is_digit(text[i]); ++i)
        if (i - significant < 19) magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
    number.digits = i - first;
    if (number.digits == 0) return number;
    number.length = i;
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : INT64_MAX;
    number.exact = i - significant < 20 && magnitude <= limit;
    if (number.exact)
        number.value = negative ? static_cast<std::int64_t>(0 - magnitude)
                                : static_cast<std::int64_t>(magnitude);
    return number;
}
