// Whole numbers as "%d" reads them: an optional sign, then decimal digits.
// Console answers, the codes of a data file and the levels of a table column
// all go through this one reading; each caller decides what may follow the
// digits and which range it accepts.
#pragma once

#include "base/decimal.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The decimal digits at p: gives the place after them, and their number in
// `value`, which is the number read when there are at most 19 digits after
// the leading zeros (it then fits uint64). The digits must be followed by a
// byte that is not a digit (the NUL of a std::string, the NUL after a
// reader's buffered bytes, the white space after a token): codes are read
// by the millions, and this loop checks no bound.
// The number is summed in `Unsigned`, which wraps: uint64 holds 19 digits,
// the uint32 of a code's quick reading nine, which is all it takes.
template <class Unsigned>
inline const char* read_digits(const char* p, Unsigned& value) {
    Unsigned number = 0;
    while (is_digit(*p)) number = static_cast<Unsigned>(number * 10 + unsigned(*p++ - '0'));
    value = number;
    return p;
}

struct WholeNumber {
    std::size_t length = 0; // of the sign and the digits; 0 when no digit follows the sign
    bool exact = false;     // the value is the number read: it lies within int64
    std::int64_t value = 0;
    std::size_t digits = 0; // how many digits were read (leading zeros included)

    bool fits_int() const { return exact && value >= INT32_MIN && value <= INT32_MAX; }
};

// Reads the sign and digits at `text`, followed, as for read_digits, by a
// byte that is not a digit; whatever follows them is left to the caller. A
// number of any length is read to its end, so that a caller can name it
// whole as too large.
inline WholeNumber read_whole_number(const char* text) {
    WholeNumber number;
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '+' || negative) ++p;
    const char* significant = p;
    while (*significant == '0') ++significant;
    std::uint64_t magnitude;
    const char* const digits_end = read_digits(significant, magnitude);
    number.digits = static_cast<std::size_t>(digits_end - p);
    if (number.digits == 0) return number;
    number.length = static_cast<std::size_t>(digits_end - text);
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : INT64_MAX;
    number.exact = digits_end - significant <= 19 && magnitude <= limit;
    if (number.exact)
        number.value = negative ? static_cast<std::int64_t>(0 - magnitude)
                                : static_cast<std::int64_t>(magnitude);
    return number;
}

// The whole of `text` as a number within int's range, or nothing.
inline std::optional<int> whole_int(const std::string& text) {
    const WholeNumber number = read_whole_number(text.c_str());
    if (number.length != text.size() || !number.fits_int()) return std::nullopt;
    return static_cast<int>(number.value);
}
